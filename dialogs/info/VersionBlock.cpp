#include "dialogs/info/VersionBlock.h"

#include <stdexcept>

#include "base/AsciiText.h"
#include "base/IntParse.h"
#include "base/Lines.h"

namespace korvane {
namespace {

constexpr size_t kNodeHeader = 10;  // length u32, value length u32, type u16

size_t Align4(size_t n) { return (n + 3) & ~size_t{3}; }

void PutU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

void SetU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t GetU32(std::span<const uint8_t> b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}

void PadTo4(std::vector<uint8_t>& out) { out.resize(Align4(out.size()), 0); }

void AppendNode(std::vector<uint8_t>& out, const VersionNode& node) {
  const size_t start = out.size();
  PutU32(out, 0);
  PutU32(out, static_cast<uint32_t>(node.value.size()));
  PutU16(out, node.text ? 1 : 0);
  out.insert(out.end(), node.key.begin(), node.key.end());
  out.push_back(0);
  PadTo4(out);
  out.insert(out.end(), node.value.begin(), node.value.end());
  PadTo4(out);
  for (const VersionNode& child : node.children) AppendNode(out, child);
  SetU32(out, start, static_cast<uint32_t>(out.size() - start));
}

VersionNode TextNode(const std::string& key, const std::string& text) {
  VersionNode node{key, {text.begin(), text.end()}, true, {}};
  node.value.push_back(0);
  return node;
}

uint32_t High(const std::array<uint16_t, 4>& v) { return uint32_t{v[0]} << 16 | v[1]; }
uint32_t Low(const std::array<uint16_t, 4>& v) { return uint32_t{v[2]} << 16 | v[3]; }

std::vector<uint8_t> FixedFileInfo(const VersionBlockData& d) {
  std::vector<uint8_t> out;
  for (uint32_t v : {kFixedFileInfoSignature, 0x00010000u, High(d.fileVersion), Low(d.fileVersion),
                     High(d.productVersion), Low(d.productVersion), d.fileFlagsMask, d.fileFlags, d.fileOS,
                     d.fileType, d.fileSubtype, static_cast<uint32_t>(d.fileDate >> 32),
                     static_cast<uint32_t>(d.fileDate)}) {
    PutU32(out, v);
  }
  return out;
}

// One node found inside its parent's bounds.
struct NodeView {
  size_t end = 0;           // one past the node
  std::string_view key;
  size_t valueStart = 0;
  uint32_t valueLength = 0;
  bool text = false;
  size_t childrenStart = 0;
};

std::optional<NodeView> ReadNode(std::span<const uint8_t> b, size_t pos, size_t limit) {
  if (limit - pos < kNodeHeader) return std::nullopt;
  const uint32_t length = GetU32(b, pos);
  if (length < kNodeHeader || length > limit - pos) return std::nullopt;
  NodeView n;
  n.end = pos + length;
  n.valueLength = GetU32(b, pos + 4);
  n.text = (b[pos + 8] | b[pos + 9] << 8) == 1;
  const size_t keyStart = pos + kNodeHeader;
  size_t keyEnd = keyStart;
  while (keyEnd < n.end && b[keyEnd] != 0) ++keyEnd;
  if (keyEnd == n.end) return std::nullopt;
  n.key = std::string_view(reinterpret_cast<const char*>(b.data()) + keyStart, keyEnd - keyStart);
  n.valueStart = Align4(keyEnd + 1);
  if (n.valueStart > n.end || n.valueLength > n.end - n.valueStart) return std::nullopt;
  n.childrenStart = std::min(Align4(n.valueStart + n.valueLength), n.end);
  return n;
}

bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::optional<NodeView> FindChild(std::span<const uint8_t> b, const NodeView& parent, std::string_view key) {
  size_t pos = parent.childrenStart;
  while (pos < parent.end) {
    const auto child = ReadNode(b, pos, parent.end);
    if (!child) return std::nullopt;
    if (SameKey(child->key, key)) return child;
    pos = Align4(child->end);
  }
  return std::nullopt;
}

std::string Trim(std::string_view s) { return std::string(TrimAny(s, " \t\r")); }

[[noreturn]] void BadLine(std::string_view line) {
  throw std::invalid_argument("version block data: cannot read line '" + std::string(line) + "'");
}

uint32_t Number(std::string_view text, std::string_view line) {
  const auto v = ParseInt(text);
  if (!v) BadLine(line);
  return static_cast<uint32_t>(*v);
}

std::array<uint16_t, 4> DottedVersion(std::string_view text, std::string_view line) {
  std::array<uint16_t, 4> parts{};
  size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t dot = i < 3 ? text.find('.', pos) : text.size();
    if (dot == std::string_view::npos) BadLine(line);
    const uint32_t v = Number(text.substr(pos, dot - pos), line);
    if (v > 0xFFFF) BadLine(line);
    parts[static_cast<size_t>(i)] = static_cast<uint16_t>(v);
    pos = dot + 1;
  }
  return parts;
}

void ReadFixed(VersionBlockData& d, const std::string& key, const std::string& value, std::string_view line) {
  if (key == "FileVersion") d.fileVersion = DottedVersion(value, line);
  else if (key == "ProductVersion") d.productVersion = DottedVersion(value, line);
  else if (key == "FileFlagsMask") d.fileFlagsMask = Number(value, line);
  else if (key == "FileFlags") d.fileFlags = Number(value, line);
  else if (key == "FileOS") d.fileOS = Number(value, line);
  else if (key == "FileType") d.fileType = Number(value, line);
  else if (key == "FileSubtype") d.fileSubtype = Number(value, line);
  else if (key == "FileDate") d.fileDate = Number(value, line);
  else BadLine(line);
}

void ReadTranslation(VersionBlockData& d, const std::string& key, const std::string& value, std::string_view line) {
  const size_t blank = value.find(' ');
  if (key != "Translation" || blank == std::string::npos) BadLine(line);
  const uint32_t lang = Number(value.substr(0, blank), line);
  const uint32_t codePage = Number(Trim(value.substr(blank)), line);
  if (lang > 0xFFFF || codePage > 0xFFFF) BadLine(line);
  d.translations.emplace_back(static_cast<uint16_t>(lang), static_cast<uint16_t>(codePage));
}

}  // namespace

VersionNode BuildVersionTree(const VersionBlockData& data) {
  VersionNode table{data.stringTable, {}, true, {}};
  for (const auto& [key, value] : data.strings) table.children.push_back(TextNode(key, value));
  VersionNode translation{"Translation", {}, false, {}};
  for (const auto& [lang, codePage] : data.translations) {
    PutU16(translation.value, lang);
    PutU16(translation.value, codePage);
  }
  VersionNode root{"VS_VERSION_INFO", FixedFileInfo(data), false, {}};
  root.children.push_back(VersionNode{"StringFileInfo", {}, true, {std::move(table)}});
  root.children.push_back(VersionNode{"VarFileInfo", {}, true, {std::move(translation)}});
  return root;
}

std::vector<uint8_t> SerializeVersionBlock(const VersionNode& root) {
  std::vector<uint8_t> out;
  AppendNode(out, root);
  return out;
}

VersionBlockData ParseVersionBlockData(std::string_view text) {
  VersionBlockData d;
  enum class Section { None, Fixed, Strings, Translation } section = Section::None;
  for (const std::string_view raw : TLines(text)) {
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      const std::string name = line.substr(1, line.size() - 2);
      if (name == "Fixed") section = Section::Fixed;
      else if (name == "VarFileInfo") section = Section::Translation;
      else if (name.rfind("StringFileInfo\\", 0) == 0 && name.size() == 23 && d.stringTable.empty()) {
        section = Section::Strings;
        d.stringTable = name.substr(15);
      } else {
        BadLine(line);
      }
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos || section == Section::None) BadLine(line);
    const std::string key = Trim(line.substr(0, eq));
    const std::string value = Trim(line.substr(eq + 1));
    if (section == Section::Fixed) ReadFixed(d, key, value, line);
    else if (section == Section::Strings) d.strings.emplace_back(key, value);
    else ReadTranslation(d, key, value, line);
  }
  return d;
}

std::optional<VersionValue> VerQueryValue(std::span<const uint8_t> block, std::string_view subBlock) {
  auto node = ReadNode(block, 0, block.size());
  size_t pos = 0;
  while (node && pos < subBlock.size()) {
    const size_t sep = std::min(subBlock.find('\\', pos), subBlock.size());
    const std::string_view key = subBlock.substr(pos, sep - pos);
    pos = sep + 1;
    if (!key.empty()) node = FindChild(block, *node, key);
  }
  if (!node) return std::nullopt;
  return VersionValue{block.subspan(node->valueStart, node->valueLength), node->text};
}

}  // namespace korvane
