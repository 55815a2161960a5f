#include "base/Paths.h"

namespace korvane {
namespace {

size_t NameStart(std::string_view path) {
  const size_t slash = path.rfind(kPathDelim);
  return slash == std::string_view::npos ? 0 : slash + 1;
}

size_t ExtStart(std::string_view path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < NameStart(path)) return path.size();
  return dot;
}

}  // namespace

std::string IncludeTrailingPathDelimiter(std::string_view path) {
  std::string out(path);
  if (!out.empty() && out.back() != kPathDelim) out += kPathDelim;
  return out;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path) {
  if (path.size() > 1 && path.back() == kPathDelim) path.remove_suffix(1);
  return std::string(path);
}

std::string ExtractFilePath(std::string_view path) { return std::string(path.substr(0, NameStart(path))); }

std::string ExtractFileName(std::string_view path) { return std::string(path.substr(NameStart(path))); }

std::string ExtractFileExt(std::string_view path) { return std::string(path.substr(ExtStart(path))); }

std::string StripFileExt(std::string_view path) { return std::string(path.substr(0, ExtStart(path))); }


std::string PercentEncodePath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const auto unreserved = [](unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
  };
  std::string out;
  for (const unsigned char c : path) {
    if (unreserved(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string PercentDecodePath(std::string_view path) {
  const auto hex = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string out;
  for (size_t i = 0; i < path.size(); ++i) {
    const bool escape = path[i] == '%' && i + 2 < path.size() && hex(path[i + 1]) >= 0 && hex(path[i + 2]) >= 0;
    if (!escape) {
      out += path[i];
      continue;
    }
    out += static_cast<char>(hex(path[i + 1]) * 16 + hex(path[i + 2]));
    i += 2;
  }
  return out;
}

}  // namespace korvane
