// Walks a generated tree of 100,000 files in 1,000 folders through AddPath and
// drains the found queue, and runs `find TREE -type f` on the same tree in the
// same run; prints files per second for both and the ratio of their times.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "search/FindFile.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kGroups = 10;
constexpr int kFoldersPerGroup = 100;
constexpr int kFilesPerFolder = 100;
constexpr int kRuns = 7;

void MakeTree(const std::string& root) {
  char name[64];
  for (int g = 0; g < kGroups; ++g) {
    for (int f = 0; f < kFoldersPerGroup; ++f) {
      std::snprintf(name, sizeof name, "/group%02d/folder%03d", g, f);
      const std::string folder = root + name;
      fs::create_directories(folder);
      for (int i = 0; i < kFilesPerFolder; ++i) {
        std::snprintf(name, sizeof name, "/clip %05d.mp4", i);
        if (FILE* out = std::fopen((folder + name).c_str(), "w")) std::fclose(out);
      }
    }
  }
}

// Seconds for one search of the tree, drained as fast as it is found.
double TimeKorvane(korvane::TFindFileThread& search, const std::string& root, long& files) {
  korvane::TStringList batch;
  files = 0;
  const auto start = Clock::now();
  search.AddPath(root);
  for (;;) {
    const bool idle = search.Idle();  // looked at before the take, so nothing is missed
    search.TakeFound(batch, INT_MAX);
    files += static_cast<long>(batch.Count());
    batch.Clear();
    if (idle && search.PendingCount() == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Seconds for `find TREE -type f`, its output read in full.
double TimeFind(const std::string& root, long& files) {
  files = 0;
  const auto start = Clock::now();
  FILE* pipe = popen(("find '" + root + "' -type f").c_str(), "r");
  if (!pipe) return -1;
  char buf[1 << 16];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) files += std::count(buf, buf + n, '\n');
  pclose(pipe);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  std::string pattern = (fs::temp_directory_path() / "korvane-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return 1;
  const std::string root = pattern + "/tree";
  MakeTree(root);

  korvane::TFindFileThread search;
  search.Resume();
  long kFiles = 0, findFiles = 0;
  TimeKorvane(search, root, kFiles);  // warm the caches
  TimeFind(root, findFiles);
  std::vector<double> k, f;
  for (int run = 0; run < kRuns; ++run) {
    k.push_back(TimeKorvane(search, root, kFiles));
    f.push_back(TimeFind(root, findFiles));
  }
  fs::remove_all(pattern);

  const double kt = Median(k), ft = Median(f);
  std::printf("tree: %d files in %d folders (median of %d runs)\n", kGroups * kFoldersPerGroup * kFilesPerFolder,
              kGroups * kFoldersPerGroup, kRuns);
  std::printf("korvane search: %ld files in %.1f ms, %.0f files/s\n", kFiles, kt * 1e3, kFiles / kt);
  std::printf("find -type f:   %ld files in %.1f ms, %.0f files/s\n", findFiles, ft * 1e3, findFiles / ft);
  std::printf("ratio (korvane time / find time): %.2f (target <= 1.50)\n", kt / ft);
  return kFiles == findFiles ? 0 : 2;
}
