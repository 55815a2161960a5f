#include "search/FindFile.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "base/Paths.h"
#include "base/TextCompare.h"
#include "platform/FileKind.h"

namespace korvane {

namespace {

using Lock = std::lock_guard<std::mutex>;

// Levels of a walk whose folder listings may stay open at once.
constexpr int kOpenDepth = 128;

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The canonical path of an existing path, or "" when it cannot be had.
std::string RealPath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return {};
  std::string out(resolved);
  free(resolved);
  return out;
}

}  // namespace

std::mutex& FindFileLock() {
  static std::mutex lock;
  return lock;
}

TFindFileThread::TFindFileThread() = default;

TFindFileThread::~TFindFileThread() {
  RequestTermination();
  if (FWorker.joinable()) FWorker.join();
}

void TFindFileThread::RequestTermination() {
  FTerminated = true;
  Lock lock(FindFileLock());
  if (Searching) CancelRequested = true;
  FWorkQueued.notify_all();
}

bool TFindFileThread::Terminate(std::chrono::milliseconds bound) {
  RequestTermination();
  if (!FWorker.joinable()) return true;
  {
    std::unique_lock lock(FindFileLock());
    if (!FWorkerLeft.wait_for(lock, bound, [this] { return FWorkerDone; })) return false;
  }
  FWorker.join();
  return true;
}

void TFindFileThread::Resume() {
  if (!FWorker.joinable()) FWorker = std::thread(&TFindFileThread::Execute, this);
}

void TFindFileThread::AddPath(const std::string& p) {
  Lock lock(FindFileLock());
  struct stat st{};
  if (p.empty() || stat(p.c_str(), &st) != 0) return;
  if (!S_ISDIR(st.st_mode)) {
    FoundQueue.push_back(p);
    FFoundCount.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  std::string dir = IncludeTrailingPathDelimiter(p);
  // Entries equal ignoring case stand together in the sorted queue. One of them
  // is this folder when its text is the same or it names the same folder; a
  // folder that differs only in letter case is another folder on this file
  // system and is searched too.
  const int first = FolderQueue.IndexOfSameText(dir);
  if (first >= 0) {
    for (size_t i = static_cast<size_t>(first); i < FolderQueue.Count() && SameTextIgnoreCase(FolderQueue[i], dir); ++i) {
      if (FolderQueue[i] == dir) return;
      struct stat other{};
      if (stat(FolderQueue[i].c_str(), &other) == 0 && other.st_dev == st.st_dev && other.st_ino == st.st_ino) return;
    }
  }
  FolderQueue.Add(std::move(dir));
  FWorkQueued.notify_all();
}

void TFindFileThread::Cancel() {
  Lock lock(FindFileLock());
  FolderQueue.Clear();
  FoundQueue.clear();
  FFoundCount.store(0, std::memory_order_relaxed);
  // Under the lock, so the flag cannot outlive the search it was meant for.
  if (Searching) CancelRequested = true;
}

void TFindFileThread::TakeFound(TStringList& target, int maxCount) {
  Lock lock(FindFileLock());
  const int n = std::min<int>(maxCount, static_cast<int>(FoundQueue.size()));
  for (int i = 0; i < n; ++i) {
    target.Add(std::move(FoundQueue.front()));
    FoundQueue.pop_front();
  }
  if (n > 0) FFoundCount.fetch_sub(n, std::memory_order_relaxed);
}

bool TFindFileThread::Idle() const {
  Lock lock(FindFileLock());
  return FolderQueue.Empty() && !Searching;
}

std::vector<std::string> TFindFileThread::QueuedFolders() const {
  Lock lock(FindFileLock());
  return FolderQueue.Items();
}

void TFindFileThread::Execute() {
  while (!FTerminated) {
    {
      // Asleep while there is nothing to search (a poll would wake it 1000 times a second).
      std::unique_lock lock(FindFileLock());
      FWorkQueued.wait(lock, [this] { return FTerminated || !FolderQueue.Empty(); });
    }
    // Paths added in one go are all queued, in their sorted order, before the first is taken.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::string folder;
    {
      Lock lock(FindFileLock());
      if (FolderQueue.Empty()) continue;
      folder = FolderQueue[0];
      FolderQueue.Delete(0);
      // Set while the lock is held: a Cancel either finds the folder still
      // queued or finds the search running. A cancel seen before this folder
      // was taken has already emptied the queue, so it is not this search's.
      CancelRequested = false;
      Searching = true;
    }
    Walk walk;
    walk.rootReal = RealPath(folder);
    if (!walk.rootReal.empty()) walk.rootReal = IncludeTrailingPathDelimiter(walk.rootReal);
    SearchFolder(folder, 0, walk);
    Lock lock(FindFileLock());
    Searching = false;
    CancelRequested = false;
  }
  Lock lock(FindFileLock());
  FWorkerDone = true;
  FWorkerLeft.notify_all();
}

void TFindFileThread::SearchFolder(const std::string& path, int depth, Walk& walk) {
  const std::string dir = IncludeTrailingPathDelimiter(path);
  // Fails for anything that is not an existing, listable folder.
  DIR* listing = opendir(dir.c_str());
  if (!listing) return;
  struct stat st{};
  if (fstat(dirfd(listing), &st) != 0) {
    closedir(listing);
    return;
  }
  const FolderId id{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  if (std::find(walk.chain.begin(), walk.chain.end(), id) != walk.chain.end()) {
    closedir(listing);  // a folder that contains itself (bind mount): walked once already
    return;
  }

  // Down to kOpenDepth levels each folder's listing stays open while its
  // entries are looked at; below that the whole listing is read and closed
  // first, so that a very deep tree never runs out of open files.
  std::vector<std::pair<std::string, unsigned char>> entries;
  if (depth >= kOpenDepth) {
    while (const dirent* e = readdir(listing)) {
      if (CancelRequested.load(std::memory_order_relaxed)) break;
      if (!IsDotOrDotDot(e->d_name)) entries.emplace_back(e->d_name, e->d_type);
    }
    closedir(listing);
    listing = nullptr;
  }

  walk.chain.push_back(id);
  walk.visited.insert(id);
  std::string full;
  size_t next = 0;
  for (;;) {
    if (CancelRequested.load(std::memory_order_relaxed)) break;
    const char* name;
    unsigned char type;
    if (listing) {
      const dirent* e = readdir(listing);
      if (!e) break;
      if (IsDotOrDotDot(e->d_name)) continue;
      name = e->d_name;
      type = e->d_type;
    } else {
      if (next == entries.size()) break;
      name = entries[next].first.c_str();
      type = entries[next].second;
      ++next;
    }
    full.assign(dir).append(name);
    LookAtEntry(full, type, listing != nullptr, depth, walk);
  }
  if (listing) closedir(listing);
  walk.chain.pop_back();
}

void TFindFileThread::LookAtEntry(const std::string& full, unsigned char type, bool fromOpenListing, int depth,
                                  Walk& walk) {
  if (FEntryHook) FEntryHook(full, depth);
  switch (type) {
    case DT_DIR:
      SearchFolder(full, depth + 1, walk);
      break;
    case DT_REG:
    case DT_FIFO:
    case DT_CHR:
    case DT_BLK:
    case DT_SOCK:
      // An open listing has just named it a file that is not a folder, which
      // is the existence test (one more system call per file would treble
      // the time of a walk). An entry of a listing read in advance is asked
      // again, since its folder's subfolders were walked in between.
      if (fromOpenListing || IsExistingNonFolder(full)) AppendFound(full);
      break;
    default:  // a symbolic link, or a file system that does not tell the type
      LookAtOther(full, depth, walk);
      break;
  }
}

void TFindFileThread::LookAtOther(const std::string& full, int depth, Walk& walk) {
  struct stat st{};
  if (stat(full.c_str(), &st) != 0) return;  // dangling link, or removed meanwhile
  if (!S_ISDIR(st.st_mode)) {  // a link to a file, or a file of unknown type
    AppendFound(full);
    return;
  }
  struct stat lst{};
  const bool isLink = lstat(full.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode);
  const FolderId target{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  if (isLink && LinkLeadsIntoWalk(full, target, walk)) return;
  SearchFolder(full, depth + 1, walk);
}

bool TFindFileThread::LinkLeadsIntoWalk(const std::string& full, const FolderId& target, const Walk& walk) const {
  // Entered already in this walk (an ancestor, or a folder reached before).
  if (walk.visited.count(target)) return true;
  const std::string real = RealPath(full);
  if (real.empty()) return true;
  // Inside the queued folder's own tree: its real place is walked anyway.
  if (walk.rootReal.empty()) return false;
  const std::string realDir = IncludeTrailingPathDelimiter(real);
  return realDir.compare(0, walk.rootReal.size(), walk.rootReal) == 0;
}

void TFindFileThread::AppendFound(std::string path) {
  Lock lock(FindFileLock());
  // Once a cancel is pending nothing more is queued: the cleared queue stays clear.
  if (CancelRequested.load(std::memory_order_relaxed)) return;
  FoundQueue.push_back(std::move(path));
  FFoundCount.fetch_add(1, std::memory_order_relaxed);
}

TFindFileThread& FindFileThread() {
  FindFileLock();  // the lock is made first, so it is destroyed after the thread
  static TFindFileThread thread;
  return thread;
}

namespace {
// Module initialisation: the search exists, suspended, before main() runs.
[[maybe_unused]] TFindFileThread& moduleInstance = FindFileThread();
}  // namespace

}  // namespace korvane
