// Tests of the shell's resources as the program looks them up: templates 100 and 102, string
// 101, icon 128 and the version record.
#include <gtest/gtest.h>

#include "about_dlg.h"
#include "framework/resources.h"
#include "main_dlg.h"
#include "resource_ids.h"
#include "version_info.h"

namespace {

std::vector<int> Ids(const DialogTemplate& t) {
  std::vector<int> ids;
  for (const ControlTemplate& c : t.controls) ids.push_back(c.id);
  return ids;
}

}  // namespace

TEST(ShellResources, TheMainDialogTemplateHasItsControlsInTabOrder) {
  const DialogTemplate* t = FindDialogTemplate(IDD_QUILLMAR_DIALOG);
  ASSERT_NE(t, nullptr);
  EXPECT_STREQ(t->title, "Quillmar");
  EXPECT_EQ(t->style, 0x90C800C8u);
  EXPECT_EQ(t->exStyle, 0x00040000u);
  EXPECT_EQ(t->cx, 191);
  EXPECT_EQ(t->cy, 112);
  EXPECT_STREQ(t->font.name, "MS Shell Dlg");
  EXPECT_EQ(t->font.pointSize, 8);
  EXPECT_EQ(Ids(*t), (std::vector<int>{1001, 1002, -1, -1, 1003, 1000, 1004, 1005, 1006, 1007}));
  EXPECT_EQ(t->controls[0].cls, ControlClass::Edit);
  EXPECT_STREQ(t->controls[1].text, "Quillmar!");
  EXPECT_STREQ(t->controls[2].text, "Directory:");
  EXPECT_STREQ(t->controls[3].text, "Files:");
  EXPECT_STREQ(t->controls[4].text, "..");
  EXPECT_STREQ(t->controls[6].text, "?");
  EXPECT_STREQ(t->controls[7].text, "Restore Files");
  const ControlTemplate& help = t->controls[6];
  EXPECT_EQ((std::vector<int>{help.x, help.y, help.cx, help.cy}),
            (std::vector<int>{173, 68, 11, 11}));
  // No default push button: Enter in an edit box ends the dialog with IDOK.
  for (const ControlTemplate& c : t->controls) {
    if (c.cls == ControlClass::Button) {
      EXPECT_EQ(c.style & 0x0F, 0u) << c.text;
    }
  }
}

TEST(ShellResources, TheAboutTemplateShowsTheIconAndHasOkAsDefaultButton) {
  const DialogTemplate* t = FindDialogTemplate(IDD_ABOUTBOX);
  ASSERT_NE(t, nullptr);
  EXPECT_STREQ(t->title, "About Quillmar");
  EXPECT_EQ(t->style, 0x80C800C8u);
  EXPECT_EQ(t->cx, 235);
  EXPECT_EQ(t->cy, 55);
  ASSERT_EQ(t->controls.size(), 4u);
  EXPECT_EQ(t->controls[0].style & 0x1F, SS_ICON);
  EXPECT_EQ(t->controls[0].iconResource, IDR_MAINFRAME);
  // The version the file's properties show.
  EXPECT_EQ(std::string(t->controls[1].text),
            std::string("Quillmar Version ") + kVersionRecord.strings.fileVersion);
  EXPECT_EQ(t->controls[3].id, IDOK);
  EXPECT_EQ(t->controls[3].style, 0x50030001u);
  EXPECT_EQ(CAboutDlg().TemplateId(), IDD_ABOUTBOX);
}

TEST(ShellResources, StringAndIconResources) {
  EXPECT_EQ(LoadStringResource(IDS_ABOUTBOX), "&About Quillmar...");
  const Icon* icon = LoadIconResource(IDR_MAINFRAME);
  ASSERT_NE(icon, nullptr);
  ASSERT_EQ(icon->images.size(), 3u);
  EXPECT_EQ(icon->images[0].width, 48);
  EXPECT_EQ(icon->images[1].width, 32);
  EXPECT_EQ(icon->images[2].width, 16);
  EXPECT_EQ(&icon->BestFor(32), &icon->images[1]);
}

TEST(ShellResources, TheVersionRecordIsOneZeroZeroOne) {
  using Version = std::array<std::uint16_t, 4>;
  EXPECT_EQ(kVersionRecord.fileVersion, (Version{1, 0, 0, 1}));
  EXPECT_EQ(kVersionRecord.productVersion, (Version{1, 0, 0, 1}));
  EXPECT_EQ(kVersionRecord.fileFlagsMask, 0x3Fu);
  EXPECT_EQ(kVersionRecord.fileFlags, 0x0u);  // a release build
  EXPECT_EQ(kVersionRecord.fileOs, 0x4u);
  EXPECT_EQ(kVersionRecord.fileType, 0x1u);
  EXPECT_STREQ(kVersionRecord.blockName, "040904e4");
  EXPECT_STREQ(kVersionRecord.strings.fileVersion, "1.0.0.1");
  EXPECT_STREQ(kVersionRecord.strings.productVersion, "1.0.0.1");
  EXPECT_STREQ(kVersionRecord.strings.internalName, "quillmar.exe");
  EXPECT_STREQ(kVersionRecord.strings.originalFilename, "quillmar.exe");
  EXPECT_EQ(kVersionRecord.translationLanguage, 0x0409);
  EXPECT_EQ(kVersionRecord.translationCodePage, 1252);
}
