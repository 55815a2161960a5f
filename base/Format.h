#pragma once
// The program's format rules: "%s" a string, "%d" a decimal integer ("%2.2d":
// at least two digits), "%f" fixed-point with two decimals unless a precision is
// given, "%%" a percent sign; conversion letters are not case-sensitive. Numbers
// use the caller's decimal separator, never the C library's locale.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace korvane {

struct NumberStyle {
  std::string decimalSeparator = ".";
  std::string thousandsSeparator = ",";
};

// The style of the user's locale; the application sets it once at start.
const NumberStyle& UserNumberStyle();
void SetUserNumberStyle(NumberStyle style);

class TFormatArg {
 public:
  TFormatArg(const char* s) : FValue(std::string_view(s)) {}
  TFormatArg(std::string_view s) : FValue(s) {}
  TFormatArg(const std::string& s) : FValue(std::string_view(s)) {}
  TFormatArg(int v) : FValue(int64_t{v}) {}
  TFormatArg(long v) : FValue(int64_t{v}) {}
  TFormatArg(long long v) : FValue(int64_t{v}) {}
  TFormatArg(unsigned v) : FValue(int64_t{v}) {}
  TFormatArg(double v) : FValue(v) {}

  const std::variant<std::string_view, int64_t, double>& Value() const { return FValue; }

 private:
  std::variant<std::string_view, int64_t, double> FValue;
};

// Throws std::invalid_argument for a malformed format, a missing argument or an
// argument that does not fit its conversion.
std::string Format(std::string_view format, std::initializer_list<TFormatArg> args, const NumberStyle& style);

inline std::string Format(std::string_view format, std::initializer_list<TFormatArg> args) {
  return Format(format, args, UserNumberStyle());
}

// Fixed notation with the given decimals and the style's separator, no grouping.
std::string FormatFixed(double value, int decimals, const NumberStyle& style);

}  // namespace korvane
