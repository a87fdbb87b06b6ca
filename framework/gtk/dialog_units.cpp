// Dialog-unit conversion.
#include "dialog_units.h"

#include <algorithm>
#include <cmath>

namespace {

int MulDivRounded(int value, int numerator, int denominator) {
  const double exact = static_cast<double>(value) * numerator / denominator;
  return static_cast<int>(std::lround(exact));
}

}  // namespace

BaseUnits BaseUnitsFromMeasure(double alphabetWidth, int lineHeight) {
  BaseUnits units;
  units.x = std::max(1, static_cast<int>(std::lround(alphabetWidth / 52.0)));
  units.y = std::max(1, lineHeight);
  return units;
}

int HorizontalPixels(int dialogUnits, const BaseUnits& units) {
  return MulDivRounded(dialogUnits, units.x, 4);
}

int VerticalPixels(int dialogUnits, const BaseUnits& units) {
  return MulDivRounded(dialogUnits, units.y, 8);
}
