#include "dialogs/info/SysInfo.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "base/Lines.h"
#include "platform/WholeFile.h"

namespace korvane {
namespace {

// Digits of |v| grouped in threes, with the sign in front.
std::string Grouped(int64_t v, const NumberStyle& style) {
  const std::string digits = std::to_string(v < 0 ? -static_cast<uint64_t>(v) : static_cast<uint64_t>(v));
  std::string out = v < 0 ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += style.thousandsSeparator;
    out += digits[i];
  }
  return out;
}

std::string GroupedHundredths(double value, const NumberStyle& style) {
  const int64_t hundredths = std::llround(value * 100);
  std::string fraction = std::to_string(std::abs(hundredths % 100));
  if (fraction.size() < 2) fraction.insert(0, "0");
  std::string whole = Grouped(hundredths / 100, style);
  if (hundredths < 0 && hundredths > -100) whole.insert(0, "-");
  return whole + style.decimalSeparator + fraction;
}

// What a file of /proc holds; "" when it cannot be read.
std::string ReadText(const char* path) { return ReadWholeFile(path).value_or(""); }

uint64_t Minus(uint64_t a, uint64_t b) { return a > b ? a - b : 0; }

uint64_t AddressSpaceLimit() {
  struct rlimit limit {};
  if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) return limit.rlim_cur;
#if defined(__aarch64__)
  return uint64_t{1} << 48;
#else
  return sizeof(void*) == 8 ? uint64_t{1} << 47 : uint64_t{3} << 30;
#endif
}

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

}  // namespace

std::string FormatSize(TSizeUnit Unit, int64_t Value, const NumberStyle& style) {
  switch (Unit) {
    case suCount: return Grouped(Value, style);
    case suBytes: return Grouped(Value, style) + " B";
    case suKB: return Grouped(std::llround(static_cast<double>(Value) / 1024), style) + " KB";
    default: return GroupedHundredths(static_cast<double>(Value) / 1024 / 1024, style) + " MB";
  }
}

std::string FormatSeconds(int32_t Seconds) {
  const int32_t s = Seconds % 60;
  const int32_t totalMinutes = (Seconds - s) / 60;
  return Format("%d:%2.2d:%2.2d", {totalMinutes / 60, totalMinutes % 60, s});
}

uint64_t KiloBytesField(std::string_view text, std::string_view key) {
  for (const std::string_view line : TLines(text)) {
    if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != ':') continue;
    uint64_t kb = 0;
    for (char c : line.substr(key.size() + 1)) {
      if (c >= '0' && c <= '9') {
        if (kb > (UINT64_MAX >> 10) / 10) return 0;
        kb = kb * 10 + static_cast<uint64_t>(c - '0');
      } else if (c != ' ' && c != '\t') {
        break;
      }
    }
    return kb * 1024;
  }
  return 0;
}

int64_t ProcessAgeSeconds(std::string_view stat, std::string_view uptime, long clockTicks) {
  const size_t close = stat.rfind(')');
  if (close == std::string_view::npos || clockTicks <= 0) return 0;
  // The fields after the command name start with the third, the state; the start time is the 22nd.
  std::istringstream fields{std::string(stat.substr(close + 1))};
  std::string field;
  for (int i = 3; i <= 22 && fields >> field; ++i) {
  }
  if (!fields) return 0;
  const double startTicks = std::strtod(field.c_str(), nullptr);
  const std::string up(uptime.substr(0, uptime.find(' ')));
  const double upSeconds = std::strtod(up.c_str(), nullptr);
  const double age = upSeconds - startTicks / static_cast<double>(clockTicks);
  return age > 0 && age < 1e12 ? static_cast<int64_t>(age) : 0;
}

SystemStatus StatusFromSources(const SystemStatusSources& src) {
  SystemStatus s;
  s.totalPhys = KiloBytesField(src.meminfo, "MemTotal");
  s.availPhys = KiloBytesField(src.meminfo, "MemAvailable");
  s.totalPageFile = KiloBytesField(src.meminfo, "CommitLimit");
  s.availPageFile = Minus(s.totalPageFile, KiloBytesField(src.meminfo, "Committed_AS"));
  s.totalVirtual = src.addressSpace;
  s.availVirtual = Minus(src.addressSpace, KiloBytesField(src.status, "VmSize"));
  s.workingSet = KiloBytesField(src.status, "VmRSS");
  s.peakWorkingSet = KiloBytesField(src.status, "VmHWM");
  s.pageFaults = src.minorFaults + src.majorFaults;
  // The process's private memory, resident or swapped out, stands for its commit charge.
  s.pagefileUsage = KiloBytesField(src.status, "RssAnon") + KiloBytesField(src.status, "VmSwap");
  // Page tables are the process's kernel memory that is never paged out.
  s.nonPagedPool = KiloBytesField(src.status, "VmPTE");
  s.kernelSeconds = static_cast<int64_t>(src.kernelSeconds);
  s.userSeconds = static_cast<int64_t>(src.userSeconds);
  s.processSeconds = ProcessAgeSeconds(src.stat, src.uptime, src.clockTicks);
  return s;
}

SystemStatusSources ReadStatusSources() {
  SystemStatusSources src;
  src.meminfo = ReadText("/proc/meminfo");
  src.status = ReadText("/proc/self/status");
  src.stat = ReadText("/proc/self/stat");
  src.uptime = ReadText("/proc/uptime");
  src.addressSpace = AddressSpaceLimit();
  struct rusage usage {};
  if (getrusage(RUSAGE_SELF, &usage) == 0) {
    src.minorFaults = static_cast<uint64_t>(usage.ru_minflt);
    src.majorFaults = static_cast<uint64_t>(usage.ru_majflt);
    src.kernelSeconds = Seconds(usage.ru_stime);
    src.userSeconds = Seconds(usage.ru_utime);
  }
  src.clockTicks = sysconf(_SC_CLK_TCK);
  return src;
}

void TStatusPeaks::Apply(SystemStatus& s) {
  const auto raise = [](uint64_t& seen, uint64_t current, uint64_t& peak) {
    seen = std::max({seen, current, peak});
    peak = seen;
  };
  raise(FWorkingSet, s.workingSet, s.peakWorkingSet);
  raise(FPagefileUsage, s.pagefileUsage, s.peakPagefileUsage);
  raise(FPagedPool, s.pagedPool, s.peakPagedPool);
  raise(FNonPagedPool, s.nonPagedPool, s.peakNonPagedPool);
}

std::array<std::string, 9> StatusLines(const SystemStatus& s, const NumberStyle& style) {
  auto kb = [&](uint64_t v) { return FormatSize(suKB, static_cast<int64_t>(v), style); };
  auto seconds = [](int64_t v) { return FormatSeconds(static_cast<int32_t>(std::min<int64_t>(v, INT32_MAX))); };
  return {
      Format("Free Physical Memory:%s; Total:%s", {kb(s.availPhys), kb(s.totalPhys)}, style),
      Format("Free Paging File:%s; Total:%s", {kb(s.availPageFile), kb(s.totalPageFile)}, style),
      Format("Free Virtual Memory:%s; Total:%s", {kb(s.availVirtual), kb(s.totalVirtual)}, style),
      Format("Memory Usage:%s; Peak:%s", {kb(s.workingSet), kb(s.peakWorkingSet)}, style),
      Format("Page Fault:%s", {FormatSize(suCount, static_cast<int64_t>(s.pageFaults), style)}, style),
      Format("Pagefile Usage:%s; Peak:%s", {kb(s.pagefileUsage), kb(s.peakPagefileUsage)}, style),
      Format("Paged Pool Usage:%s; Peak:%s", {kb(s.pagedPool), kb(s.peakPagedPool)}, style),
      Format("NonPaged Pool Usage:%s; Peak:%s", {kb(s.nonPagedPool), kb(s.peakNonPagedPool)}, style),
      Format("Kernel:%s; User:%s; Process:%s",
             {seconds(s.kernelSeconds), seconds(s.userSeconds), seconds(s.processSeconds)}, style),
  };
}

}  // namespace korvane
