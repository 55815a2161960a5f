#include "base/CommaText.h"

namespace korvane {
namespace {

bool IsBlank(char c) { return c != '\0' && static_cast<unsigned char>(c) <= 0x20; }

// UTF-8 continuation bytes are never below 0x80, so a byte scan is a character scan.
bool NeedsQuotes(std::string_view item) {
  for (const char c : item)
    if (c == '"' || c == ',' || static_cast<unsigned char>(c) <= 0x20) return true;
  return false;
}

void AppendQuoted(std::string& out, std::string_view item) {
  out += '"';
  for (const char c : item) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace

std::string ToCommaText(const std::vector<std::string>& items) {
  if (items.size() == 1 && items[0].empty()) return "\"\"";
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += ',';
    if (NeedsQuotes(items[i])) {
      AppendQuoted(out, items[i]);
    } else {
      out += items[i];
    }
  }
  return out;
}

std::vector<std::string> CommaTextItems(std::string_view text) {
  std::vector<std::string> out;
  text = text.substr(0, text.find('\0'));
  size_t p = 0;
  auto skipBlanks = [&] {
    while (p < text.size() && IsBlank(text[p])) ++p;
  };
  skipBlanks();
  while (p < text.size()) {
    std::string item;
    if (text[p] == '"') {
      ++p;
      while (p < text.size()) {
        if (text[p] == '"') {
          if (p + 1 < text.size() && text[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += text[p++];
      }
    } else {
      const size_t start = p;
      while (p < text.size() && text[p] != ',' && static_cast<unsigned char>(text[p]) > 0x20) ++p;
      item.assign(text.substr(start, p - start));
    }
    out.push_back(std::move(item));
    skipBlanks();
    if (p < text.size() && text[p] == ',') {
      if (p == text.size() - 1) out.emplace_back();
      ++p;
      skipBlanks();
    }
  }
  return out;
}

}  // namespace korvane
