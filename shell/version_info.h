// The executable's version record, kept as data. The program itself never reads it; it is
// here so that the version has one home (and a test) rather than being scattered.
#pragma once

#include <array>
#include <cstdint>

struct VersionStrings {
  const char* companyName;
  const char* fileDescription;
  const char* fileVersion;
  const char* internalName;
  const char* legalCopyright;
  const char* originalFilename;
  const char* productName;
  const char* productVersion;
};

struct VersionRecord {
  std::array<std::uint16_t, 4> fileVersion;
  std::array<std::uint16_t, 4> productVersion;
  std::uint32_t fileFlagsMask;
  std::uint32_t fileFlags;  // 0: a release build (0x1 would mark a debug one)
  std::uint32_t fileOs;     // 0x4: 32-bit Windows
  std::uint32_t fileType;   // 0x1: an application
  std::uint32_t fileSubtype;
  const char* blockName;  // language 0x0409, code page 1252
  VersionStrings strings;
  std::uint16_t translationLanguage;
  std::uint16_t translationCodePage;
};

extern const VersionRecord kVersionRecord;
