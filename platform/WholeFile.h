#pragma once
// A whole file read at once, as bytes.
#include <optional>
#include <string>

namespace korvane {

// What the file holds; nothing when it cannot be opened.
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace korvane
