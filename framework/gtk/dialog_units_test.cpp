// Tests of the dialog-unit conversion and the base-unit rounding.
#include "dialog_units.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(DialogUnits, BaseUnitsAreTheRoundedAverageLetterWidthAndTheLineHeight) {
  EXPECT_EQ(std::strlen(kBaseUnitAlphabet), 52u);
  BaseUnits units = BaseUnitsFromMeasure(312.0, 13);  // exactly 6 per letter
  EXPECT_EQ(units.x, 6);
  EXPECT_EQ(units.y, 13);
  EXPECT_EQ(BaseUnitsFromMeasure(337.0, 13).x, 6);  // 6.48
  EXPECT_EQ(BaseUnitsFromMeasure(338.0, 13).x, 7);  // 6.5 rounds up
  EXPECT_EQ(BaseUnitsFromMeasure(400.0, 16).x, 8);  // 7.69
}

TEST(DialogUnits, ABrokenMeasureStillGivesPositiveUnits) {
  BaseUnits units = BaseUnitsFromMeasure(0.0, 0);
  EXPECT_EQ(units.x, 1);
  EXPECT_EQ(units.y, 1);
}

TEST(DialogUnits, ConversionUsesAQuarterAcrossAndAnEighthDownRoundedToNearest) {
  const BaseUnits units{6, 13};
  EXPECT_EQ(HorizontalPixels(4, units), 6);
  EXPECT_EQ(HorizontalPixels(191, units), 287);  // 286.5, half away from zero
  EXPECT_EQ(HorizontalPixels(53, units), 80);    // 79.5
  EXPECT_EQ(HorizontalPixels(97, units), 146);   // 145.5
  EXPECT_EQ(VerticalPixels(8, units), 13);
  EXPECT_EQ(VerticalPixels(87, units), 141);  // 141.375
  EXPECT_EQ(VerticalPixels(14, units), 23);   // 22.75
  EXPECT_EQ(HorizontalPixels(0, units), 0);
  EXPECT_EQ(HorizontalPixels(-5, units), -8);  // -7.5
  EXPECT_EQ(VerticalPixels(-4, units), -7);    // -6.5
}
