#include "dialogs/info/VersionInfo.h"

#include <cstdio>

#include "base/AsciiText.h"
#include "base/Format.h"
#include "dialogs/info/ElfSection.h"
#include "dialogs/info/VersionBlock.h"

namespace korvane {
namespace {

// A block larger than this is not one the build wrote.
constexpr uint64_t kMaxBlockSize = 1u << 20;

std::string Hex4(uint32_t v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04X", v & 0xFFFF);
  return buf;
}

}  // namespace

const std::array<const char*, 12> VersionKeyNames = {
    "Comments",       "CompanyName",      "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
    "LegalTrademarks", "OriginalFilename", "PrivateBuild",    "ProductName", "ProductVersion", "SpecialBuild"};

std::optional<std::vector<uint8_t>> LoadVersionBlock(const std::string& fileName) {
  auto block = ReadElfSection(fileName, kVersionSectionName, kMaxBlockSize);
  if (!block || block->empty()) return std::nullopt;
  return block;
}

std::string GetVersionValue(const std::string& KeyName, const std::string& FileName) {
  const auto block = LoadVersionBlock(FileName);
  if (!block) return "";
  const auto translation = VerQueryValue(*block, "\\VarFileInfo\\Translation");
  if (!translation || translation->bytes.size() < 4) return "";
  const auto& t = translation->bytes;
  const uint32_t language = t[0] | t[1] << 8;
  const uint32_t codePage = t[2] | t[3] << 8;
  // The key is appended after formatting, so a '%' in it stays text.
  const std::string subBlock =
      Format("\\StringFileInfo\\%0.4s%0.4s\\", {Hex4(language), Hex4(codePage)}) + KeyName;
  const auto value = VerQueryValue(*block, subBlock);
  if (!value || value->bytes.empty()) return "";
  std::string text(value->bytes.begin(), value->bytes.end());
  text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
  return std::string(TrimControls(text));
}

}  // namespace korvane
