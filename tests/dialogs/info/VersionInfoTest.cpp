#include "dialogs/info/VersionInfo.h"
#include "platform/OwnExecutable.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "dialogs/info/VersionBlock.h"
#include "harness/TempDir.h"

namespace korvane {
namespace {

using test::ReadFile;
using test::TTempDir;

uint32_t U32(std::span<const uint8_t> b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

VersionBlockData SampleData() {
  VersionBlockData d;
  d.stringTable = "040904E4";
  d.strings = {{"FileVersion", "  1.0  "}, {"Comments", "\t\r"}, {"ProductName", "Sample"}};
  d.translations = {{0x0409, 0x04E4}};
  return d;
}

// A copy of a small system program with the given block added as the version section.
std::string ProgramWithBlock(const TTempDir& dir, const std::vector<uint8_t>& block) {
  const std::string blob = dir.WriteFile("block.bin", Bytes(block));
  const std::string out = dir / "program";
  const std::string command = "objcopy --add-section " + std::string(kVersionSectionName) + "=" + blob +
                              " /bin/true " + out;
  EXPECT_EQ(std::system(command.c_str()), 0);
  return out;
}

TEST(VersionInfoOwnBlock, StringsOfTheRunningProgram) {
  const std::string exe = OwnExecutablePath();
  EXPECT_EQ(GetVersionValue("FileVersion", exe), "0.8.1.20");
  EXPECT_EQ(GetVersionValue("FileDescription", exe), "30秒スキップのできるプレイヤー");
  EXPECT_EQ(GetVersionValue("InternalName", exe), "Korvane");
  EXPECT_EQ(GetVersionValue("fileversion", exe), "0.8.1.20");
  EXPECT_EQ(GetVersionValue("CompanyName", exe), "");
  EXPECT_EQ(GetVersionValue("LegalTrademarks", exe), "");
  EXPECT_NE(GetVersionValue("LegalCopyright", exe), "");
  EXPECT_EQ(GetVersionValue("%s%d", exe), "");
  EXPECT_STREQ(VersionKeyNames[2], "FileDescription");
  EXPECT_STREQ(VersionKeyNames[3], "FileVersion");
}

// What a copy of this program reads about itself after its file was removed
// (or, with KORVANE_TEST_REMOVE=0, kept): run by the next test only.
TEST(VersionInfoOwnBlock, DISABLED_ReportOfACopy) {
  const char* report = std::getenv("KORVANE_TEST_REPORT");
  ASSERT_NE(report, nullptr);
  char self[4096] = {};
  ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
  const char* remove = std::getenv("KORVANE_TEST_REMOVE");
  if (remove && std::string(remove) == "1") {
    ASSERT_EQ(::unlink(self), 0);
  }
  std::FILE* out = std::fopen(report, "w");
  ASSERT_NE(out, nullptr);
  std::fprintf(out, "%s\n%s\n", OwnExecutablePath().c_str(), GetVersionValue("FileVersion", kOwnImage).c_str());
  std::fclose(out);
}

TEST(VersionInfoOwnBlock, OwnFileReplacedWhileRunning) {
  TTempDir dir;
  auto run = [&](const std::string& name, bool remove) {
    const std::string copy = dir.WriteFile(name, ReadFile(OwnExecutablePath()));
    ::chmod(copy.c_str(), 0755);
    const std::string command = "KORVANE_TEST_REPORT=" + dir / "report" + " KORVANE_TEST_REMOVE=" + (remove ? "1" : "0") +
                                " '" + copy +
                                "' --gtest_also_run_disabled_tests --gtest_filter=VersionInfoOwnBlock.DISABLED_ReportOfACopy"
                                " >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << name;
    return ReadFile(dir / "report");
  };
  EXPECT_EQ(run("Korvane", true), dir / "Korvane\n0.8.1.20\n");
  EXPECT_EQ(run("Named (deleted)", false), dir / "Named (deleted)\n0.8.1.20\n");
}

TEST(VersionInfoOwnBlock, FixedInfoAndTranslation) {
  const auto block = LoadVersionBlock(OwnExecutablePath());
  ASSERT_TRUE(block);
  const auto fixed = VerQueryValue(*block, "\\");
  ASSERT_TRUE(fixed);
  ASSERT_EQ(fixed->bytes.size(), kFixedFileInfoSize);
  EXPECT_EQ(U32(fixed->bytes, 0), kFixedFileInfoSignature);
  EXPECT_EQ(U32(fixed->bytes, 8), 0x00000008u);   // 0.8
  EXPECT_EQ(U32(fixed->bytes, 12), 0x00010014u);  // .1.20
  EXPECT_EQ(U32(fixed->bytes, 16), 0u);
  EXPECT_EQ(U32(fixed->bytes, 20), 0u);
  EXPECT_EQ(U32(fixed->bytes, 32), 0x00040004u);
  EXPECT_EQ(U32(fixed->bytes, 36), 1u);
  const auto translation = VerQueryValue(*block, "\\VarFileInfo\\Translation");
  ASSERT_TRUE(translation);
  EXPECT_EQ(U32(translation->bytes, 0), 0x04E40409u);
}

TEST(VersionInfoBlocks, ValueTrimmedAndMissingParts) {
  TTempDir dir;
  EXPECT_EQ(GetVersionValue("FileVersion", ProgramWithBlock(dir, SerializeVersionBlock(BuildVersionTree(SampleData())))),
            "1.0");
  EXPECT_EQ(GetVersionValue("Comments", dir / "program"), "");
  EXPECT_EQ(GetVersionValue("ProductName", dir / "program"), "Sample");

  VersionBlockData noTranslation = SampleData();
  noTranslation.translations.clear();
  EXPECT_EQ(GetVersionValue("ProductName", ProgramWithBlock(dir, SerializeVersionBlock(BuildVersionTree(noTranslation)))),
            "");

  // Only the first language counts, even when a later one has the table.
  VersionBlockData otherFirst = SampleData();
  otherFirst.translations.insert(otherFirst.translations.begin(), {0x0411, 0x03A4});
  EXPECT_EQ(GetVersionValue("ProductName", ProgramWithBlock(dir, SerializeVersionBlock(BuildVersionTree(otherFirst)))),
            "");
}

TEST(VersionInfoBadFiles, NothingFromFilesWithoutABlock) {
  TTempDir dir;
  EXPECT_EQ(GetVersionValue("FileVersion", "/bin/sh"), "");
  EXPECT_EQ(GetVersionValue("FileVersion", dir / "missing"), "");
  EXPECT_EQ(GetVersionValue("FileVersion", dir.Path()), "");
  EXPECT_EQ(GetVersionValue("FileVersion", dir.WriteFile("empty", "")), "");
  EXPECT_EQ(GetVersionValue("FileVersion", dir.WriteFile("elf-ish", std::string("\x7f" "ELF\2\1\1", 7) + std::string(200, '\xff'))), "");
  std::mt19937 random(7);
  std::string garbage(4096, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  EXPECT_EQ(GetVersionValue("FileVersion", dir.WriteFile("garbage", garbage)), "");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_EQ(GetVersionValue("FileVersion", dir / "fifo"), "");  // must not wait for a writer
}

TEST(VersionInfoBadFiles, TruncatedAndCorruptCopiesOfTheProgram) {
  TTempDir dir;
  const std::string exe = ReadFile(OwnExecutablePath());
  ASSERT_GT(exe.size(), 4096u);
  for (size_t size : {size_t{16}, size_t{63}, exe.size() / 2, exe.size() - 1}) {
    EXPECT_EQ(GetVersionValue("FileVersion", dir.WriteFile("cut", exe.substr(0, size))), "") << size;
  }
  auto patched = [&](size_t at, const std::string& bytes) {
    std::string copy = exe;
    copy.replace(at, bytes.size(), bytes);
    return GetVersionValue("FileVersion", dir.WriteFile("patched", copy));
  };
  EXPECT_EQ(patched(0x28, std::string("\xff\xff\xff\xff\xff\xff\xff\x7f", 8)), "");  // section headers far away
  EXPECT_EQ(patched(0x3A, std::string("\x01\x00", 2)), "");                           // header entries too small
  EXPECT_EQ(patched(0x3C, std::string("\xff\xfe", 2)), "");                           // too many sections
  EXPECT_EQ(patched(0x3E, std::string("\xfe\xff", 2)), "");                           // no name table
  EXPECT_EQ(patched(0, "\x7f" "ELF"), "0.8.1.20");
}

TEST(VersionInfoBlocks, MalformedBlocksNeverReadOutside) {
  const auto good = *LoadVersionBlock(OwnExecutablePath());
  for (size_t size = 0; size < good.size(); ++size) {
    const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(size));
    EXPECT_FALSE(VerQueryValue(cut, "\\StringFileInfo\\040904E4\\FileVersion")) << size;
  }
  for (size_t at = 0; at < good.size(); ++at) {
    for (uint8_t value : {uint8_t{0}, uint8_t{0x7f}, uint8_t{0xff}}) {
      std::vector<uint8_t> bad = good;
      bad[at] = value;
      const auto v = VerQueryValue(bad, "\\StringFileInfo\\040904E4\\FileVersion");
      if (v) {
        EXPECT_LE(v->bytes.data() + v->bytes.size(), bad.data() + bad.size());
      }
    }
  }
}

TEST(VersionInfoBlocks, DataFileErrorsNameTheLine) {
  EXPECT_THROW(ParseVersionBlockData("FileVersion=1.0.0.0\n"), std::invalid_argument);
  EXPECT_THROW(ParseVersionBlockData("[Fixed]\nFileVersion=1.0\n"), std::invalid_argument);
  EXPECT_THROW(ParseVersionBlockData("[Fixed]\nFileVersion=1.0.0.70000\n"), std::invalid_argument);
  EXPECT_THROW(ParseVersionBlockData("[VarFileInfo]\nTranslation=0x0409\n"), std::invalid_argument);
  const auto d = ParseVersionBlockData("[StringFileInfo\\041103A4]\r\nA = b=c \r\n");
  EXPECT_EQ(d.stringTable, "041103A4");
  ASSERT_EQ(d.strings.size(), 1u);
  EXPECT_EQ(d.strings[0].second, "b=c");
}

}  // namespace
}  // namespace korvane
