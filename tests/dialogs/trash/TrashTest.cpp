// The trash on real files: a temporary XDG_DATA_HOME for the home trash, a
// private tmpfs for the top-level trash of another mount, and the desktop's
// own tools (gio) as the judge of whether a file manager can restore it.
#include "dialogs/trash/Trash.h"
#include "dialogs/trash/MoveTo.h"

#include <dirent.h>
#include <sched.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <regex>
#include <set>

#include <gtest/gtest.h>

#include "base/Paths.h"
#include "harness/TempDir.h"

namespace korvane {
namespace {

using test::ReadFile;
using test::TTempDir;

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  if (DIR* d = opendir(folder.c_str())) {
    while (const dirent* e = readdir(d)) {
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.insert(e->d_name);
    }
    closedir(d);
  }
  return names;
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  lstat(path.c_str(), &st);
  return st.st_mode & 07777;
}

std::string Quote(const std::string& text) {
  std::string out = "'";
  for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs a shell command; its standard output, or nullopt when it failed.
std::optional<std::string> RunShell(const std::string& command) {
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return std::nullopt;
  std::string out;
  char buffer[4096];
  while (const size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  if (pclose(pipe) != 0) return std::nullopt;
  return out;
}

// The record without its time stamp, which differs between two trashings.
std::string WithoutDate(const std::string& record) {
  return std::regex_replace(record, std::regex("DeletionDate=[^\n]*"), "DeletionDate=");
}

std::string FolderOf(const std::string& path) { return ExcludeTrailingPathDelimiter(ExtractFilePath(path)); }

uid_t OwnerOf(const std::string& path) {
  struct stat st {};
  lstat(path.c_str(), &st);
  return st.st_uid;
}

// Another local user: the tests that need one run as root and switch to it.
constexpr uid_t kOtherUser = 65534;

// Runs body in a child process as the other user; the child's exit code is
// what body returns.
pid_t StartAsOtherUser(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    if (setgroups(0, nullptr) != 0 || setresgid(kOtherUser, kOtherUser, kOtherUser) != 0 ||
        setresuid(kOtherUser, kOtherUser, kOtherUser) != 0)
      _exit(125);
    _exit(body());
  }
  return child;
}

int ExitCodeOf(pid_t child) {
  int status = 0;
  if (waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ChownToOtherUser(std::initializer_list<std::string> paths) {
  for (const std::string& p : paths) ASSERT_EQ(lchown(p.c_str(), kOtherUser, kOtherUser), 0) << p;
}

const std::regex kRecordShape("\\[Trash Info\\]\nPath=[^\n]+\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");

class TrashHome : public ::testing::Test {
 protected:
  void SetUp() override { setenv("XDG_DATA_HOME", DataHome().c_str(), 1); }
  void TearDown() override { unsetenv("XDG_DATA_HOME"); }
  std::string DataHome() const { return FDir / "data"; }
  std::string HomeTrash() const { return DataHome() + "/Trash"; }

  TTempDir FDir;
};

TEST_F(TrashHome, FileGoesToFilesWithItsRecordInInfo) {
  const std::string path = FDir.WriteFile("media/clip 1.mp4", "bytes");
  std::string error;
  const auto placed = TrashFile(path, &error);
  ASSERT_TRUE(placed) << error;
  EXPECT_FALSE(Exists(path));
  EXPECT_EQ(placed->file, HomeTrash() + "/files/clip 1.mp4");
  EXPECT_EQ(placed->info, HomeTrash() + "/info/clip 1.mp4.trashinfo");
  EXPECT_EQ(ReadFile(placed->file), "bytes");
  const std::string record = ReadFile(placed->info);
  EXPECT_TRUE(std::regex_match(record, kRecordShape)) << record;
  EXPECT_NE(record.find("\nPath=" + FDir.Path() + "/media/clip%201.mp4\n"), std::string::npos) << record;
  for (const char* folder : {"", "/files", "/info"}) EXPECT_EQ(ModeOf(HomeTrash() + folder), 0700u) << folder;
}

TEST_F(TrashHome, RelativePathIsRecordedAbsolute) {
  const std::string path = FDir.WriteFile("rel.mp4", "x");
  char* cwd = getcwd(nullptr, 0);
  ASSERT_EQ(chdir(FDir.Path().c_str()), 0);
  const auto placed = TrashFile("rel.mp4");
  ASSERT_EQ(chdir(cwd), 0);
  free(cwd);
  ASSERT_TRUE(placed);
  EXPECT_NE(ReadFile(placed->info).find("\nPath=" + path + "\n"), std::string::npos);
}

TEST_F(TrashHome, SameNameTwiceKeepsBothUnderOwnNames) {
  const std::string path = FDir.WriteFile("take.mp4", "first");
  const auto first = TrashFile(path);
  FDir.WriteFile("take.mp4", "second");
  const auto second = TrashFile(path);
  ASSERT_TRUE(first && second);
  EXPECT_NE(first->file, second->file);
  EXPECT_EQ(ReadFile(first->file), "first");
  EXPECT_EQ(ReadFile(second->file), "second");
  EXPECT_EQ(WithoutDate(ReadFile(first->info)), WithoutDate(ReadFile(second->info)));
  EXPECT_EQ(Names(HomeTrash() + "/info").size(), 2u);
}

TEST_F(TrashHome, OrphanFileInTheTrashIsNotReplaced) {
  // A file under files/ without a record (left by some crash) keeps its name.
  FDir.WriteFile("data/Trash/files/take.mp4", "orphan");
  const auto placed = TrashFile(FDir.WriteFile("take.mp4", "new"));
  ASSERT_TRUE(placed);
  EXPECT_EQ(ReadFile(HomeTrash() + "/files/take.mp4"), "orphan");
  EXPECT_EQ(ReadFile(placed->file), "new");
  EXPECT_EQ(Names(HomeTrash() + "/info"), std::set<std::string>{ExtractFileName(placed->info)});
}

TEST_F(TrashHome, VanishedFileFailsWithoutARecord) {
  std::string error;
  EXPECT_FALSE(TrashFile(FDir / "gone.mp4", &error));
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
  EXPECT_FALSE(TrashFile(FDir / "gone/too.mp4", &error));
  EXPECT_TRUE(Names(HomeTrash() + "/info").empty());
}

TEST_F(TrashHome, LongNameIsShortenedInTheTrashButRecordedWhole) {
  std::string name;
  for (int i = 0; i < 124; ++i) name += "é";
  name += ".mp4";
  const std::string path = FDir.WriteFile(name, "long");
  std::string error;
  const auto placed = TrashFile(path, &error);
  ASSERT_TRUE(placed) << error;
  EXPECT_EQ(ReadFile(placed->file), "long");
  const std::string trashName = placed->file.substr(placed->file.rfind('/') + 1);
  EXPECT_LT(trashName.size(), name.size());
  EXPECT_EQ(trashName.substr(trashName.size() - 4), ".mp4");
  EXPECT_EQ(trashName.find("\xC3."), std::string::npos) << "cut inside a character";
  EXPECT_NE(ReadFile(placed->info).find("%C3%A9.mp4\n"), std::string::npos);
}

// Root may write anywhere, so the failing move runs as an unprivileged user.
TEST_F(TrashHome, FailedMoveTakesItsRecordBack) {
  const std::string folder = FDir.MakeDir("locked");
  const std::string path = FDir.WriteFile("locked/clip.mp4", "keep");
  FDir.MakeDir("data");
  for (const std::string& p : {FDir.Path(), DataHome(), folder, path}) ASSERT_EQ(chown(p.c_str(), 65534, 65534), 0);
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    std::string error;
    const bool kept = !TrashFile(path, &error) && Exists(path) && Names(HomeTrash() + "/info").empty();
    _exit(kept && error.find("Permission denied") != std::string::npos ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(ReadFile(path), "keep");
}

// Names a file manager must cope with: reserved characters, a line break,
// bytes that are not UTF-8.
const char* const kAwkwardNames[] = {"a b#%&é;=+,@:!$'()*~[]?.txt", "new\nline.mp4", "bad\xff.mp4"};

TEST_F(TrashHome, RecordsMatchWhatGioWrites) {
  if (!RunShell("gio version")) GTEST_SKIP() << "gio cannot run here";
  const std::string gioData = FDir / "giodata";
  for (const std::string name : kAwkwardNames) {
    const std::string path = FDir.WriteFile("media/" + name, "ours");
    const auto placed = TrashFile(path);
    ASSERT_TRUE(placed) << name;
    FDir.WriteFile("media/" + name, "gio's");
    // gio takes the home trash only for a file on the home folder's device.
    const std::string gioEnv = "HOME=" + Quote(FDir.Path()) + " XDG_DATA_HOME=" + Quote(gioData);
    ASSERT_TRUE(RunShell(gioEnv + " gio trash " + Quote(path))) << name;
    const std::string gioInfo = gioData + "/Trash/info/" + name + ".trashinfo";
    EXPECT_EQ(WithoutDate(ReadFile(placed->info)), WithoutDate(ReadFile(gioInfo))) << name;
    EXPECT_TRUE(std::regex_match(ReadFile(gioInfo), kRecordShape));
  }
  EXPECT_EQ(Names(HomeTrash() + "/files"), Names(gioData + "/Trash/files"));
}

// gio's trash:// needs its daemon, which needs a session bus of its own.
std::optional<std::string> GioSession(const std::string& command) {
  return RunShell("timeout 60 dbus-run-session -- " + command);
}

// gio lists every entry, but here restores a name it shows escaped (any byte
// outside printable ASCII) to the escaped text, even for its own trashings;
// so those are only listed, and ASCII names with reserved characters restored.
TEST_F(TrashHome, GioListsAndRestoresTrashedFiles) {
  if (!GioSession("gio trash --list")) GTEST_SKIP() << "gio's trash service cannot run here";
  const std::string odd = FDir.WriteFile("media/bad\xff.mp4", "odd");
  const std::string broken = FDir.WriteFile("media/new\nline.mp4", "broken");
  const std::string reserved = "a b#%&;=+,@:!$'()*~[]?.txt";
  const std::string plain = FDir.WriteFile("media/" + reserved, "first");
  for (const std::string& path : {odd, broken, plain}) ASSERT_TRUE(TrashFile(path));
  FDir.WriteFile("media/" + reserved, "twin");
  ASSERT_TRUE(TrashFile(plain));

  const auto list = GioSession("gio trash --list");
  ASSERT_TRUE(list);
  EXPECT_NE(list->find("\t" + FDir.Path() + "/media/bad\\xff.mp4\n"), std::string::npos) << *list;
  EXPECT_NE(list->find("\t" + FDir.Path() + "/media/new\\x0aline.mp4\n"), std::string::npos) << *list;
  const std::regex entry("(trash:///[^\t\n]*)\t([^\n]*)\n");
  std::set<std::string> restored;
  for (auto m = std::sregex_iterator(list->begin(), list->end(), entry); m != std::sregex_iterator(); ++m) {
    if ((*m)[2].str().find("\\x") != std::string::npos) continue;
    ASSERT_TRUE(GioSession("gio trash --restore " + Quote((*m)[1]))) << (*m)[1];
    restored.insert(ReadFile(plain));
    ASSERT_EQ(rename(plain.c_str(), (plain + ".restored" + std::to_string(restored.size())).c_str()), 0);
  }
  EXPECT_EQ(restored, (std::set<std::string>{"first", "twin"}));
  EXPECT_EQ(Names(HomeTrash() + "/files").size(), 2u);
}

TEST_F(TrashHome, RestorePutsTheFileBackThenDropsItsRecord) {
  const std::string path = FDir.WriteFile("media/clip 1.mp4", "bytes");
  const auto placed = TrashFile(path);
  ASSERT_TRUE(placed);
  EXPECT_EQ(placed->original, path);
  std::string error;
  ASSERT_TRUE(RestoreFromTrash(*placed, &error)) << error;
  EXPECT_EQ(ReadFile(path), "bytes");
  EXPECT_TRUE(Names(HomeTrash() + "/files").empty());
  EXPECT_TRUE(Names(HomeTrash() + "/info").empty());
  if (const auto list = GioSession("gio trash --list")) {
    EXPECT_EQ(*list, "");
  }
}

TEST_F(TrashHome, RestoreNeverReplacesAndSaysWhyNothingMoved) {
  const auto taken = TrashFile(FDir.WriteFile("media/taken.mp4", "old"));
  FDir.WriteFile("media/taken.mp4", "new");
  const auto emptied = TrashFile(FDir.WriteFile("media/emptied.mp4", "e"));
  const auto gone = TrashFile(FDir.WriteFile("gone/clip.mp4", "g"));
  ASSERT_TRUE(taken && emptied && gone);
  ASSERT_EQ(unlink(emptied->file.c_str()) | unlink(emptied->info.c_str()) | rmdir((FDir / "gone").c_str()), 0);
  std::string error;
  EXPECT_FALSE(RestoreFromTrash(*taken, &error));
  EXPECT_EQ(error, "元の場所に同じ名前のファイルがあります");
  EXPECT_EQ(ReadFile(taken->original), "new");
  EXPECT_EQ(ReadFile(taken->file), "old");
  EXPECT_TRUE(Exists(taken->info));
  EXPECT_FALSE(RestoreFromTrash(*emptied, &error));
  EXPECT_EQ(error.rfind("ゴミ箱にありません", 0), 0u) << error;
  EXPECT_FALSE(Exists(emptied->original));
  EXPECT_FALSE(RestoreFromTrash(*gone, &error));
  EXPECT_EQ(error, "元のフォルダがありません");
  EXPECT_EQ(ReadFile(gone->file), "g");
  EXPECT_TRUE(Exists(gone->info));
}

TEST_F(TrashHome, RestoreRefusesAnotherFileUnderTheTrashedName) {
  const auto placed = TrashFile(FDir.WriteFile("media/clip.mp4", "ours"));
  ASSERT_TRUE(placed);
  ASSERT_EQ(unlink(placed->file.c_str()), 0);
  FDir.WriteFile("data/Trash/files/clip.mp4", "another");
  std::string error;
  EXPECT_FALSE(RestoreFromTrash(*placed, &error));
  EXPECT_EQ(error.rfind("ゴミ箱にありません", 0), 0u) << error;
  EXPECT_FALSE(Exists(placed->original));
  EXPECT_EQ(ReadFile(placed->file), "another");
}

// In a folder every user may write to (as /tmp), the file's folder goes after
// the trashing and another user puts a folder or a link of his in its place.
TEST_F(TrashHome, RestoreRefusesAFolderRecreatedOrReplacedSince) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as a second user";
  ASSERT_EQ(chmod(FDir.Path().c_str(), 0711), 0);
  const std::string shared = FDir.MakeDir("shared"), his = shared + "/his";
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  std::vector<TrashedFile> placed;
  for (const std::string folder : {"remade", "linked", "above/sub"}) {
    const auto trashed = TrashFile(FDir.WriteFile("shared/" + folder + "/clip.mp4", folder));
    ASSERT_TRUE(trashed) << folder;
    placed.push_back(*trashed);
  }
  ASSERT_EQ(rmdir((shared + "/remade").c_str()) | rmdir((shared + "/linked").c_str()), 0);
  ASSERT_EQ(rename((shared + "/above").c_str(), (shared + "/above.old").c_str()), 0);
  const pid_t other = StartAsOtherUser([&] {
    const bool made = mkdir(his.c_str(), 0777) == 0 && mkdir((shared + "/remade").c_str(), 0777) == 0 &&
                      chmod((shared + "/remade").c_str(), 0777) == 0;
    // The link above points at the very folder the file came from.
    return made && symlink(his.c_str(), (shared + "/linked").c_str()) == 0 &&
                   symlink("above.old", (shared + "/above").c_str()) == 0
               ? 0
               : 1;
  });
  ASSERT_EQ(ExitCodeOf(other), 0);
  const std::string reasons[] = {"元のフォルダが作り直されたか、別のフォルダに置き換えられています",
                                 "元のフォルダへの道にリンクがあります", "元のフォルダへの道にリンクがあります"};
  for (size_t i = 0; i < placed.size(); ++i) {
    std::string error;
    EXPECT_FALSE(RestoreFromTrash(placed[i], &error)) << placed[i].original;
    EXPECT_EQ(error, reasons[i]) << placed[i].original;
    EXPECT_TRUE(Exists(placed[i].file) && Exists(placed[i].info)) << placed[i].original;
  }
  EXPECT_TRUE(Names(shared + "/remade").empty());
  EXPECT_TRUE(Names(his).empty());
  EXPECT_TRUE(Names(shared + "/above.old/sub").empty());
}

TEST_F(TrashHome, AFileTheFileManagerRestoredIsNotTakenAgain) {
  if (!GioSession("gio trash --list")) GTEST_SKIP() << "gio's trash service cannot run here";
  const std::string path = FDir.WriteFile("media/clip.mp4", "ours");
  const auto placed = TrashFile(path);
  ASSERT_TRUE(placed);
  ASSERT_TRUE(GioSession("gio trash --restore trash:///clip.mp4"));
  ASSERT_EQ(rename(path.c_str(), (path + ".moved").c_str()), 0);
  // Another file of that name, from another folder, now has the name in the trash.
  ASSERT_TRUE(TrashFile(FDir.WriteFile("other/clip.mp4", "other")));
  std::string error;
  EXPECT_FALSE(RestoreFromTrash(*placed, &error));
  EXPECT_EQ(error.rfind("ゴミ箱にありません", 0), 0u) << error;
  EXPECT_FALSE(Exists(path));
  EXPECT_EQ(ReadFile(placed->file), "other");
}

// A tmpfs mounted in a mount namespace of this process alone, so nothing
// outlives the test.
class PrivateMount {
 public:
  explicit PrivateMount(const std::string& at) : FAt(at) {
    FOk = unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
          mount("tmpfs", at.c_str(), "tmpfs", 0, "size=4m,mode=0755") == 0;
  }
  ~PrivateMount() {
    if (FOk) umount2(FAt.c_str(), MNT_DETACH);
  }
  bool ok() const { return FOk; }
  bool MakeReadOnly() { return mount(nullptr, FAt.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0; }

 private:
  std::string FAt;
  bool FOk = false;
};

class TrashTopLevel : public TrashHome {
 protected:
  void SetUp() override {
    TrashHome::SetUp();
    FMount.emplace(FDir.MakeDir("mnt"));
    if (!FMount->ok()) GTEST_SKIP() << "cannot mount a private tmpfs here";
  }
  void TearDown() override {
    FMount.reset();
    TrashHome::TearDown();
  }
  std::string Top() const { return FDir / "mnt"; }
  std::string Uid() const { return std::to_string(getuid()); }

  std::optional<PrivateMount> FMount;
};

TEST_F(TrashTopLevel, FileOnAnotherMountGoesToItsOwnTrash) {
  const std::string path = FDir.WriteFile("mnt/sub/clip.mp4", "top");
  std::string error;
  const auto placed = TrashFile(path, &error);
  ASSERT_TRUE(placed) << error;
  const std::string trash = Top() + "/.Trash-" + Uid();
  EXPECT_EQ(placed->file, trash + "/files/clip.mp4");
  EXPECT_EQ(ReadFile(placed->file), "top");
  EXPECT_EQ(ModeOf(trash), 0700u);
  // Records of a top-level trash are relative to the mount's top.
  EXPECT_NE(ReadFile(placed->info).find("\nPath=sub/clip.mp4\n"), std::string::npos) << ReadFile(placed->info);
  EXPECT_FALSE(Exists(HomeTrash()));
}

TEST_F(TrashTopLevel, SharedTrashIsUsedOnlyWhenStickyRealAndRoots) {
  const std::string shared = Top() + "/.Trash";
  ASSERT_EQ(mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(chmod(shared.c_str(), 0777), 0);
  ASSERT_TRUE(TrashFile(FDir.WriteFile("mnt/a.mp4", "a")));
  EXPECT_TRUE(Exists(Top() + "/.Trash-" + Uid() + "/files/a.mp4")) << "not sticky: must not be used";
  EXPECT_FALSE(Exists(shared + "/" + Uid()));

  // The owner of a sticky folder may rename anything in it.
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  ChownToOtherUser({shared});
  ASSERT_TRUE(TrashFile(FDir.WriteFile("mnt/a2.mp4", "a2")));
  EXPECT_TRUE(Exists(Top() + "/.Trash-" + Uid() + "/files/a2.mp4")) << "not root's: must not be used";
  EXPECT_FALSE(Exists(shared + "/" + Uid()));
  ASSERT_EQ(chown(shared.c_str(), 0, 0), 0);

  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  ASSERT_TRUE(TrashFile(FDir.WriteFile("mnt/b.mp4", "b")));
  EXPECT_EQ(ReadFile(shared + "/" + Uid() + "/files/b.mp4"), "b");

  ASSERT_EQ(rename(shared.c_str(), (Top() + "/elsewhere").c_str()), 0);
  ASSERT_EQ(symlink("elsewhere", shared.c_str()), 0);
  ASSERT_TRUE(TrashFile(FDir.WriteFile("mnt/c.mp4", "c")));
  EXPECT_TRUE(Exists(Top() + "/.Trash-" + Uid() + "/files/c.mp4")) << "a link must not be followed";
}

// The other user owns a sticky .Trash and keeps swapping this user's folder
// in it for one of his own; nothing trashed may ever land in his.
TEST_F(TrashTopLevel, AnotherUserSwappingFoldersInTheTrashGetsNothing) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as a second user";
  ASSERT_EQ(chmod(FDir.Path().c_str(), 0711), 0);
  ASSERT_EQ(chmod(Top().c_str(), 01777), 0);
  const std::string shared = FDir.MakeDir("mnt/.Trash"), decoy = shared + "/decoy";
  for (const char* sub : {"/files", "/info"}) FDir.MakeDir("mnt/.Trash/decoy" + std::string(sub));
  ChownToOtherUser({shared, decoy, decoy + "/files", decoy + "/info"});
  for (const std::string& p : {decoy, decoy + "/files", decoy + "/info"}) ASSERT_EQ(chmod(p.c_str(), 0777), 0);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  const std::string mine = shared + "/" + Uid();
  const pid_t swapper = StartAsOtherUser([&] {
    for (;;) renameat2(AT_FDCWD, mine.c_str(), AT_FDCWD, decoy.c_str(), RENAME_EXCHANGE);
    return 0;
  });
  ASSERT_GT(swapper, 0);
  const std::string media = FDir.MakeDir("mnt/media");
  ASSERT_EQ(chmod(media.c_str(), 0700), 0);
  constexpr int kTrashings = 200;
  std::vector<TrashedFile> placed;
  for (int i = 0; i < kTrashings; ++i) {
    const std::string name = "clip" + std::to_string(i) + ".mp4";
    if (auto trashed = TrashFile(FDir.WriteFile("mnt/media/" + name, name))) placed.push_back(*trashed);
  }
  kill(swapper, SIGKILL);
  EXPECT_EQ(placed.size(), static_cast<size_t>(kTrashings));
  ExitCodeOf(swapper);
  for (const std::string& folder : {mine, decoy}) {
    if (OwnerOf(folder) != kOtherUser) continue;
    EXPECT_TRUE(Names(folder + "/files").empty()) << folder;
    EXPECT_TRUE(Names(folder + "/info").empty()) << folder;
  }
  for (const TrashedFile& t : placed) {
    EXPECT_EQ(ReadFile(t.file), ExtractFileName(t.original));
    EXPECT_TRUE(Exists(t.info)) << t.info;
    EXPECT_EQ(OwnerOf(FolderOf(FolderOf(t.file))), getuid()) << t.file;
  }
}

// A file manager emptied one entry; another file of the same name, one folder
// up, then took its name in the trash. Its record names a path that is a tail
// of the first one's, and must not pass for it.
TEST_F(TrashTopLevel, RestoreMatchesTheRecordExactlyNotByItsTail) {
  const auto first = TrashFile(FDir.WriteFile("mnt/a/clip.mkv", "first"));
  ASSERT_TRUE(first);
  ASSERT_EQ(unlink(first->file.c_str()) | unlink(first->info.c_str()), 0);
  const auto other = TrashFile(FDir.WriteFile("mnt/clip.mkv", "other"));
  ASSERT_TRUE(other);
  ASSERT_EQ(other->file, first->file);
  std::string error;
  EXPECT_FALSE(RestoreFromTrash(*first, &error));
  EXPECT_EQ(error.rfind("ゴミ箱にありません", 0), 0u) << error;
  EXPECT_FALSE(Exists(first->original));
  EXPECT_EQ(ReadFile(other->file), "other");
  EXPECT_TRUE(RestoreFromTrash(*other, &error)) << error;
  EXPECT_EQ(ReadFile(Top() + "/clip.mkv"), "other");
}

TEST_F(TrashTopLevel, ForeignTrashFolderIsRefused) {
  const std::string trash = FDir.MakeDir("mnt/.Trash-" + Uid());
  ASSERT_EQ(chown(trash.c_str(), 65534, 65534), 0);
  const std::string path = FDir.WriteFile("mnt/clip.mp4", "stay");
  std::string error;
  EXPECT_FALSE(TrashFile(path, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadFile(path), "stay");
  EXPECT_TRUE(Names(trash).empty());
}

TEST_F(TrashTopLevel, ReadOnlyMountKeepsTheFileAndSaysWhy) {
  const std::string path = FDir.WriteFile("mnt/clip.mp4", "stay");
  ASSERT_TRUE(FMount->MakeReadOnly());
  std::string error;
  EXPECT_FALSE(TrashFile(path, &error));
  EXPECT_NE(error.find("Read-only"), std::string::npos) << error;
  EXPECT_EQ(ReadFile(path), "stay");
  EXPECT_FALSE(Exists(HomeTrash() + "/files/clip.mp4"));
}

TEST_F(TrashTopLevel, RestoreOnAReadOnlyMountMovesNothing) {
  const auto placed = TrashFile(FDir.WriteFile("mnt/sub/clip.mp4", "top"));
  ASSERT_TRUE(placed);
  ASSERT_TRUE(FMount->MakeReadOnly());
  std::string error;
  EXPECT_FALSE(RestoreFromTrash(*placed, &error));
  EXPECT_EQ(error, "元のフォルダに書き込めません");
  EXPECT_EQ(ReadFile(placed->file), "top");
  EXPECT_TRUE(Exists(placed->info));
}

// A POSIX access ACL as the kernel stores it: header, then (tag, perm, id).
std::string AccessAcl(uint32_t user) {
  const struct {
    uint16_t tag, perm;
    uint32_t id;
  } entries[] = {{0x01, 6, ~0u}, {0x02, 4, user}, {0x04, 4, ~0u}, {0x10, 4, ~0u}, {0x20, 0, ~0u}};
  const uint32_t version = 2;
  return std::string(reinterpret_cast<const char*>(&version), sizeof version) +
         std::string(reinterpret_cast<const char*>(entries), sizeof entries);
}

std::string XattrOf(const std::string& path, const char* name) {
  std::string value(4096, '\0');
  const ssize_t n = lgetxattr(path.c_str(), name, value.data(), value.size());
  value.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return value;
}

TEST_F(TrashTopLevel, RestoreIntoAFolderNowOnAnotherMountCopiesItWhole) {
  const std::string path = FDir.WriteFile("mnt/sub/clip.mp4", std::string(300000, 'v'));
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ChownToOtherUser({path});
  const std::string acl = AccessAcl(1234);
  ASSERT_EQ(setxattr(path.c_str(), "user.korvane.note", "kept", 4, 0), 0);
  ASSERT_EQ(setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0), 0);
  const std::string link = Top() + "/sub/link.mp4";
  ASSERT_EQ(symlink("clip.mp4", link.c_str()), 0);
  const auto placed = TrashFile(path), placedLink = TrashFile(link);
  ASSERT_TRUE(placed && placedLink);
  // The same folder, mounted over itself: the rename from the trash crosses mounts.
  const std::string sub = Top() + "/sub";
  ASSERT_EQ(mount(sub.c_str(), sub.c_str(), nullptr, MS_BIND, nullptr), 0);
  std::string error;
  EXPECT_TRUE(RestoreFromTrash(*placed, &error)) << error;
  EXPECT_TRUE(RestoreFromTrash(*placedLink, &error)) << error;
  EXPECT_EQ(ReadFile(path), std::string(300000, 'v'));
  EXPECT_EQ(ModeOf(path), 0640u);
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, kOtherUser);
  EXPECT_EQ(st.st_gid, kOtherUser);
  EXPECT_EQ(XattrOf(path, "user.korvane.note"), "kept");
  EXPECT_EQ(XattrOf(path, "system.posix_acl_access"), acl);
  EXPECT_EQ(ReadFile(link), std::string(300000, 'v'));
  EXPECT_EQ(Names(sub), (std::set<std::string>{"clip.mp4", "link.mp4"}));  // no temporary left behind
  EXPECT_FALSE(Exists(placed->file));
  EXPECT_FALSE(Exists(placed->info));
  umount2(sub.c_str(), MNT_DETACH);
}

// The move-to keys' move: never onto a file, across mounts by a whole copy,
// and back only to where it came from.
TEST_F(TrashTopLevel, MoveToAFolderNeverReplacesCopiesAcrossMountsAndGoesBack) {
  const std::string clip = FDir.WriteFile("a/clip.mp4", "clip"), taken = FDir.WriteFile("to/clip.mp4", "old");
  std::string error;
  const auto moved = MoveFileToFolder(clip, FDir / "to", &error);
  ASSERT_TRUE(moved) << error;
  EXPECT_EQ(moved->moved, FDir / "to/clip (2).mp4");
  EXPECT_EQ(ReadFile(moved->moved), "clip");
  EXPECT_EQ(ReadFile(taken), "old");
  EXPECT_FALSE(Exists(clip));
  FDir.WriteFile("a/clip.mp4", "new");
  EXPECT_FALSE(MoveFileBack(*moved, &error));
  EXPECT_EQ(error, "元の場所に同じ名前のファイルがあります");
  ASSERT_EQ(unlink(clip.c_str()), 0);
  EXPECT_TRUE(MoveFileBack(*moved, &error)) << error;
  EXPECT_EQ(ReadFile(clip), "clip");

  const std::string top = Top() + "/in";
  ASSERT_EQ(mkdir(top.c_str(), 0755), 0);
  const auto across = MoveFileToFolder(clip, top, &error);
  ASSERT_TRUE(across) << error;
  EXPECT_EQ(ReadFile(top + "/clip.mp4"), "clip");
  EXPECT_EQ(Names(top), std::set<std::string>{"clip.mp4"});
  EXPECT_FALSE(Exists(clip));
  EXPECT_TRUE(MoveFileBack(*across, &error)) << error;
  EXPECT_EQ(ReadFile(clip), "clip");
  EXPECT_TRUE(Names(top).empty());
}

// Nothing moves into a folder that is missing, no folder, read-only or full,
// nor into the file's own folder; the original stays and no copy is left.
TEST_F(TrashTopLevel, MoveToAFolderThatTakesNoFileMovesNothing) {
  const std::string clip = FDir.WriteFile("a/clip.mp4", std::string(5 << 20, 'v'));
  const std::string notFolder = FDir.WriteFile("plain", "x");
  std::string error;
  const std::vector<std::pair<std::string, std::string>> refusals{
      {FDir / "gone", "フォルダがありません"}, {notFolder, "フォルダではありません"}, {Top(), "空き容量が足りません"}};
  for (const auto& [folder, why] : refusals) {
    EXPECT_FALSE(MoveFileToFolder(clip, folder, &error)) << folder;
    EXPECT_EQ(error, why) << folder;
  }
  EXPECT_TRUE(Names(Top()).empty());
  ASSERT_TRUE(FMount->MakeReadOnly());
  EXPECT_FALSE(MoveFileToFolder(clip, Top(), &error));
  EXPECT_EQ(error, "フォルダに書き込めません");
  EXPECT_FALSE(MoveFileToFolder(clip, FDir / "a", &error));
  EXPECT_EQ(error, "");
  EXPECT_EQ(ReadFile(clip).size(), 5u << 20);
  // A name that fills a file name still takes its number, cut between characters.
  const std::string longName = std::string(245, 'n') + "\xe3\x81\x82\xe3\x81\x82.mp4";
  EXPECT_EQ(NumberedMoveName(longName, 2), std::string(245, 'n') + " (2).mp4");
  EXPECT_EQ(NumberedMoveName("clip", 12), "clip (12)");
}

}  // namespace
}  // namespace korvane
