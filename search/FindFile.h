#pragma once
// The background file search: one worker thread walks queued folders
// recursively and queues every file it finds, while the GUI thread adds paths,
// takes found files in small batches and may cancel at any time.
//
// Both queues of every TFindFileThread are guarded by the one process-wide
// FindFileLock(). The lock is held only to change a queue (and, on the GUI
// side, for the existence tests of AddPath); never while a folder is listed.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_set>
#include <vector>

#include "base/StringList.h"

namespace korvane {

// The lock of the search module's queues; created before FindFileThread() and
// destroyed after it.
std::mutex& FindFileLock();

class TFindFileThread {
 public:
  // Created suspended: paths may be added at once, they wait until Resume().
  TFindFileThread();
  // Requests termination, cancels a running search, waits for the worker to
  // leave its loop, then releases the queues.
  ~TFindFileThread();
  TFindFileThread(const TFindFileThread&) = delete;
  TFindFileThread& operator=(const TFindFileThread&) = delete;

  // Starts the worker; later calls do nothing.
  void Resume();
  // Asks the worker to end, as the destructor does, and waits for it no longer
  // than bound; false when it is still held in the file system (a mount that
  // stopped answering): the process must then end without destroying this.
  bool Terminate(std::chrono::milliseconds bound);

  // An existing folder is queued for a search (with a trailing '/'); an
  // existing file that is not a folder goes to the found queue unchanged;
  // anything else is dropped.
  void AddPath(const std::string& path);
  // Empties both queues and stops a running search before its next entry.
  void Cancel();
  // Moves up to maxCount found paths, oldest first, to target with its own Add.
  void TakeFound(TStringList& target, int maxCount);
  // Found paths waiting now (queued folders and a running search do not count).
  int PendingCount() const { return FFoundCount.load(std::memory_order_relaxed); }

  // True while no folder waits and no search runs (for tests and benchmarks).
  bool Idle() const;
  // The folders waiting, lowest-sorting first (for tests).
  std::vector<std::string> QueuedFolders() const;

  // Test seam: called on the worker before each listed entry is looked at
  // (after the cancel check), with the entry's full path and its depth. Set
  // it before Resume().
  using EntryHook = std::function<void(const std::string& path, int depth)>;
  void SetEntryHook(EntryHook hook) { FEntryHook = std::move(hook); }

 private:
  struct FolderId {
    uint64_t dev;
    uint64_t ino;
    bool operator==(const FolderId&) const = default;
  };
  struct FolderIdHash {
    size_t operator()(const FolderId& id) const { return std::hash<uint64_t>()(id.ino * 1000003u ^ id.dev); }
  };
  // What one walk of a queued folder keeps to stay out of loops.
  struct Walk {
    std::string rootReal;                                  // canonical path of the queued folder, with '/'
    std::vector<FolderId> chain;                           // folders from the queued one down to the current one
    std::unordered_set<FolderId, FolderIdHash> visited;   // every folder entered in this walk
  };

  void Execute();
  void RequestTermination();
  void SearchFolder(const std::string& path, int depth, Walk& walk);
  // One entry of a listing, of the type the listing gave.
  void LookAtEntry(const std::string& full, unsigned char type, bool fromOpenListing, int depth, Walk& walk);
  // A listed entry that is a symbolic link (or of unknown type).
  void LookAtOther(const std::string& full, int depth, Walk& walk);
  bool LinkLeadsIntoWalk(const std::string& full, const FolderId& target, const Walk& walk) const;
  // Appends one found path unless a cancel is pending.
  void AppendFound(std::string path);

  TStringList FolderQueue{true, false};  // sorted; the duplicate rule is AddPath's
  std::deque<std::string> FoundQueue;
  std::atomic<bool> Searching{false};
  std::atomic<bool> CancelRequested{false};

  std::atomic<int> FFoundCount{0};
  std::atomic<bool> FTerminated{false};
  std::condition_variable FWorkQueued;  // a folder queued or termination asked, under FindFileLock()
  std::condition_variable FWorkerLeft;  // the worker's loop ended (FWorkerDone), under FindFileLock()
  bool FWorkerDone = false;
  EntryHook FEntryHook;
  std::thread FWorker;
};

// The search module's single instance, created suspended when the program's
// modules are initialised and destroyed at program end.
TFindFileThread& FindFileThread();

}  // namespace korvane
