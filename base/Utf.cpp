#include "base/Utf.h"

namespace korvane {

std::string CutUtf8(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  size_t cut = maxBytes;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return std::string(text.substr(0, cut));
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp) {
  const auto lead = static_cast<unsigned char>(s[i]);
  size_t len = 0;
  if (lead < 0x80) {
    cp = lead;
    return 1;
  }
  if ((lead & 0xE0) == 0xC0) {
    len = 2;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    len = 3;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    len = 4;
    cp = lead & 0x07;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    const auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (c & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

namespace {

std::string Narrow(std::u16string_view wide, bool display) {
  std::string out;
  out.reserve(wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    const char16_t u = wide[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((char32_t{u} - 0xD800) << 10) + (char32_t{wide[i + 1]} - 0xDC00));
      ++i;
    } else if (u >= 0xDC80 && u <= 0xDCFF && !display) {
      out += static_cast<char>(u - 0xDC00);
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

}  // namespace

std::u16string ToWide(std::string_view narrow) {
  std::u16string out;
  out.reserve(narrow.size());
  for (size_t i = 0; i < narrow.size();) {
    char32_t cp = 0;
    const size_t len = DecodeUtf8(narrow, i, cp);
    if (len == 0) {
      out += static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(narrow[i]));
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += len;
  }
  return out;
}

std::string ToNarrow(std::u16string_view wide) { return Narrow(wide, false); }

std::string ToDisplayText(std::u16string_view wide) { return Narrow(wide, true); }

}  // namespace korvane
