// Icon pictures for GTK: an icon resource's ARGB pixels as pixbufs for the window manager and
// as cairo surfaces drawn sharp at the screen's scale factor.
#pragma once

#include <vector>

#include "framework/dialog_template.h"

typedef struct _GdkPixbuf GdkPixbuf;
typedef struct _cairo_surface cairo_surface_t;

// Straight (not premultiplied) RGBA bytes, rows top to bottom, from 0xAARRGGBB pixels. A
// picture whose pixel count does not match its size gives fully transparent bytes for the
// missing pixels instead of reading past the end.
std::vector<unsigned char> RgbaBytes(const IconImage& image);

// A new pixbuf holding its own copy of the pixels; the caller owns the reference. Null for an
// empty picture.
GdkPixbuf* NewIconPixbuf(const IconImage& image);

// A new surface of icon drawn logicalSize logical pixels wide on a screen of the given scale
// factor: the picture closest to logicalSize * scale, its own pixels marked to fill
// logicalSize, so that GTK draws it pixel for pixel where the sizes agree. The caller owns
// the surface; null for an icon without pictures.
cairo_surface_t* NewIconSurface(const Icon& icon, int logicalSize, int scale);
