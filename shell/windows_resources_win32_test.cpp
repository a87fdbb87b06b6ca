// Tests that the executable's resources, compiled from the generated quillmar.rc, are the
// program's own data: the version record's fields and strings, icon 128 with its pictures
// showing the drawn icon, and the application manifest.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "app_icon.h"
#include "framework/windows_api.h"
#include "resource_ids.h"
#include "version_info.h"

namespace {

std::vector<char> OwnVersionInfo() {
  char self[MAX_PATH];
  ::GetModuleFileNameA(nullptr, self, sizeof self);
  DWORD ignored = 0;
  std::vector<char> data(::GetFileVersionInfoSizeA(self, &ignored));
  if (data.empty() ||
      !::GetFileVersionInfoA(self, 0, static_cast<DWORD>(data.size()), data.data())) {
    data.clear();
  }
  return data;
}

std::string StringValue(std::vector<char>& data, const std::string& key) {
  void* value = nullptr;
  UINT length = 0;
  const std::string path =
      std::string("\\StringFileInfo\\") + kVersionRecord.blockName + "\\" + key;
  if (!::VerQueryValueA(data.data(), path.c_str(), &value, &length)) return "<missing>";
  return static_cast<const char*>(value);
}

TEST(WindowsResourcesTest, VersionRecordIsTheProgramsOwn) {
  std::vector<char> data = OwnVersionInfo();
  ASSERT_FALSE(data.empty());
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  const auto& v = kVersionRecord.fileVersion;
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(v[0] << 16 | v[1]));
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(v[2] << 16 | v[3]));
  EXPECT_EQ(fixed->dwFileFlagsMask, kVersionRecord.fileFlagsMask);
  EXPECT_EQ(fixed->dwFileFlags, kVersionRecord.fileFlags);
  EXPECT_EQ(fixed->dwFileOS, kVersionRecord.fileOs);
  EXPECT_EQ(fixed->dwFileType, kVersionRecord.fileType);
  EXPECT_EQ(StringValue(data, "FileVersion"), kVersionRecord.strings.fileVersion);
  EXPECT_EQ(StringValue(data, "OriginalFilename"), kVersionRecord.strings.originalFilename);
  EXPECT_EQ(StringValue(data, "ProductName"), kVersionRecord.strings.productName);
  WORD* translation = nullptr;
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
  EXPECT_EQ(translation[0], kVersionRecord.translationLanguage);
  EXPECT_EQ(translation[1], kVersionRecord.translationCodePage);
}

// The manifest resource the loader reads (type 24, id 1), as text.
std::string OwnManifest() {
  HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  if (found == nullptr) return std::string();
  const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(nullptr, found)));
  return std::string(bytes, ::SizeofResource(nullptr, found));
}

// The value of the first element named tag, or "<missing>".
std::string ElementText(const std::string& xml, const std::string& tag) {
  const std::size_t open = xml.find("<" + tag + " ");
  const std::size_t start = open == std::string::npos ? open : xml.find('>', open);
  const std::size_t end = start == std::string::npos ? start : xml.find("</" + tag + ">", start);
  if (end == std::string::npos) return "<missing>";
  return xml.substr(start + 1, end - start - 1);
}

// The test program carries the same resources as quillmar.exe, so the loader has applied the
// manifest to this very process.
TEST(WindowsResourcesTest, ManifestAsksForTheModernPlatform) {
  const std::string manifest = OwnManifest();
  ASSERT_FALSE(manifest.empty()) << "no manifest resource";
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  EXPECT_NE(manifest.find("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"),
            std::string::npos);
  EXPECT_EQ(ElementText(manifest, "dpiAwareness"), "PerMonitorV2, PerMonitor");
  EXPECT_EQ(ElementText(manifest, "dpiAware"), "true/pm");
  EXPECT_EQ(ElementText(manifest, "longPathAware"), "true");
  EXPECT_EQ(ElementText(manifest, "activeCodePage"), "UTF-8");
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);

  // What the loader made of it.
  EXPECT_EQ(::GetACP(), static_cast<UINT>(CP_UTF8));
  EXPECT_EQ(::GetAwarenessFromDpiAwarenessContext(::GetThreadDpiAwarenessContext()),
            DPI_AWARENESS_PER_MONITOR_AWARE);
  // The common controls are version 6's, from the side-by-side store (on Windows and under
  // Wine alike), not the system folder's version 5.
  HMODULE controls = ::LoadLibraryA("comctl32.dll");
  ASSERT_NE(controls, nullptr);
  char path[MAX_PATH] = "";
  ::GetModuleFileNameA(controls, path, sizeof path);
  std::string lower = path;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_NE(lower.find("microsoft.windows.common-controls_6595b64144ccf1df_6.0."),
            std::string::npos)
      << path;
}

// The icon's picture at size, as the platform loads it: 0xAARRGGBB pixels, top row first.
std::vector<std::uint32_t> LoadedIconPixels(int size) {
  HICON icon =
      static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME),
                                      IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  if (icon == nullptr) return {};
  ICONINFO info{};
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size);
  if (::GetIconInfo(icon, &info)) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = size;
    format.bmiHeader.biHeight = -size;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    HDC dc = ::GetDC(nullptr);
    if (::GetDIBits(dc, info.hbmColor, 0, size, pixels.data(), &format, DIB_RGB_COLORS) != size) {
      pixels.clear();
    }
    ::ReleaseDC(nullptr, dc);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
  } else {
    pixels.clear();
  }
  ::DestroyIcon(icon);
  return pixels;
}

TEST(WindowsResourcesTest, IconHoldsTheDrawnIconAtEveryDepthWithAlphaAnd256Pixels) {
  HRSRC group = ::FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_MAINFRAME), MAKEINTRESOURCEA(14));
  ASSERT_NE(group, nullptr);
  const auto* header = static_cast<const WORD*>(::LockResource(::LoadResource(nullptr, group)));
  EXPECT_EQ(header[2], 13);  // the group's count of pictures

  // The 48 and 256 pixel pictures read back pixel by pixel: the colour of every opaque pixel
  // and the opacity of every pixel the drawing makes fully opaque or fully clear.
  for (int size : {48, 256}) {
    SCOPED_TRACE(size);
    const std::vector<std::uint32_t> pixels = LoadedIconPixels(size);
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(size) * size);
    const IconImage drawn = DrawAppIcon(size);
    int opaque = 0, sameColour = 0, clearOrFull = 0, sameAlpha = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      const std::uint32_t alpha = drawn.pixels[i] >> 24;
      if (alpha == 0 || alpha == 0xFF) {
        ++clearOrFull;
        sameAlpha += (pixels[i] >> 24) == alpha;
      }
      if (alpha != 0xFF) continue;
      ++opaque;
      sameColour += (pixels[i] & 0xFFFFFF) == (drawn.pixels[i] & 0xFFFFFF);
    }
    ASSERT_GT(opaque, size * size / 4);
    EXPECT_EQ(sameColour, opaque);
    EXPECT_EQ(sameAlpha, clearOrFull);
  }
}

}  // namespace
