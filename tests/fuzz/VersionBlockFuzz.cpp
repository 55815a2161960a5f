// Any bytes, read as an executable file: the section lookup stays inside the
// file and every version value is read without harm. The bytes are also
// queried as a version block of their own.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "dialogs/info/ElfSection.h"
#include "dialogs/info/VersionBlock.h"
#include "dialogs/info/VersionInfo.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// A file in memory that holds the bytes; its name opens it like any file.
std::string FileOf(const uint8_t* data, size_t size) {
  static const int fd = memfd_create("fuzz-elf", MFD_CLOEXEC);
  Check(fd >= 0 && ftruncate(fd, 0) == 0);
  Check(pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
  return "/proc/self/fd/" + std::to_string(fd);
}

void CheckSection(const std::string& file, const uint8_t* data, size_t size) {
  const auto place = korvane::FindElfSection(file, korvane::kVersionSectionName);
  if (!place) return;
  Check(place->offset <= size && place->size <= size - place->offset);
  const auto bytes = korvane::ReadElfSection(file, korvane::kVersionSectionName, size);
  Check(bytes && bytes->size() == place->size);
  Check(place->size == 0 || std::memcmp(bytes->data(), data + place->offset, place->size) == 0);
}

void QueryBlock(std::span<const uint8_t> block) {
  for (const char* path : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904E4\\FileVersion",
                           "\\StringFileInfo\\040904e4\\filedescription", "\\\\", "\\A\\"}) {
    const auto value = korvane::VerQueryValue(block, path);
    if (!value || value->bytes.empty()) continue;
    Check(value->bytes.data() >= block.data() && value->bytes.data() + value->bytes.size() <= block.data() + block.size());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file = FileOf(data, size);
  CheckSection(file, data, size);
  for (const char* key : korvane::VersionKeyNames) (void)korvane::GetVersionValue(key, file);
  QueryBlock({data, size});
  return 0;
}
