// Build step: turns the version-block data file into a source file that puts
// the serialised block into the executable's version section.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "dialogs/info/VersionBlock.h"
#include "dialogs/info/VersionInfo.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: korvane_version_gen DATA.txt OUT.cpp\n";
    return 2;
  }
  try {
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) throw std::runtime_error(std::string("cannot read ") + argv[1]);
    std::stringstream text;
    text << in.rdbuf();
    const auto block = korvane::SerializeVersionBlock(korvane::BuildVersionTree(korvane::ParseVersionBlockData(text.str())));
    std::ostringstream out;
    out << "// Generated from " << argv[1] << " by korvane_version_gen; do not edit.\n"
        << "extern const unsigned char korvane_version_block[" << block.size() << "];\n"
        << "alignas(4) __attribute__((section(\"" << korvane::kVersionSectionName << "\"), used, retain))\n"
        << "const unsigned char korvane_version_block[" << block.size() << "] = {";
    for (size_t i = 0; i < block.size(); ++i) out << (i % 16 ? " " : "\n  ") << static_cast<int>(block[i]) << ",";
    out << "\n};\n";
    std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
    file << out.str();
    if (!file.flush()) throw std::runtime_error(std::string("cannot write ") + argv[2]);
  } catch (const std::exception& e) {
    std::cerr << "korvane_version_gen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
