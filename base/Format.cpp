#include "base/Format.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace korvane {
namespace {

NumberStyle& StyleStorage() {
  static NumberStyle style;
  return style;
}

struct Conversion {
  int width = -1;
  int precision = -1;
  char letter = 0;
};

[[noreturn]] void Fail(std::string_view format) {
  throw std::invalid_argument("Format '" + std::string(format) + "' invalid or incompatible with argument");
}

// Reads "[width][.precision]letter" after a '%' at pos; advances pos past the letter.
Conversion ReadConversion(std::string_view format, size_t& pos) {
  Conversion c;
  auto readNumber = [&]() {
    int n = -1;
    while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') {
      n = (n < 0 ? 0 : n) * 10 + (format[pos] - '0');
      if (n > 1000) Fail(format);
      ++pos;
    }
    return n;
  };
  c.width = readNumber();
  if (pos < format.size() && format[pos] == '.') {
    ++pos;
    c.precision = readNumber();
    if (c.precision < 0) c.precision = 0;
  }
  if (pos >= format.size()) Fail(format);
  const char l = format[pos++];
  c.letter = static_cast<char>((l >= 'A' && l <= 'Z') ? l + 32 : l);
  return c;
}

std::string PadLeft(std::string s, int width) {
  if (width > 0 && static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), ' ');
  return s;
}

std::string FormatInteger(int64_t v, int precision) {
  std::string digits = std::to_string(v < 0 ? -static_cast<uint64_t>(v) : static_cast<uint64_t>(v));
  if (precision > static_cast<int>(digits.size())) digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
  return v < 0 ? "-" + digits : digits;
}

std::string Convert(const Conversion& c, const TFormatArg& arg, std::string_view format, const NumberStyle& style) {
  const auto& v = arg.Value();
  switch (c.letter) {
    case 's': {
      const auto* s = std::get_if<std::string_view>(&v);
      if (!s) Fail(format);
      std::string text(*s);
      if (c.precision >= 0 && static_cast<size_t>(c.precision) < text.size()) text.resize(static_cast<size_t>(c.precision));
      return text;
    }
    case 'd': {
      const auto* i = std::get_if<int64_t>(&v);
      if (!i) Fail(format);
      return FormatInteger(*i, c.precision);
    }
    case 'f': {
      double d = 0;
      if (const auto* p = std::get_if<double>(&v)) {
        d = *p;
      } else if (const auto* i = std::get_if<int64_t>(&v)) {
        d = static_cast<double>(*i);
      } else {
        Fail(format);
      }
      return FormatFixed(d, c.precision < 0 ? 2 : c.precision, style);
    }
    default:
      Fail(format);
  }
}

}  // namespace

const NumberStyle& UserNumberStyle() { return StyleStorage(); }
void SetUserNumberStyle(NumberStyle style) { StyleStorage() = std::move(style); }

std::string FormatFixed(double value, int decimals, const NumberStyle& style) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  std::vector<char> buf(static_cast<size_t>(decimals) + 330);
  // LC_NUMERIC stays "C" for the whole process, so the point is always '.'.
  std::snprintf(buf.data(), buf.size(), "%.*f", decimals, value);
  std::string text(buf.data());
  if (text == "-0" || (text.rfind("-0.", 0) == 0 && text.find_first_not_of("-0.") == std::string::npos)) text.erase(0, 1);
  const size_t point = text.find('.');
  if (point != std::string::npos) text.replace(point, 1, style.decimalSeparator);
  return text;
}

std::string Format(std::string_view format, std::initializer_list<TFormatArg> args, const NumberStyle& style) {
  std::string out;
  auto next = args.begin();
  size_t pos = 0;
  while (pos < format.size()) {
    const char ch = format[pos++];
    if (ch != '%') {
      out += ch;
      continue;
    }
    if (pos < format.size() && format[pos] == '%') {
      out += '%';
      ++pos;
      continue;
    }
    const Conversion c = ReadConversion(format, pos);
    if (next == args.end()) Fail(format);
    out += PadLeft(Convert(c, *next++, format, style), c.width);
  }
  return out;
}

}  // namespace korvane
