// Dialog units to pixels: a template's coordinates scale with the desktop's font, a quarter of
// its average letter width across and an eighth of its line height down. Pixels are GTK's
// logical pixels, which the screen's scale factor multiplies.
#pragma once

// The average letter width and the line height of a dialog font, in pixels.
struct BaseUnits {
  int x = 0;
  int y = 0;
};

// The 52 letters whose total width, divided by 52 and rounded, is a font's horizontal base unit.
inline constexpr const char* kBaseUnitAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// alphabetWidth is the drawn width of kBaseUnitAlphabet; both results are at least 1, so a
// broken font measure still gives a usable (if ugly) layout rather than a zero-sized one.
BaseUnits BaseUnitsFromMeasure(double alphabetWidth, int lineHeight);

// Rounded to the nearest pixel, halves away from zero, as the platform's MulDiv does.
int HorizontalPixels(int dialogUnits, const BaseUnits& units);
int VerticalPixels(int dialogUnits, const BaseUnits& units);
