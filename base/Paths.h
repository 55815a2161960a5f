#pragma once
// Path text helpers; '/' is the only separator.
#include <string>
#include <string_view>

namespace korvane {

constexpr char kPathDelim = '/';

// Appends '/' unless the path already ends with one (an empty path stays empty).
std::string IncludeTrailingPathDelimiter(std::string_view path);
// Removes one trailing '/' unless the path is the root "/".
std::string ExcludeTrailingPathDelimiter(std::string_view path);
// Everything up to and including the last '/' ("" when there is none).
std::string ExtractFilePath(std::string_view path);
// The part after the last '/'.
std::string ExtractFileName(std::string_view path);
// From the last '.' after the last '/', dot included ("" when there is none).
std::string ExtractFileExt(std::string_view path);
// The path without its extension (see ExtractFileExt).
std::string StripFileExt(std::string_view path);
// The path as a URL path: every byte but letters, digits, "-._~" and "/" as %XX,
// so that names which are not UTF-8 survive.
std::string PercentEncodePath(std::string_view path);
// The bytes of a URL path: each %XX (either case of hex digit) becomes its
// byte, whatever the bytes form; anything else, a stray '%' included, stays.
std::string PercentDecodePath(std::string_view path);

}  // namespace korvane
