#pragma once
// Whole texts to and from files, as bytes.
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// What the file holds; nothing when it cannot be opened.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Writes all of bytes to fd, again after an interrupted or partial write;
// false with errno set when a write fails (EIO for one that writes nothing).
bool WriteAll(int fd, std::string_view bytes);

}  // namespace korvane
