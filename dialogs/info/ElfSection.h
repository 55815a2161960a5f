#pragma once
// Finds a named section of an ELF file (32 or 64 bits, either byte order) by
// its section headers. Every offset and size read from the file is checked
// against the file's size, so a truncated or corrupt file finds nothing.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct ElfSectionPlace {
  uint64_t offset = 0;
  uint64_t size = 0;
};

// Nothing for a file that cannot be opened, is not a regular file, is not ELF,
// has no such section (or one without file contents) or is malformed on the way.
std::optional<ElfSectionPlace> FindElfSection(const std::string& fileName, std::string_view sectionName);

// The section's bytes; nothing when it cannot be read in full or is larger than maxSize.
std::optional<std::vector<uint8_t>> ReadElfSection(const std::string& fileName, std::string_view sectionName,
                                                   uint64_t maxSize);

}  // namespace korvane
