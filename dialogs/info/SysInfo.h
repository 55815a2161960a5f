#pragma once
// The memory and time figures the About dialog shows, gathered from /proc and
// getrusage, and the texts it shows them in.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Format.h"

namespace korvane {

enum TSizeUnit { suCount, suBytes, suKB, suMB };

// suCount "#,##0", suBytes "#,##0 B", suKB Value/1024 "#,##0 KB", suMB (and
// anything after it) Value/1024/1024 "#,##0.00 MB"; rounded half away from
// zero, grouped in threes with the style's thousands separator.
std::string FormatSize(TSizeUnit Unit, int64_t Value, const NumberStyle& style = UserNumberStyle());

// "h:mm:ss"; hours are not padded.
std::string FormatSeconds(int32_t Seconds);

// Figures in bytes, counts and whole seconds. A figure this system has no
// counterpart for, or that cannot be read, is 0.
struct SystemStatus {
  uint64_t availPhys = 0, totalPhys = 0;
  uint64_t availPageFile = 0, totalPageFile = 0;  // commit limit and what is left of it
  uint64_t availVirtual = 0, totalVirtual = 0;    // the process's address space
  uint64_t workingSet = 0, peakWorkingSet = 0;
  uint64_t pageFaults = 0;
  uint64_t pagefileUsage = 0, peakPagefileUsage = 0;
  uint64_t pagedPool = 0, peakPagedPool = 0;
  uint64_t nonPagedPool = 0, peakNonPagedPool = 0;
  int64_t kernelSeconds = 0, userSeconds = 0, processSeconds = 0;
};

// The texts of the sources the figures come from; an unreadable one is "".
struct SystemStatusSources {
  std::string meminfo;     // /proc/meminfo
  std::string status;      // /proc/self/status
  std::string stat;        // /proc/self/stat
  std::string uptime;      // /proc/uptime
  uint64_t addressSpace = 0;  // the process's address-space limit
  uint64_t minorFaults = 0, majorFaults = 0;
  double kernelSeconds = 0, userSeconds = 0;
  long clockTicks = 100;   // sysconf(_SC_CLK_TCK)
};

// The "<key>: <n> kB" figure of /proc/meminfo or /proc/self/status in bytes; 0 when absent.
uint64_t KiloBytesField(std::string_view text, std::string_view key);
// Seconds since the process started, from /proc/self/stat's start time and /proc/uptime.
int64_t ProcessAgeSeconds(std::string_view stat, std::string_view uptime, long clockTicks);

SystemStatus StatusFromSources(const SystemStatusSources& sources);
SystemStatusSources ReadStatusSources();
inline SystemStatus ReadSystemStatus() { return StatusFromSources(ReadStatusSources()); }

// The peaks the dialog shows: the system's own where it keeps one (the working
// set's), raised to the highest figure seen while they are watched, so never
// below the current one; for the figures without a system peak that is all
// there is.
class TStatusPeaks {
 public:
  // Sets the peaks of s, remembering its figures for the next call.
  void Apply(SystemStatus& s);

 private:
  uint64_t FWorkingSet = 0, FPagefileUsage = 0, FPagedPool = 0, FNonPagedPool = 0;
};

// The nine lines in the dialog's order: physical, paging file, virtual memory,
// working set, page faults, pagefile usage, paged pool, non-paged pool, times.
std::array<std::string, 9> StatusLines(const SystemStatus& s, const NumberStyle& style = UserNumberStyle());

}  // namespace korvane
