#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>

#include "config/Config.h"
#include "config/Profile.h"
#include "tests/config/ChildProcess.h"
#include "harness/TempDir.h"

namespace korvane {
namespace {

using test::ReadFile;
using test::TTempDir;

std::vector<std::string> Items(const TNameSet& set) { return {set.begin(), set.end()}; }

class ConfigIniTest : public ::testing::Test {
 protected:
  TConfig Load(const std::string& text) {
    TConfig config;
    config.LoadFromFile(dir.WriteFile("Korvane.ini", text));
    return config;
  }
  TTempDir dir;
};

TEST_F(ConfigIniTest, DefaultsAreWrittenInOrder) {
  TConfig().SaveToFile(dir / "Korvane.ini");
  EXPECT_EQ(ReadFile(dir / "Korvane.ini"),
            "[IgnoreAttr]\nFReadOnly=0\nFHidden=1\nFSysFile=1\n"
            "[IgnoreList]\nListCount=0\n"
            "[IgnoreExt]\nListCount=0\n"
            "[LowerSize]\nFLowerSize=512000\n");
}

TEST_F(ConfigIniTest, MissingEmptyOrBinaryFilesGiveDefaults) {
  for (const std::string& text : {std::string(), std::string("\0\xff\xfe[\x01=\n\r\r\r[", 11), std::string("[IgnoreAttr")}) {
    const TConfig config = Load(text);
    EXPECT_FALSE(config.FReadOnly);
    EXPECT_TRUE(config.FHidden);
    EXPECT_TRUE(config.FSysFile);
    EXPECT_EQ(config.FLowerSize, 512000);
    EXPECT_TRUE(config.FIgnoreList.Empty());
  }
  TConfig config;
  config.LoadFromFile(dir / "none.ini");
  EXPECT_TRUE(config.FHidden);
  config.LoadFromFile(dir.Path());  // a folder
  EXPECT_EQ(config.FLowerSize, 512000);
}

TEST_F(ConfigIniTest, ValuesAreParsedAsIntegers) {
  const TConfig config = Load(
      "[ignoreattr]\r\n fReadOnly = 2 \r\nFHidden=abc\r\nFSysFile=0x0\r\n"
      "[LowerSize]\r\nFLowerSize=0x400\r\n");
  EXPECT_TRUE(config.FReadOnly);
  EXPECT_TRUE(config.FHidden);  // not an integer: the default stays
  EXPECT_FALSE(config.FSysFile);
  EXPECT_EQ(config.FLowerSize, 1024);
  EXPECT_EQ(Load("[LowerSize]\nFLowerSize=abc\n").FLowerSize, 512000);
  EXPECT_EQ(Load("[LowerSize]\nFLowerSize=-5\n").FLowerSize, -5);
  EXPECT_EQ(Load("[LowerSize]\nFLowerSize=4294967296\n").FLowerSize, 512000);
}

TEST_F(ConfigIniTest, ListCountAboveTheKeysAddsTheEmptyString) {
  const TConfig config = Load("[IgnoreList]\nListCount=3\n0=b.txt\n1=A.txt\n");
  EXPECT_EQ(Items(config.FIgnoreList), (std::vector<std::string>{"", "A.txt", "b.txt"}));
}

// A gap in the numbered keys loses no entry, neither on loading nor through
// the save that a normal close makes.
TEST_F(ConfigIniTest, EntriesAfterAGapSurviveLoadAndSave) {
  const std::string path = dir.WriteFile("Korvane.ini",
                                         "[IgnoreList]\nListCount=3\n2=keep-me.txt\n"
                                         "[IgnoreExt]\nListCount=10\n5=.keepext\n");
  TConfig config;
  config.LoadFromFile(path);
  EXPECT_EQ(Items(config.FIgnoreList), (std::vector<std::string>{"", "keep-me.txt"}));
  EXPECT_EQ(Items(config.FIgnoreExt), (std::vector<std::string>{"", ".keepext"}));
  config.SaveToFile(path);
  TConfig again;
  again.LoadFromFile(path);
  EXPECT_EQ(Items(again.FIgnoreList), Items(config.FIgnoreList));
  EXPECT_EQ(Items(again.FIgnoreExt), Items(config.FIgnoreExt));
}

TEST_F(ConfigIniTest, OddListCountsReadOnlyWhatTheFileHolds) {
  EXPECT_TRUE(Load("[IgnoreExt]\nListCount=-1\n0=.db\n").FIgnoreExt.Empty());
  EXPECT_TRUE(Load("[IgnoreExt]\nListCount=zwei\n0=.db\n").FIgnoreExt.Empty());
  EXPECT_EQ(Items(Load("[IgnoreExt]\nListCount=$2\n0=.db\n1=.ini\n2=.txt\n").FIgnoreExt),
            (std::vector<std::string>{".db", ".ini"}));
  // Keys that only look like item numbers are none; repeated keys and
  // sections: the first one counts.
  EXPECT_EQ(Items(Load("[IgnoreExt]\nListCount=2\n01=.a\n+1=.b\n 1 =.c\n1=.d\n[IgnoreExt]\n0=.e\n").FIgnoreExt),
            (std::vector<std::string>{"", ".c"}));
  const auto start = std::chrono::steady_clock::now();
  const TConfig huge = Load("[IgnoreExt]\nListCount=2147483647\n0=.db\n2147483646=.ini\n2147483647=.no\n");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(Items(huge.FIgnoreExt), (std::vector<std::string>{"", ".db", ".ini"}));
}

TEST_F(ConfigIniTest, MalformedLinesCostNothingButThemselves) {
  const std::string mega(1 << 20, 'm');
  using namespace std::string_literals;
  const TConfig config = Load("[IgnoreList]\nListCount=4\n0=nul\0byte\n1="s + mega + "\n2\n3=x" +
                              "\n[LowerSize]\nFLowerSize=7");
  EXPECT_EQ(Items(config.FIgnoreList),
            (std::vector<std::string>{"", std::string(kProfileValueMax, 'm'), "nul\0byte"s, "x"}));
  EXPECT_EQ(config.FLowerSize, 7);  // a last line without its line break
}

// The mark before the first section hides nothing, and the rewritten file keeps it.
TEST_F(ConfigIniTest, AByteOrderMarkIsSkippedAndKept) {
  const std::string path = dir.WriteFile("Korvane.ini", "\xEF\xBB\xBF[IgnoreAttr]\r\nFHidden=0\r\n");
  TConfig config;
  config.LoadFromFile(path);
  EXPECT_FALSE(config.FHidden);
  config.SaveToFile(path);
  const std::string saved = ReadFile(path);
  EXPECT_TRUE(saved.starts_with("\xEF\xBB\xBF[IgnoreAttr]\r\nFHidden=0\r\nFReadOnly=0\r\n")) << saved;
  EXPECT_EQ(saved.find("[IgnoreAttr]", 4), std::string::npos) << saved;

  const std::string bare = dir.WriteFile("bare.ini", "\xEF\xBB\xBF");
  config = TConfig();
  config.LoadFromFile(bare);
  EXPECT_TRUE(config.FHidden);
  config.SaveToFile(bare);
  EXPECT_TRUE(ReadFile(bare).starts_with("\xEF\xBB\xBF[IgnoreAttr]\nFReadOnly=0\n"));
}

TEST_F(ConfigIniTest, RoundTripKeepsForeignLinesAndStaleKeys) {
  const std::string path = dir.WriteFile("Korvane.ini",
                                         "; written by hand\r\n"
                                         "[IgnoreList]\r\n"
                                         "ListCount=3\r\n0=a.txt\r\n1=b.txt\r\n2=c.txt\r\nColour=blue\r\n"
                                         "\r\n"
                                         "[Other]\r\nKey=value\r\n");
  TConfig config;
  config.LoadFromFile(path);
  ConfigFormView view;
  config.ToForm(view);
  view.MemIgnoreList = "a.txt\r\nc.txt";
  config.FromForm(view);
  config.SaveToFile(path);
  EXPECT_EQ(ReadFile(path),
            "; written by hand\r\n"
            "[IgnoreList]\r\n"
            "ListCount=2\r\n0=a.txt\r\n1=c.txt\r\n2=c.txt\r\nColour=blue\r\n"
            "\r\n"
            "[Other]\r\nKey=value\r\n"
            "[IgnoreAttr]\r\nFReadOnly=0\r\nFHidden=1\r\nFSysFile=1\r\n"
            "[IgnoreExt]\r\nListCount=0\r\n"
            "[LowerSize]\r\nFLowerSize=512000\r\n");
  TConfig again;
  again.LoadFromFile(path);
  EXPECT_EQ(Items(again.FIgnoreList), (std::vector<std::string>{"a.txt", "c.txt"}));
}

// Move-to targets: only absolute paths count, any value read goes back as it
// was, an unset target adds no key, and one that would break its line none.
TEST_F(ConfigIniTest, MoveTargetsCountOnlyAsFullPathsAndGoBackAsRead) {
  const std::string path = dir.WriteFile("Korvane.ini", "[MoveTo]\nFMoveTo1=/v/keep it\nFMoveTo2=relative\nFMoveTo9=\xff\n");
  TConfig config;
  config.LoadFromFile(path);
  EXPECT_EQ(config.MoveTarget(1), "/v/keep it");
  EXPECT_EQ(config.MoveTarget(2), "");
  EXPECT_EQ(config.MoveTarget(9), "");
  EXPECT_EQ(config.MoveTarget(0), "");
  EXPECT_EQ(config.MoveTarget(10), "");
  config.FMoveTo[1] = "/v/a\nFMoveTo3=/etc";
  config.FMoveTo[4] = "/v/five";
  config.SaveToFile(path);
  EXPECT_EQ(ReadFile(path), "[MoveTo]\nFMoveTo1=/v/keep it\nFMoveTo2=relative\nFMoveTo9=\xff\nFMoveTo5=/v/five\n"
                            "[IgnoreAttr]\nFReadOnly=0\nFHidden=1\nFSysFile=1\n"
                            "[IgnoreList]\nListCount=0\n[IgnoreExt]\nListCount=0\n[LowerSize]\nFLowerSize=512000\n");
}

TEST_F(ConfigIniTest, NamesSurviveTheRoundTripAsTheyAre) {
  TConfig config;
  for (const char* name : {" lead.txt", "\"quoted\"", "'single'", "bad\xff.mp4", "x=y"}) config.FIgnoreList.Add(name);
  config.SaveToFile(dir / "Korvane.ini");
  TConfig again;
  again.LoadFromFile(dir / "Korvane.ini");
  EXPECT_EQ(Items(again.FIgnoreList), Items(config.FIgnoreList));
}

TEST_F(ConfigIniTest, IniPathFollowsTheExecutableOrTheEnvironment) {
  ::unsetenv("KORVANE_INI");
  char exe[4096] = {};
  ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  EXPECT_EQ(ConfigFilePath(), std::string(exe) + ".ini");
  ::setenv("KORVANE_INI", "/tmp/other.ini", 1);
  EXPECT_EQ(ConfigFilePath(), "/tmp/other.ini");
  ::unsetenv("KORVANE_INI");
}

TEST_F(ConfigIniTest, AnInstalledCopyKeepsItsSettingsInTheUsersConfigFolder) {
  EXPECT_EQ(ChooseConfigFile("/opt/bin/Korvane.ini", true, dir / "config"), "/opt/bin/Korvane.ini");
  const std::string ini = ChooseConfigFile("/usr/bin/Korvane.ini", false, dir / "config");
  EXPECT_EQ(ini, dir / "config/Korvane/Korvane.ini");
  TConfig config;
  config.FLowerSize = 7;
  config.SaveToFile(ini);
  TConfig again;
  again.LoadFromFile(ini);
  EXPECT_EQ(again.FLowerSize, 7);

  EXPECT_TRUE(IsInstalledCopy("/usr/lib/korvane/Korvane"));
  EXPECT_TRUE(IsInstalledCopy("/usr/local/lib/korvane/Korvane"));
  EXPECT_FALSE(IsInstalledCopy("/home/u/build/Korvane"));
  EXPECT_FALSE(IsInstalledCopy("/opt/lib/korvane-0.8/Korvane"));
  EXPECT_FALSE(IsInstalledCopy("/usr/lib/korvane/old/Korvane"));
  EXPECT_FALSE(IsInstalledCopy("Korvane"));
}

void ExpectSaveFails(const TConfig& config, const std::string& path) {
  try {
    config.SaveToFile(path);
    ADD_FAILURE() << "saved to " << path;
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), path + " に書き込めません");
  }
}

TEST_F(ConfigIniTest, SaveThroughARegularFileFails) {
  dir.WriteFile("plain", "x");
  ExpectSaveFails(TConfig(), dir / "plain/Korvane.ini");
}

// What is no regular file gives the defaults, without blocking, and is not replaced.
TEST_F(ConfigIniTest, AFolderOrFifoIsNoIni) {
  const std::string folder = dir.MakeDir("Folder.ini");
  const std::string fifo = dir / "Fifo.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  for (const std::string& path : {folder, fifo}) {
    TConfig config;
    config.FLowerSize = 3;
    config.LoadFromFile(path);
    EXPECT_EQ(config.FLowerSize, 3);
    ExpectSaveFails(config, path);
  }
  struct stat st {};
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(ConfigIniTest, SymbolicLinkStaysALink) {
  const std::string real = dir.WriteFile("real.ini", "[Other]\nA=1\n");
  const std::string link = dir / "Korvane.ini";
  ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
  TConfig().SaveToFile(link);
  struct stat st {};
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_NE(ReadFile(real).find("FLowerSize=512000"), std::string::npos);

  // A dangling link: the save creates the file it leads to.
  const std::string dangling = dir / "Dangling.ini";
  ASSERT_EQ(::symlink("sub/target.ini", dangling.c_str()), 0);
  ExpectSaveFails(TConfig(), dangling);  // its folder is missing
  dir.MakeDir("sub");
  TConfig().SaveToFile(dangling);
  ASSERT_EQ(::lstat(dangling.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_NE(ReadFile(dir / "sub/target.ini").find("FLowerSize=512000"), std::string::npos);
}

// A real failure for root: the folder on a read-only mount, then a full disk.
// The mounts live in a child's own mount namespace and vanish with it.
TEST_F(ConfigIniTest, FailedSaveLeavesTheOldFileWhole) {
  const std::string old = "[Other]\nA=1\n[LowerSize]\nFLowerSize=7\n";
  const std::string roDir = dir.MakeDir("ro");
  const std::string roIni = dir.WriteFile("ro/Korvane.ini", old);
  const std::string fullDir = dir.MakeDir("full");
  const int code = test::RunInChild([&] {
    if (!test::PrivateMounts()) return test::kChildSkip;
    if (::mount(roDir.c_str(), roDir.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        ::mount(nullptr, roDir.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
      return test::kChildSkip;
    TConfig config;
    config.FLowerSize = 1;
    try {
      config.SaveToFile(roIni);
      return 1;
    } catch (const std::runtime_error&) {
    }
    if (ReadFile(roIni) != old) return 2;

    if (::mount("tmpfs", fullDir.c_str(), "tmpfs", 0, "size=64k") != 0) return test::kChildSkip;
    const std::string fullIni = fullDir + "/Korvane.ini";
    std::FILE* f = std::fopen(fullIni.c_str(), "w");
    if (!f || std::fputs(old.c_str(), f) < 0 || std::fclose(f) != 0) return 3;
    const int filler = ::open((fullDir + "/filler").c_str(), O_WRONLY | O_CREAT, 0644);
    const std::string block(4096, 'x');
    while (::write(filler, block.data(), block.size()) > 0) {
    }
    ::close(filler);
    for (int i = 0; i < 100; ++i) config.FIgnoreList.Add("a long file name to fill the disk " + std::to_string(i));
    try {
      config.SaveToFile(fullIni);
      return 4;
    } catch (const std::runtime_error&) {
    }
    if (ReadFile(fullIni) != old) return 5;
    return 0;
  });
  if (code == test::kChildSkip) GTEST_SKIP() << "mounts are not possible here";
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ReadFile(roIni), old);
}

}  // namespace
}  // namespace korvane
