#include <gtest/gtest.h>

#include "dialogs/info/SysInfo.h"

namespace korvane {
namespace {

const NumberStyle kCommaGroups{".", ","};
const NumberStyle kPeriodGroups{",", "."};

TEST(InfoFormatSize, UnitsRoundingAndSeparators) {
  EXPECT_EQ(FormatSize(suKB, 1536, kCommaGroups), "2 KB");
  EXPECT_EQ(FormatSize(suKB, 1535, kCommaGroups), "1 KB");
  EXPECT_EQ(FormatSize(suKB, 0, kCommaGroups), "0 KB");
  EXPECT_EQ(FormatSize(suKB, 2560, kCommaGroups), "3 KB");  // halves round away from zero
  EXPECT_EQ(FormatSize(suKB, int64_t{16} << 40, kCommaGroups), "17,179,869,184 KB");
  EXPECT_EQ(FormatSize(suCount, 1234567, kCommaGroups), "1,234,567");
  EXPECT_EQ(FormatSize(suCount, 1234567, kPeriodGroups), "1.234.567");
  EXPECT_EQ(FormatSize(suCount, -1234, kCommaGroups), "-1,234");
  EXPECT_EQ(FormatSize(suCount, 999, kCommaGroups), "999");
  EXPECT_EQ(FormatSize(suBytes, 1000, kCommaGroups), "1,000 B");
  EXPECT_EQ(FormatSize(suMB, 1572864, kCommaGroups), "1.50 MB");
  EXPECT_EQ(FormatSize(suMB, 1572864, kPeriodGroups), "1,50 MB");
  EXPECT_EQ(FormatSize(suMB, int64_t{1234} << 20, kCommaGroups), "1,234.00 MB");
  EXPECT_EQ(FormatSize(suMB, -(int64_t{1} << 19), kCommaGroups), "-0.50 MB");
  EXPECT_EQ(FormatSize(static_cast<TSizeUnit>(7), 1572864, kCommaGroups), "1.50 MB");
}

TEST(InfoFormatSeconds, HoursMinutesSeconds) {
  EXPECT_EQ(FormatSeconds(0), "0:00:00");
  EXPECT_EQ(FormatSeconds(59), "0:00:59");
  EXPECT_EQ(FormatSeconds(3725), "1:02:05");
  EXPECT_EQ(FormatSeconds(360000), "100:00:00");
}

TEST(InfoStatus, FiguresFromTheSources) {
  SystemStatusSources src;
  src.meminfo = "MemTotal:       16000 kB\nMemFree:  10 kB\nMemAvailable:    8000 kB\n"
                "CommitLimit:    20000 kB\nCommitted_AS:   25000 kB\n";
  src.status = "Name:\tKorvane\nVmSize:\t  4096 kB\nVmHWM:\t  300 kB\nVmRSS:\t  200 kB\n"
               "RssAnon:\t  150 kB\nVmSwap:\t  10 kB\nVmPTE:\t  64 kB\n";
  src.stat = "4242 (a) b) (c) S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 5000 19 20\n";
  src.uptime = "100.75 30.00\n";
  src.clockTicks = 100;
  src.addressSpace = uint64_t{1} << 30;
  src.minorFaults = 1000;
  src.majorFaults = 234;
  src.kernelSeconds = 3.9;
  src.userSeconds = 61.2;
  const SystemStatus s = StatusFromSources(src);
  EXPECT_EQ(s.totalPhys, 16000u * 1024);
  EXPECT_EQ(s.availPhys, 8000u * 1024);
  EXPECT_EQ(s.totalPageFile, 20000u * 1024);
  EXPECT_EQ(s.availPageFile, 0u);  // overcommitted
  EXPECT_EQ(s.availVirtual, (uint64_t{1} << 30) - 4096 * 1024);
  EXPECT_EQ(s.pagefileUsage, 160u * 1024);
  EXPECT_EQ(s.processSeconds, 50);  // 100.75 s up, started at tick 5000
  const auto lines = StatusLines(s, kCommaGroups);
  EXPECT_EQ(lines[0], "Free Physical Memory:8,000 KB; Total:16,000 KB");
  EXPECT_EQ(lines[1], "Free Paging File:0 KB; Total:20,000 KB");
  EXPECT_EQ(lines[2], "Free Virtual Memory:1,044,480 KB; Total:1,048,576 KB");
  EXPECT_EQ(lines[3], "Memory Usage:200 KB; Peak:300 KB");
  EXPECT_EQ(lines[4], "Page Fault:1,234");
  EXPECT_EQ(lines[5], "Pagefile Usage:160 KB; Peak:0 KB");
  EXPECT_EQ(lines[6], "Paged Pool Usage:0 KB; Peak:0 KB");
  EXPECT_EQ(lines[7], "NonPaged Pool Usage:64 KB; Peak:0 KB");
  EXPECT_EQ(lines[8], "Kernel:0:00:03; User:0:01:01; Process:0:00:50");
}

TEST(InfoStatus, UnreadableSourcesReadZero) {
  const SystemStatus s = StatusFromSources(SystemStatusSources{});
  EXPECT_EQ(s.totalPhys, 0u);
  EXPECT_EQ(s.workingSet, 0u);
  EXPECT_EQ(s.processSeconds, 0);
  EXPECT_EQ(ProcessAgeSeconds("4242 (no closing", "10", 100), 0);
  EXPECT_EQ(ProcessAgeSeconds("1 (x) S 2", "10", 100), 0);
  EXPECT_EQ(KiloBytesField("VmRSS:\t99999999999999999999999 kB\n", "VmRSS"), 0u);
  EXPECT_EQ(KiloBytesField("VmRSSX: 5 kB\n", "VmRSS"), 0u);
  EXPECT_EQ(StatusLines(s, kCommaGroups)[3], "Memory Usage:0 KB; Peak:0 KB");
}

TEST(InfoStatus, PeaksAreTheHighestSeenAndNeverBelowTheCurrent) {
  TStatusPeaks peaks;
  SystemStatus first;
  first.workingSet = 200 * 1024;
  first.peakWorkingSet = 300 * 1024;
  first.pagefileUsage = 77784 * 1024;
  first.nonPagedPool = 64 * 1024;
  peaks.Apply(first);
  EXPECT_EQ(StatusLines(first, kCommaGroups)[3], "Memory Usage:200 KB; Peak:300 KB");
  EXPECT_EQ(StatusLines(first, kCommaGroups)[5], "Pagefile Usage:77,784 KB; Peak:77,784 KB");
  EXPECT_EQ(StatusLines(first, kCommaGroups)[7], "NonPaged Pool Usage:64 KB; Peak:64 KB");
  SystemStatus later;  // smaller figures, and the working set's peak unreadable
  later.workingSet = 100 * 1024;
  later.pagefileUsage = 1024;
  later.nonPagedPool = 80 * 1024;
  peaks.Apply(later);
  EXPECT_EQ(StatusLines(later, kCommaGroups)[3], "Memory Usage:100 KB; Peak:300 KB");
  EXPECT_EQ(StatusLines(later, kCommaGroups)[5], "Pagefile Usage:1 KB; Peak:77,784 KB");
  EXPECT_EQ(StatusLines(later, kCommaGroups)[7], "NonPaged Pool Usage:80 KB; Peak:80 KB");
}

TEST(InfoStatus, TheRunningProcess) {
  const SystemStatus s = ReadSystemStatus();
  EXPECT_GT(s.totalPhys, 0u);
  EXPECT_LE(s.availPhys, s.totalPhys);
  EXPECT_GT(s.workingSet, 0u);
  EXPECT_GE(s.peakWorkingSet, s.workingSet);
  EXPECT_GT(s.pageFaults, 0u);
  EXPECT_GT(s.totalVirtual, s.availVirtual);
  EXPECT_GE(s.processSeconds, 0);
  EXPECT_LT(s.processSeconds, 3600);
}

}  // namespace
}  // namespace korvane
