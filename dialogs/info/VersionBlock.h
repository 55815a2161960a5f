#pragma once
// The program's version block: a tree of keyed nodes, each with an optional
// value, laid out the way Windows version resources are (a node starts with its
// length, its value length and its type, then its NUL-terminated key, the value
// and the children, each part aligned to four bytes), with UTF-8 keys and texts
// and every number little-endian. The block is written at build time into a
// section of the executable and queried by sub-block paths such as
// "\StringFileInfo\040904E4\FileVersion".
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvane {

struct VersionNode {
  std::string key;
  std::vector<uint8_t> value;
  bool text = false;
  std::vector<VersionNode> children;
};

// What the block says about the file, as the version-block data file lists it.
struct VersionBlockData {
  std::array<uint16_t, 4> fileVersion{};
  std::array<uint16_t, 4> productVersion{};
  uint32_t fileFlagsMask = 0;
  uint32_t fileFlags = 0;
  uint32_t fileOS = 0;
  uint32_t fileType = 0;
  uint32_t fileSubtype = 0;
  uint64_t fileDate = 0;
  std::string stringTable;  // language and code page as eight hex digits, e.g. "040904E4"
  std::vector<std::pair<std::string, std::string>> strings;
  std::vector<std::pair<uint16_t, uint16_t>> translations;  // language, code page
};

constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr size_t kFixedFileInfoSize = 52;

// The root "VS_VERSION_INFO" with the fixed file information as its value,
// "StringFileInfo" with the one string table, and "VarFileInfo\Translation".
VersionNode BuildVersionTree(const VersionBlockData& data);
std::vector<uint8_t> SerializeVersionBlock(const VersionNode& root);

// Reads the data file: "[Fixed]" with FileVersion, ProductVersion (dotted),
// FileFlagsMask, FileFlags, FileOS, FileType, FileSubtype, FileDate; one
// "[StringFileInfo\<lang><cp>]" with Key=Value lines; "[VarFileInfo]" with
// "Translation=<lang> <cp>" lines. '#' starts a comment line. Throws
// std::invalid_argument naming the offending line.
VersionBlockData ParseVersionBlockData(std::string_view text);

struct VersionValue {
  std::span<const uint8_t> bytes;
  bool text = false;
};

// The value of the node at subBlock ("\" is the root, "\A\B" the child B of the
// child A; keys compare without regard to ASCII case). Nothing when the path
// leads nowhere or the block is malformed on the way.
std::optional<VersionValue> VerQueryValue(std::span<const uint8_t> block, std::string_view subBlock);

}  // namespace korvane
