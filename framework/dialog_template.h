// Dialog templates and icons as data: what a backend needs to build a window, in dialog units.
// Texts are string literals: a template is constant data that lives as long as the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class ControlClass { Button, Edit, Static, ListBox };

// How a control follows a dialog whose template lets the user resize it (WS_THICKFRAME), by
// as much as the dialog is now wider or taller than its template; none keeps its place.
enum ControlAnchor : unsigned {
  kFollowRight = 1,   // moves right as the dialog widens
  kFollowBottom = 2,  // moves down as the dialog grows taller
  kGrowWidth = 4,
  kGrowHeight = 8,
};

struct ControlTemplate {
  int id;  // -1 for a control without an id
  ControlClass cls;
  const char* text;
  std::uint32_t style;
  int x, y, cx, cy;
  int iconResource = 0;  // for an SS_ICON static: the icon shown in place of text
  unsigned anchors = 0;  // ControlAnchor bits
  // A list box: the edit box that takes the letters typed while the list has the keyboard
  // (Space excepted, which the list keeps), with the keyboard itself; 0 for none.
  int typingGoesTo = 0;
};

struct DialogFont {
  const char* name;
  int pointSize;
  int weight;
  bool italic;
  int charset;
};

struct DialogTemplate {
  int id;
  std::uint32_t style;
  std::uint32_t exStyle;
  int x, y, cx, cy;
  const char* title;
  DialogFont font;
  std::vector<ControlTemplate> controls;  // template order, which is the tab order
};

// One picture of an icon: width x height pixels, rows top to bottom, 0xAARRGGBB each.
struct IconImage {
  int width;
  int height;
  std::vector<std::uint32_t> pixels;
};

// An icon resource: the same picture at several sizes, largest first.
struct Icon {
  int id;
  std::vector<IconImage> images;
  // The image whose width is closest to size (at least one image must exist).
  const IconImage& BestFor(int size) const;
};
