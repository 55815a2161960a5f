#include "base/AsciiText.h"

namespace korvane {

std::string_view TrimControls(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

std::string_view TrimAny(std::string_view s, std::string_view chars) {
  while (!s.empty() && chars.find(s.front()) != std::string_view::npos) s.remove_prefix(1);
  return TrimRightAny(s, chars);
}

std::string_view TrimRightAny(std::string_view s, std::string_view chars) {
  while (!s.empty() && chars.find(s.back()) != std::string_view::npos) s.remove_suffix(1);
  return s;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiLower(std::string s) {
  for (char& c : s) c = AsciiLower(c);
  return s;
}

}  // namespace korvane
