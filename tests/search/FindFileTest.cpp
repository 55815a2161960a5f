#include "search/FindFile.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "harness/TempDir.h"

namespace korvane::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Waits (up to 20 s) until the search has nothing queued and nothing running.
bool WaitIdle(TFindFileThread& search) {
  for (int i = 0; i < 2000; ++i) {
    if (search.Idle()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

// Takes every found path, oldest first.
std::vector<std::string> Drain(TFindFileThread& search) {
  TStringList list;
  search.TakeFound(list, INT_MAX);
  return list.Items();
}

std::multiset<std::string> AsSet(const std::vector<std::string>& v) { return {v.begin(), v.end()}; }

void Link(const std::string& target, const std::string& at) { ASSERT_EQ(symlink(target.c_str(), at.c_str()), 0) << at; }

class FindFileTest : public ::testing::Test {
 protected:
  std::string File(const std::string& rel) { return dir.WriteFile(rel, "x"); }
  std::vector<std::string> SearchAll(const std::vector<std::string>& paths) {
    for (const std::string& p : paths) search.AddPath(p);
    search.Resume();
    EXPECT_TRUE(WaitIdle(search));
    return Drain(search);
  }

  TTempDir dir;
  TFindFileThread search;
};

// ---------------------------------------------------------------- the folder queue

TEST_F(FindFileTest, FindFileQueueHoldsAFolderOnceWithOrWithoutTheSeparator) {
  dir.MakeDir("clips");
  search.AddPath(dir / "clips");
  search.AddPath(dir / "clips/");
  search.AddPath(dir / "clips");
  EXPECT_EQ(search.QueuedFolders(), (std::vector<std::string>{dir / "clips/"}));
  EXPECT_EQ(search.PendingCount(), 0);
}

TEST_F(FindFileTest, FindFileQueueTakesAnotherLetterCaseOfTheSameFolderAsTheSameEntry) {
  dir.MakeDir("Clips");
  // Another spelling that names the very same folder (same device and inode).
  Link("Clips", dir / "clips");
  search.AddPath(dir / "Clips");
  search.AddPath(dir / "clips/");
  EXPECT_EQ(search.QueuedFolders(), (std::vector<std::string>{dir / "Clips/"}));
  // A spelling that names no folder on this case-sensitive file system is dropped.
  search.AddPath(dir / "CLIPS");
  EXPECT_EQ(search.QueuedFolders().size(), 1u);
}

TEST_F(FindFileTest, FindFileQueueSearchesTwoFoldersThatDifferOnlyInCase) {
  const std::string upper = File("Media/a.mp4");
  const std::string lower = File("media/b.mp4");
  search.AddPath(dir / "Media");
  search.AddPath(dir / "media");
  search.AddPath(dir / "Media/");
  EXPECT_EQ(search.QueuedFolders().size(), 2u);
  search.Resume();
  ASSERT_TRUE(WaitIdle(search));
  EXPECT_EQ(AsSet(Drain(search)), AsSet({upper, lower}));
}

TEST_F(FindFileTest, FindFileQueueSearchesInSortedOrderIgnoringCase) {
  const std::string c = File("c/1.mp4"), a = File("A/1.mp4"), b = File("b/1.mp4");
  search.AddPath(dir / "c");
  search.AddPath(dir / "A");
  search.AddPath(dir / "b");
  EXPECT_EQ(search.QueuedFolders(), (std::vector<std::string>{dir / "A/", dir / "b/", dir / "c/"}));
  search.Resume();
  ASSERT_TRUE(WaitIdle(search));
  EXPECT_EQ(Drain(search), (std::vector<std::string>{a, b, c}));
}

TEST_F(FindFileTest, FindFileQueueDropsWhatDoesNotExist) {
  search.AddPath("");
  search.AddPath(dir / "missing");
  search.AddPath(dir / "missing/");
  EXPECT_TRUE(search.QueuedFolders().empty());
  EXPECT_EQ(search.PendingCount(), 0);
}

TEST_F(FindFileTest, FindFileQueueWaitsUntilResumed) {
  const std::string a = File("in/a.mp4");
  search.AddPath(dir / "in");
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(search.QueuedFolders().size(), 1u);
  EXPECT_EQ(search.PendingCount(), 0);
  search.Resume();
  search.Resume();
  ASSERT_TRUE(WaitIdle(search));
  EXPECT_EQ(Drain(search), (std::vector<std::string>{a}));
}

TEST_F(FindFileTest, FindFileQueueSearchesAFolderAgainOnceItsSearchHasBegun) {
  const std::string a = File("in/a.mp4");
  search.Resume();
  search.AddPath(dir / "in");
  ASSERT_TRUE(WaitIdle(search));
  search.AddPath(dir / "in");
  ASSERT_TRUE(WaitIdle(search));
  EXPECT_EQ(Drain(search), (std::vector<std::string>{a, a}));
}

// ---------------------------------------------------------------- files given and found

TEST_F(FindFileTest, FindFileDirectAFileGivenDirectlyIsQueuedUnchanged) {
  File("in/a.mp4");
  const std::string odd = dir / "in//../in/./a.mp4";
  search.AddPath(odd);
  EXPECT_EQ(search.PendingCount(), 1);
  search.AddPath(dir / "in");
  search.Resume();
  ASSERT_TRUE(WaitIdle(search));
  EXPECT_EQ(Drain(search), (std::vector<std::string>{odd, dir / "in/a.mp4"}));
}

TEST_F(FindFileTest, FindFileFoundHiddenSystemAndOldFilesAreAllQueued) {
  const std::string hidden = File("in/.hidden.mp4");
  const std::string inHidden = File("in/.secret/b.mp4");
  const std::string fifo = dir / "in/pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string old = File("in/1975.mp4");
  const timeval times[2] = {{157766400, 0}, {157766400, 0}};  // 1975-01-01
  ASSERT_EQ(utimes(old.c_str(), times), 0);
  dir.MakeDir("in/empty");
  EXPECT_EQ(AsSet(SearchAll({dir / "in"})), AsSet({hidden, inHidden, fifo, old}));
}

TEST_F(FindFileTest, FindFileFoundPreOrderWithEachSubfolderWhereItIsListed) {
  for (int i = 0; i < 5; ++i) {
    File("in/sub" + std::to_string(i) + "/x/deep.mp4");
    File("in/sub" + std::to_string(i) + "/shallow.mp4");
    File("in/top" + std::to_string(i) + ".mp4");
  }
  const std::vector<std::string> found = SearchAll({dir / "in"});
  ASSERT_EQ(found.size(), 15u);
  // The files of each subfolder come out together: its walk ends before the
  // next entry of its parent is looked at.
  for (int i = 0; i < 5; ++i) {
    const std::string prefix = dir / ("in/sub" + std::to_string(i) + "/");
    std::vector<size_t> at;
    for (size_t k = 0; k < found.size(); ++k)
      if (found[k].starts_with(prefix)) at.push_back(k);
    ASSERT_EQ(at.size(), 2u);
    EXPECT_EQ(at[1], at[0] + 1) << ::testing::PrintToString(found);
  }
}

TEST_F(FindFileTest, FindFileNamesWithNewlinesAndInvalidUtf8AreQueuedByteForByte) {
  const std::string newline = File("in/a\nb.mp4");
  const std::string latin1 = File("in/caf\xE9.mp4");
  const std::string inBadFolder = File("in/\xFF\xFE/x.mp4");
  EXPECT_EQ(AsSet(SearchAll({dir / "in"})), AsSet({newline, latin1, inBadFolder}));
  // Given directly, such a folder is queued as it is too.
  EXPECT_EQ(SearchAll({dir / "in/\xFF\xFE"}), (std::vector<std::string>{inBadFolder}));
}

// ---------------------------------------------------------------- take and count

TEST_F(FindFileTest, FindFileTakeMovesFewerWhenFewerWaitAndNothingWhenNoneWait) {
  const std::string a = File("a.mp4"), b = File("b.mp4"), c = File("c.mp4");
  search.AddPath(c);
  search.AddPath(a);
  search.AddPath(b);
  TStringList target;
  search.TakeFound(target, 2);
  EXPECT_EQ(target.Items(), (std::vector<std::string>{c, a}));
  EXPECT_EQ(search.PendingCount(), 1);
  search.TakeFound(target, 10);
  EXPECT_EQ(target.Items(), (std::vector<std::string>{c, a, b}));
  EXPECT_EQ(search.PendingCount(), 0);
  search.TakeFound(target, 10);
  EXPECT_EQ(target.Count(), 3u);
  search.AddPath(a);
  search.TakeFound(target, 0);
  search.TakeFound(target, -5);
  EXPECT_EQ(search.PendingCount(), 1);
}

TEST_F(FindFileTest, FindFileTakeAddsWithTheTargetsOwnRules) {
  const std::string a = File("a.mp4"), b = File("B.mp4");
  search.AddPath(b);
  search.AddPath(a);
  search.AddPath(a);
  TStringList sorted(true, true);
  search.TakeFound(sorted, 10);
  EXPECT_EQ(sorted.Items(), (std::vector<std::string>{a, b}));
  EXPECT_EQ(search.PendingCount(), 0);
}

// Holds the search's worker at the first entry it looks at until released.
class TFirstEntryGate {
 public:
  explicit TFirstEntryGate(TFindFileThread& search) {
    search.SetEntryHook([this](const std::string&, int) {
      std::unique_lock lock(FM);
      if (FReached) return;
      FReached = true;
      FCv.notify_all();
      FCv.wait(lock, [this] { return FReleased; });
    });
  }
  bool WaitReached() {
    std::unique_lock lock(FM);
    return FCv.wait_for(lock, 10s, [this] { return FReached; });
  }
  void Release() {
    {
      std::lock_guard lock(FM);
      FReleased = true;
    }
    FCv.notify_all();
  }

 private:
  std::mutex FM;
  std::condition_variable FCv;
  bool FReached = false, FReleased = false;
};

TEST_F(FindFileTest, FindFilePendingCountIsZeroWithOnlyFoldersQueuedOrBeforeTheFirstFind) {
  File("in/sub/a.mp4");
  search.AddPath(dir / "in");
  search.AddPath(dir / "in/sub");
  EXPECT_EQ(search.PendingCount(), 0);

  TFirstEntryGate gate(search);
  search.Resume();
  ASSERT_TRUE(gate.WaitReached());
  EXPECT_FALSE(search.Idle());
  EXPECT_EQ(search.PendingCount(), 0);
  gate.Release();
  ASSERT_TRUE(WaitIdle(search));
  EXPECT_EQ(search.PendingCount(), 2);
}

// A worker held in the file system (a mount that stopped answering) cannot
// hold the end of the program for longer than asked.
TEST_F(FindFileTest, TerminateWaitsForAStuckWorkerNoLongerThanAsked) {
  File("in/a.mp4");
  search.AddPath(dir / "in");
  TFirstEntryGate gate(search);
  search.Resume();
  ASSERT_TRUE(gate.WaitReached());
  EXPECT_FALSE(search.Terminate(100ms));
  gate.Release();
  EXPECT_TRUE(search.Terminate(10s));
}

// ---------------------------------------------------------------- cancel

// A tree `levels` deep with `files` files and one subfolder "d" per level.
void MakeDeepTree(const TTempDir& dir, const std::string& root, int levels, int files) {
  std::string rel = root;
  for (int level = 0; level < levels; ++level) {
    for (int f = 0; f < files; ++f) dir.WriteFile(rel + "/f" + std::to_string(f) + ".mp4", "x");
    rel += "/d";
  }
}

TEST_F(FindFileTest, FindFileCancelMidWalkEmptiesBothQueuesAndStopsEveryLevel) {
  MakeDeepTree(dir, "deep", 30, 10);
  File("later/a.mp4");
  File("other/b.mp4");

  std::mutex m;
  std::condition_variable cv;
  bool reached = false, release = false;
  int entriesAfterRelease = 0;
  search.SetEntryHook([&](const std::string&, int depth) {
    std::unique_lock lock(m);
    if (release) {
      ++entriesAfterRelease;
      return;
    }
    if (depth < 20 || reached || search.PendingCount() == 0) return;
    reached = true;
    cv.notify_all();
    cv.wait(lock, [&] { return release; });
  });
  search.AddPath(dir / "deep");
  search.AddPath(dir / "later");  // sorts after "deep", still waiting when cancelled
  search.Resume();
  {
    std::unique_lock lock(m);
    ASSERT_TRUE(cv.wait_for(lock, 10s, [&] { return reached; }));
  }
  EXPECT_GT(search.PendingCount(), 0);
  EXPECT_EQ(search.QueuedFolders(), (std::vector<std::string>{dir / "later/"}));
  search.Cancel();
  EXPECT_EQ(search.PendingCount(), 0);
  EXPECT_TRUE(search.QueuedFolders().empty());
  {
    std::lock_guard lock(m);
    release = true;
  }
  cv.notify_all();
  ASSERT_TRUE(WaitIdle(search));
  EXPECT_EQ(entriesAfterRelease, 0) << "a level looked at another entry after the cancel";
  EXPECT_EQ(search.PendingCount(), 0) << "an append slipped in after the cancel";

  // The cancel was for that search only.
  search.AddPath(dir / "other");
  ASSERT_TRUE(WaitIdle(search));
  EXPECT_EQ(Drain(search), (std::vector<std::string>{dir / "other/b.mp4"}));
}

TEST_F(FindFileTest, FindFileCancelWhileIdleLeavesTheNextSearchWhole) {
  MakeDeepTree(dir, "deep", 10, 5);
  search.Resume();
  search.AddPath(File("direct.mp4"));
  search.Cancel();
  EXPECT_EQ(search.PendingCount(), 0);
  search.Cancel();
  search.AddPath(dir / "deep");
  ASSERT_TRUE(WaitIdle(search));
  EXPECT_EQ(search.PendingCount(), 50);
}

TEST_F(FindFileTest, FindFileCancelBeforeResumeDropsTheWaitingFolders) {
  File("in/a.mp4");
  search.AddPath(dir / "in");
  search.Cancel();
  search.Resume();
  std::this_thread::sleep_for(20ms);
  ASSERT_TRUE(WaitIdle(search));
  EXPECT_EQ(search.PendingCount(), 0);
}

TEST_F(FindFileTest, FindFileLifetimeDestroyingDuringASearchStopsIt) {
  MakeDeepTree(dir, "deep", 40, 50);
  auto own = std::make_unique<TFindFileThread>();
  own->Resume();
  own->AddPath(dir / "deep");
  for (int i = 0; i < 1000 && own->PendingCount() == 0; ++i) std::this_thread::sleep_for(1ms);
  const auto start = std::chrono::steady_clock::now();
  own.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST_F(FindFileTest, FindFileLifetimeTheModuleInstanceExistsSuspended) {
  TFindFileThread& module = FindFileThread();
  EXPECT_EQ(&module, &FindFileThread());
  const std::string a = File("a.mp4");
  module.AddPath(dir / "");
  module.AddPath(a);
  std::this_thread::sleep_for(10ms);
  EXPECT_EQ(module.QueuedFolders().size(), 1u);  // not searched: never resumed
  EXPECT_EQ(module.PendingCount(), 1);
  module.Cancel();
  EXPECT_TRUE(module.Idle());
  EXPECT_EQ(module.PendingCount(), 0);
}

// ---------------------------------------------------------------- links

TEST_F(FindFileTest, FindFileLinksLoopsAndLinksBackIntoTheTreeAreSkipped) {
  const std::string a = File("t/a/one.mp4");
  const std::string top = File("t/top.mp4");
  Link("..", dir / "t/a/up");                   // the parent: a loop
  Link(".", dir / "t/a/self");                  // itself
  Link(dir / "t", dir / "t/a/root");            // the root, by absolute path
  Link("a", dir / "t/b");                       // a sibling inside the tree
  // Outside the tree: entered once, and its own link back into the tree is skipped.
  const std::string ext = File("outside/x/ext.mp4");
  Link(dir / "t", dir / "outside/x/back");
  Link(dir / "outside/x", dir / "t/ext");
  // A loop of two links outside the tree.
  const std::string p = File("outside/p/p.mp4");
  const std::string r = File("outside/r/r.mp4");
  Link(dir / "outside/r", dir / "outside/p/to_r");
  Link(dir / "outside/p", dir / "outside/r/to_p");
  Link(dir / "outside/p", dir / "t/ring");
  Link(dir / "outside/p", dir / "t/ring2");  // the same folder again: not a second time

  const std::vector<std::string> found = SearchAll({dir / "t"});
  const std::multiset<std::string> got = AsSet(found);
  EXPECT_EQ(got.count(a), 1u);
  EXPECT_EQ(got.count(top), 1u);
  EXPECT_EQ(got.count(dir / "t/ext/ext.mp4"), 1u);
  // The ring is entered through exactly one of its two links, each file once.
  const size_t viaRing = got.count(dir / "t/ring/p.mp4") + got.count(dir / "t/ring2/p.mp4");
  EXPECT_EQ(viaRing, 1u);
  size_t rFiles = 0;
  for (const std::string& path : found) rFiles += path.ends_with("/r.mp4");
  EXPECT_EQ(rFiles, 1u);
  EXPECT_EQ(found.size(), 5u) << ::testing::PrintToString(found);
}

TEST_F(FindFileTest, FindFileLinksAQueuedLinkToAFolderIsSearched) {
  const std::string x = File("real/x.mp4");
  Link(dir / "real", dir / "alias");
  EXPECT_EQ(SearchAll({dir / "alias"}), (std::vector<std::string>{dir / "alias/x.mp4"}));
}

TEST_F(FindFileTest, FindFileLinksDanglingAndLoopingLinksAreNotQueued) {
  const std::string target = File("elsewhere/f.mp4");
  const std::string ok = File("t/ok.mp4");
  Link(dir / "nowhere.mp4", dir / "t/dead.mp4");
  Link(dir / "nowhere/", dir / "t/deaddir");
  Link("selfloop", dir / "t/selfloop");
  Link(target, dir / "t/linked.mp4");
  EXPECT_EQ(AsSet(SearchAll({dir / "t"})), AsSet({ok, dir / "t/linked.mp4"}));
  // Given directly, a dangling link names nothing.
  search.AddPath(dir / "t/dead.mp4");
  EXPECT_EQ(search.PendingCount(), 0);
}

// ---------------------------------------------------------------- bad trees

TEST_F(FindFileTest, FindFileBadTreeAnUnreadableFolderIsSkippedWithoutStoppingTheRest) {
  const std::string a = File("t/a/ok.mp4");
  File("t/locked/inside.mp4");
  File("t/locked/sub/deeper.mp4");
  const std::string z = File("t/z/ok.mp4");
  const std::string later = File("u/later.mp4");
  // Everything readable by anyone but the locked folder.
  for (const auto& e : fs::recursive_directory_iterator(dir.Path()))
    fs::permissions(e.path(), e.is_directory() ? fs::perms(0755) : fs::perms(0644));
  fs::permissions(dir.Path(), fs::perms(0755));
  fs::permissions(dir / "t/locked", fs::perms(0));

  // Root reads everything, so the search runs as another user in a child.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(10);
    if (access((dir / "t/locked").c_str(), R_OK) == 0) _exit(11);  // would pass vacuously
    TFindFileThread own;
    own.AddPath(dir / "t");
    own.AddPath(dir / "u");
    own.Resume();
    if (!WaitIdle(own)) _exit(12);
    const std::multiset<std::string> expected{a, z, later};
    _exit(AsSet(Drain(own)) == expected ? 0 : 13);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "10: cannot drop privileges, 11: folder readable, 12: hang, 13: wrong files";
}

// Builds a chain of folders "d" below base whose full path grows past `length`
// bytes, with a file "f" in each, using relative calls so that the platform's
// path limit does not stop the building. Returns the files' paths.
std::vector<std::string> MakeChain(const std::string& base, size_t length) {
  std::vector<std::string> files;
  int fd = open(base.c_str(), O_RDONLY | O_DIRECTORY);
  std::string path = base;
  while (fd >= 0 && path.size() < length) {
    const int f = openat(fd, "f", O_CREAT | O_WRONLY, 0644);
    if (f >= 0) close(f);
    files.push_back(path + "/f");
    mkdirat(fd, "d", 0755);
    const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = next;
    path += "/d";
  }
  if (fd >= 0) close(fd);
  return files;
}

// Removes a chain made by MakeChain one level at a time, with one folder open.
void RemoveChain(const std::string& base) {
  const int fd = open(base.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  for (;;) {
    unlinkat(fd, "d/f", 0);
    const bool more = renameat(fd, "d/d", fd, "next") == 0;
    if (unlinkat(fd, "d", AT_REMOVEDIR) != 0) break;
    if (!more || renameat(fd, "next", fd, "d") != 0) break;
  }
  unlinkat(fd, "f", 0);
  close(fd);
}

TEST_F(FindFileTest, FindFileBadTreeAVeryDeepTreeEndsAtThePathLimit) {
  dir.MakeDir("deep");
  const std::vector<std::string> files = MakeChain(dir / "deep", PATH_MAX + 200);
  ASSERT_GT(files.size(), 2000u);
  const std::string later = File("later/x.mp4");
  // Thousands of levels must not need thousands of open files.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit low = saved;
  low.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 256);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  const std::vector<std::string> found = SearchAll({dir / "deep", dir / "later"});
  setrlimit(RLIMIT_NOFILE, &saved);
  RemoveChain(dir / "deep");

  std::set<std::string> got(found.begin(), found.end());
  EXPECT_TRUE(got.count(later));
  size_t expected = 0;
  for (const std::string& f : files) {
    if (f.size() + 2 < PATH_MAX) {  // its folder with '/' fits the limit
      ++expected;
      EXPECT_TRUE(got.count(f)) << f.size();
    }
    if (f.size() >= PATH_MAX) {
      EXPECT_FALSE(got.count(f));
    }
  }
  EXPECT_GT(expected, 1500u);
}

TEST_F(FindFileTest, FindFileBadTreeFoldersAndFilesRemovedMidWalkAreSkipped) {
  for (const char* name : {"t/a", "t/b", "t/c", "t/d"}) {
    File(std::string(name) + "/1.mp4");
    File(std::string(name) + "/sub/2.mp4");
  }
  const std::string later = File("u/later.mp4");
  // At the first entry of the walk, every other folder of the tree goes away.
  std::string kept;
  search.SetEntryHook([&](const std::string& path, int depth) {
    if (depth != 0 || !kept.empty()) return;
    kept = path;
    for (const char* name : {"t/a", "t/b", "t/c", "t/d"})
      if (dir / name != path) fs::remove_all(dir / name);
  });
  const std::vector<std::string> found = SearchAll({dir / "t", dir / "u"});
  EXPECT_EQ(AsSet(found), AsSet({kept + "/1.mp4", kept + "/sub/2.mp4", later}));
}

TEST_F(FindFileTest, FindFileBadTreeFilesRemovedBeforeTheirFolderIsListedAreNotQueued) {
  for (const char* name : {"t/a", "t/b", "t/c"})
    for (int i = 0; i < 5; ++i) File(std::string(name) + "/f" + std::to_string(i) + ".mp4");
  // At the first entry of the walk, the files of every other folder go away
  // (the folders stay).
  std::string kept;
  search.SetEntryHook([&](const std::string& path, int depth) {
    if (depth != 0 || !kept.empty()) return;
    kept = path;
    for (const char* name : {"t/a", "t/b", "t/c"})
      if (dir / name != path)
        for (int i = 0; i < 5; ++i) fs::remove(dir / (std::string(name) + "/f" + std::to_string(i) + ".mp4"));
  });
  const std::vector<std::string> found = SearchAll({dir / "t"});
  ASSERT_EQ(found.size(), 5u) << ::testing::PrintToString(found);
  for (const std::string& path : found) EXPECT_TRUE(path.starts_with(kept + "/")) << path;
}

TEST_F(FindFileTest, FindFileBadTreeAQueuedFolderGoneBeforeItsTurnIsSkipped) {
  File("a/1.mp4");
  const std::string b = File("b/1.mp4");
  search.AddPath(dir / "a");
  search.AddPath(dir / "b");
  fs::remove_all(dir / "a");
  EXPECT_EQ(SearchAll({}), (std::vector<std::string>{b}));
}

}  // namespace
}  // namespace korvane::test
