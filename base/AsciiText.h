#pragma once
// Byte-wise text helpers that know only ASCII: trimming and lower case. Bytes
// of other characters (UTF-8 included) stay as they are.
#include <string>
#include <string_view>

namespace korvane {

// s without its leading and trailing bytes up to ' ': blanks, line breaks and
// other control characters.
std::string_view TrimControls(std::string_view s);
// s without its leading and trailing bytes that are in chars.
std::string_view TrimAny(std::string_view s, std::string_view chars);
// s without its trailing bytes that are in chars.
std::string_view TrimRightAny(std::string_view s, std::string_view chars);

// A..Z as a..z; any other byte as it is.
char AsciiLower(char c);
std::string AsciiLower(std::string s);

}  // namespace korvane
