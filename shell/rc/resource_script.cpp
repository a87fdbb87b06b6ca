// Writes the .rc text: language, icon, VERSIONINFO with its one string block and translation.
#include "resource_script.h"

#include <array>
#include <cstdio>

namespace {

std::string Quoted(const char* text) {
  std::string out = "\"";
  for (const char* c = text; *c != '\0'; ++c) {
    out += *c;
    if (*c == '"') out += '"';  // the script's own escape for a quote
  }
  return out + "\"";
}

std::string Numbers(const std::array<std::uint16_t, 4>& parts) {
  return std::to_string(parts[0]) + "," + std::to_string(parts[1]) + "," +
         std::to_string(parts[2]) + "," + std::to_string(parts[3]);
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
  return text;
}

}  // namespace

std::string ResourceScript(const VersionRecord& version, int iconId, const std::string& iconFile) {
  const VersionStrings& s = version.strings;
  const std::pair<const char*, const char*> values[] = {
      {"CompanyName", s.companyName},       {"FileDescription", s.fileDescription},
      {"FileVersion", s.fileVersion},       {"InternalName", s.internalName},
      {"LegalCopyright", s.legalCopyright}, {"OriginalFilename", s.originalFilename},
      {"ProductName", s.productName},       {"ProductVersion", s.productVersion},
  };
  const unsigned language = version.translationLanguage;
  std::string rc;
  rc += "LANGUAGE " + Hex(language & 0x3FF) + ", " + Hex(language >> 10) + "\n";
  rc += std::to_string(iconId) + " ICON " + Quoted(iconFile.c_str()) + "\n";
  rc += "1 VERSIONINFO\n";
  rc += "FILEVERSION " + Numbers(version.fileVersion) + "\n";
  rc += "PRODUCTVERSION " + Numbers(version.productVersion) + "\n";
  rc += "FILEFLAGSMASK " + Hex(version.fileFlagsMask) + "\n";
  rc += "FILEFLAGS " + Hex(version.fileFlags) + "\n";
  rc += "FILEOS " + Hex(version.fileOs) + "\n";
  rc += "FILETYPE " + Hex(version.fileType) + "\n";
  rc += "FILESUBTYPE " + Hex(version.fileSubtype) + "\n";
  rc += "BEGIN\n  BLOCK \"StringFileInfo\"\n  BEGIN\n";
  rc += "    BLOCK " + Quoted(version.blockName) + "\n    BEGIN\n";
  for (const auto& [key, value] : values) {
    rc += "      VALUE " + Quoted(key) + ", " + Quoted(value) + "\n";
  }
  rc += "    END\n  END\n  BLOCK \"VarFileInfo\"\n  BEGIN\n";
  rc += "    VALUE \"Translation\", " + Hex(version.translationLanguage) + ", " +
        std::to_string(version.translationCodePage) + "\n";
  rc += "  END\nEND\n";
  return rc;
}
