#pragma once
// Values of a program's version block, read from the section the build puts
// it in (see VersionBlock.h; the object library korvane_version_block carries
// the program's own block).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

constexpr const char* kVersionSectionName = ".korvane_version";

extern const std::array<const char*, 12> VersionKeyNames;

// The raw block of fileName; nothing when the file carries none.
std::optional<std::vector<uint8_t>> LoadVersionBlock(const std::string& fileName);

// The trimmed value of KeyName in the first language the block's translation
// table names; "" when the file has no block, no translation or no such key.
std::string GetVersionValue(const std::string& KeyName, const std::string& FileName);

}  // namespace korvane
