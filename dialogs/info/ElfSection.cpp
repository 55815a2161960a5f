#include "dialogs/info/ElfSection.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace korvane {
namespace {

constexpr uint32_t kShtNobits = 8;
constexpr uint32_t kShnXindex = 0xFFFF;
// Section header and name tables of real programs are far smaller.
constexpr uint64_t kMaxTableSize = 16u << 20;

class TFile {
 public:
  explicit TFile(const std::string& name) : FFd(open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
    struct stat st {};
    if (FFd >= 0 && fstat(FFd, &st) == 0 && S_ISREG(st.st_mode)) FSize = static_cast<uint64_t>(st.st_size);
  }
  ~TFile() {
    if (FFd >= 0) close(FFd);
  }
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;

  uint64_t Size() const { return FSize; }

  // Reads exactly count bytes at offset, all inside the file.
  std::optional<std::vector<uint8_t>> Read(uint64_t offset, uint64_t count) const {
    if (offset > FSize || count > FSize - offset) return std::nullopt;
    std::vector<uint8_t> buf(static_cast<size_t>(count));
    size_t done = 0;
    while (done < buf.size()) {
      const ssize_t n = pread(FFd, buf.data() + done, buf.size() - done, static_cast<off_t>(offset + done));
      if (n <= 0) return std::nullopt;
      done += static_cast<size_t>(n);
    }
    return buf;
  }

 private:
  int FFd;
  uint64_t FSize = 0;
};

// Reads integers of the file's class and byte order from a buffer; callers check bounds first.
struct Decoder {
  bool is64 = false;
  bool bigEndian = false;

  uint64_t Uint(const std::vector<uint8_t>& b, size_t at, size_t width) const {
    uint64_t v = 0;
    for (size_t i = 0; i < width; ++i) {
      const uint8_t byte = b[bigEndian ? at + i : at + width - 1 - i];
      v = v << 8 | byte;
    }
    return v;
  }
  uint64_t Word(const std::vector<uint8_t>& b, size_t at) const { return Uint(b, at, is64 ? 8 : 4); }
};

struct SectionHeader {
  uint32_t name = 0;
  uint32_t type = 0;
  uint64_t offset = 0;
  uint64_t size = 0;
  uint32_t link = 0;
};

struct SectionTable {
  Decoder dec;
  uint64_t offset = 0;
  uint64_t entrySize = 0;
  uint64_t count = 0;
  uint32_t namesIndex = 0;
};

SectionHeader DecodeSection(const Decoder& dec, const std::vector<uint8_t>& b, size_t at) {
  SectionHeader h;
  h.name = static_cast<uint32_t>(dec.Uint(b, at, 4));
  h.type = static_cast<uint32_t>(dec.Uint(b, at + 4, 4));
  h.offset = dec.Word(b, at + (dec.is64 ? 24 : 16));
  h.size = dec.Word(b, at + (dec.is64 ? 32 : 20));
  h.link = static_cast<uint32_t>(dec.Uint(b, at + (dec.is64 ? 40 : 24), 4));
  return h;
}

std::optional<SectionTable> ReadElfHeader(const TFile& file) {
  const auto header = file.Read(0, std::min<uint64_t>(64, file.Size()));
  if (!header || header->size() < 52 || std::memcmp(header->data(), "\x7f" "ELF", 4) != 0) return std::nullopt;
  const uint8_t elfClass = (*header)[4], data = (*header)[5];
  if ((elfClass != 1 && elfClass != 2) || (data != 1 && data != 2)) return std::nullopt;
  SectionTable t;
  t.dec = Decoder{elfClass == 2, data == 2};
  if (t.dec.is64 && header->size() < 64) return std::nullopt;
  const size_t base = t.dec.is64 ? 0x28 : 0x20;  // e_shoff
  t.offset = t.dec.Word(*header, base);
  const size_t sizes = t.dec.is64 ? 0x3A : 0x2E;  // e_shentsize, e_shnum, e_shstrndx
  t.entrySize = t.dec.Uint(*header, sizes, 2);
  t.count = t.dec.Uint(*header, sizes + 2, 2);
  t.namesIndex = static_cast<uint32_t>(t.dec.Uint(*header, sizes + 4, 2));
  if (t.offset == 0 || t.entrySize < (t.dec.is64 ? 64u : 40u)) return std::nullopt;
  return t;
}

// Many sections: the real count and name-table index live in section 0.
bool ResolveExtendedNumbering(const TFile& file, SectionTable& t) {
  if (t.count != 0 && t.namesIndex != kShnXindex) return true;
  const auto first = file.Read(t.offset, t.entrySize);
  if (!first) return false;
  const SectionHeader zero = DecodeSection(t.dec, *first, 0);
  if (t.count == 0) t.count = zero.size;
  if (t.namesIndex == kShnXindex) t.namesIndex = zero.link;
  return true;
}

}  // namespace

std::optional<ElfSectionPlace> FindElfSection(const std::string& fileName, std::string_view sectionName) {
  const TFile file(fileName);
  auto table = ReadElfHeader(file);
  if (!table || !ResolveExtendedNumbering(file, *table)) return std::nullopt;
  if (table->count == 0 || table->count > kMaxTableSize / table->entrySize || table->namesIndex >= table->count) {
    return std::nullopt;
  }
  const auto headers = file.Read(table->offset, table->count * table->entrySize);
  if (!headers) return std::nullopt;
  const Decoder& dec = table->dec;
  const SectionHeader names = DecodeSection(dec, *headers, table->namesIndex * table->entrySize);
  if (names.type == kShtNobits || names.size > kMaxTableSize) return std::nullopt;
  const auto nameBytes = file.Read(names.offset, names.size);
  if (!nameBytes) return std::nullopt;
  for (uint64_t i = 0; i < table->count; ++i) {
    const SectionHeader h = DecodeSection(dec, *headers, static_cast<size_t>(i * table->entrySize));
    if (h.name >= nameBytes->size() || nameBytes->size() - h.name <= sectionName.size()) continue;
    const char* name = reinterpret_cast<const char*>(nameBytes->data()) + h.name;
    if (std::memcmp(name, sectionName.data(), sectionName.size()) != 0 || name[sectionName.size()] != '\0') continue;
    if (h.type == kShtNobits || h.offset > file.Size() || h.size > file.Size() - h.offset) return std::nullopt;
    return ElfSectionPlace{h.offset, h.size};
  }
  return std::nullopt;
}

std::optional<std::vector<uint8_t>> ReadElfSection(const std::string& fileName, std::string_view sectionName,
                                                   uint64_t maxSize) {
  const auto place = FindElfSection(fileName, sectionName);
  if (!place || place->size > maxSize) return std::nullopt;
  return TFile(fileName).Read(place->offset, place->size);
}

}  // namespace korvane
