// Tests of the resource registry and of choosing an icon picture for a size.
#include "resources.h"

#include <gtest/gtest.h>

#include "window_constants.h"

namespace {

const DialogTemplate kTemplate{
    9401, WS_VISIBLE, 0, 1, 2, 30, 40, "Registered", {"MS Shell Dlg", 8, 400, false, 1}, {}};
const Icon kIcon{9402, {{48, 48, {}}, {32, 32, {}}, {16, 16, {}}}};
const ResourceRegistration kTemplateRegistration(kTemplate);
const ResourceRegistration kStringRegistration(9403, "&About Quillmar...");
const ResourceRegistration kIconRegistration(kIcon);

int s_drawn = 0;
const Icon& DrawOnce() {
  ++s_drawn;
  static const Icon kDrawn{9404, {{16, 16, {}}}};
  return kDrawn;
}
const ResourceRegistration kDrawnRegistration(9404, DrawOnce);

TEST(ResourceRegistry, FindsWhatWasRegisteredByIdAndNothingElse) {
  ASSERT_EQ(FindDialogTemplate(9401), &kTemplate);
  EXPECT_STREQ(FindDialogTemplate(9401)->title, "Registered");
  EXPECT_EQ(FindDialogTemplate(9402), nullptr);
  EXPECT_EQ(LoadStringResource(9403), "&About Quillmar...");
  EXPECT_EQ(LoadStringResource(9401), "");
  EXPECT_EQ(LoadIconResource(9402), &kIcon);
  EXPECT_EQ(LoadIconResource(9403), nullptr);
}

TEST(ResourceRegistry, AnIconToDrawIsDrawnWhenFirstLoadedAndOnlyThen) {
  EXPECT_EQ(s_drawn, 0);
  const Icon* icon = LoadIconResource(9404);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->id, 9404);
  EXPECT_EQ(LoadIconResource(9404), icon);
  EXPECT_EQ(s_drawn, 1);
}

TEST(IconPictures, BestForTakesTheClosestWidthAndTheLargerOnATie) {
  EXPECT_EQ(kIcon.BestFor(32).width, 32);
  EXPECT_EQ(kIcon.BestFor(16).width, 16);
  EXPECT_EQ(kIcon.BestFor(1).width, 16);
  EXPECT_EQ(kIcon.BestFor(100).width, 48);
  EXPECT_EQ(kIcon.BestFor(41).width, 48);
  EXPECT_EQ(kIcon.BestFor(39).width, 32);
  EXPECT_EQ(kIcon.BestFor(40).width, 48);  // as close to 32 as to 48
  EXPECT_EQ(kIcon.BestFor(24).width, 32);  // as close to 16 as to 32
}

}  // namespace
