#include "dialogs/info/OsDescription.h"

#include <sys/utsname.h>

#include <stdexcept>

#include "base/AsciiText.h"
#include "base/Format.h"
#include "base/Lines.h"
#include "base/TextCompare.h"
#include "platform/WholeFile.h"

namespace korvane {
namespace {

constexpr uint16_t kSuiteEnterprise = 0x0002;
constexpr uint16_t kSuiteDatacenter = 0x0080;
constexpr uint16_t kSuitePersonal = 0x0200;
constexpr uint16_t kSuiteBlade = 0x0400;
constexpr size_t kProductTypeBuffer = 255;

bool Is(const OsVersionRecord& r, uint32_t major, uint32_t minor) { return r.major == major && r.minor == minor; }

char CsdSecond(const OsVersionRecord& r) { return r.csd.size() > 1 ? r.csd[1] : '\0'; }

std::string Windows9x(const OsVersionRecord& r) {
  if (Is(r, 4, 0)) return std::string("Microsoft Windows 95 ") + (CsdSecond(r) == 'C' || CsdSecond(r) == 'B' ? "OSR2 " : "");
  if (Is(r, 4, 10)) return std::string("Microsoft Windows 98 ") + (CsdSecond(r) == 'A' ? "SE " : "");
  if (Is(r, 4, 90)) return "Microsoft Windows Millennium Edition";
  return "Unknown";
}

std::string NtProductName(const OsVersionRecord& r) {
  if (Is(r, 5, 2)) return "Microsoft Windows .NET Server 2003 family, ";
  if (Is(r, 5, 1)) return "Microsoft Windows XP ";
  if (Is(r, 5, 0)) return "Microsoft Windows 2000 ";
  if (r.major <= 4) return "Microsoft Windows NT ";
  return "Windows NT product family? ";
}

std::string ServerEdition(const OsVersionRecord& r) {
  const uint16_t s = r.suiteMask;
  if (Is(r, 5, 2)) {
    if (s & kSuiteDatacenter) return "Datacenter Edition ";
    if (s & kSuiteEnterprise) return "Enterprise Edition ";
    if (s == kSuiteBlade) return "Web Edition ";
    return "Standard Edition ";
  }
  if (Is(r, 5, 0)) {
    if (s & kSuiteDatacenter) return "Datacenter Server ";
    if (s & kSuiteEnterprise) return "Advanced Server ";
    return "Server ";
  }
  return (s & kSuiteEnterprise) ? "Server 4.0, Enterprise Edition " : "Server 4.0 ";
}

std::string ExtendedEdition(const OsVersionRecord& r) {
  if (r.productType == 1) {
    if (r.major == 4) return "Workstation 4.0 ";
    return (r.suiteMask & kSuitePersonal) ? "Home Edition " : "Professional ";
  }
  if (r.productType == 3) return ServerEdition(r);
  return "";
}

std::string RegistryEdition(const std::string& productType) {
  std::string upper = productType.substr(0, productType.find('\0'));
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  if (upper == "WINNT") return "Workstation ";
  if (upper == "LANMANNT") return "Server ";
  if (upper == "SERVERNT") return "Advanced Server ";
  return "";
}

std::string ServicePackAndBuild(const OsVersionRecord& r, bool hotfixQ246009) {
  const int build = static_cast<int>(r.build & 0xFFFF);
  if (r.major == 4 && SameTextIgnoreCase(r.csd, "Service Pack 6") && hotfixQ246009) {
    return Format("Service Pack 6a (Build %d)", {build});
  }
  return Format("%s (Build %d)", {r.csd, build});
}

std::string Unquote(std::string_view v) {
  if (v.size() >= 2 && v.front() == '\'' && v.back() == '\'') return std::string(v.substr(1, v.size() - 2));
  if (v.empty() || v.front() != '"') return std::string(v);
  std::string out;
  for (size_t i = 1; i < v.size() && v[i] != '"'; ++i) {
    if (v[i] == '\\' && i + 1 < v.size()) ++i;
    out += v[i];
  }
  return out;
}

uint32_t LeadingNumber(std::string_view s) {
  uint64_t v = 0;
  for (size_t i = 0; i < s.size() && s[i] >= '0' && s[i] <= '9' && v <= 0xFFFFFFFFu; ++i) v = v * 10 + (s[i] - '0');
  return v > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(v);
}

struct utsname Uname() {
  struct utsname u {};
  if (uname(&u) != 0) throw std::runtime_error("uname failed");
  return u;
}

}  // namespace

std::string DescribeWindows(const std::optional<OsVersionRecord>& record, const OsRegistryAnswers& registry) {
  if (!record) return "Unknown";
  const OsVersionRecord& r = *record;
  if (r.platformId == 0) return "Microsoft Win32s";
  if (r.platformId == 1) return Windows9x(r);
  if (r.platformId != 2) return "Unknown";
  std::string result = NtProductName(r);
  if (r.extended) {
    result += ExtendedEdition(r);
  } else {
    if (!registry.productType || registry.productType->size() + 1 > kProductTypeBuffer) return result;
    result += RegistryEdition(*registry.productType);
    result += Format("%d.%d ", {r.major, r.minor});
  }
  return result + ServicePackAndBuild(r, registry.hotfixQ246009);
}

std::string PlatformName(uint32_t PlatformId) {
  switch (PlatformId) {
    case 0: return "Windows 3.1";
    case 1: return "Windows 95";
    case 2: return "Windows NT";
    default: return "";
  }
}

std::string DescribeBasic(std::string_view platform, uint32_t major, uint32_t minor, uint32_t build,
                          std::string_view csd) {
  return Format("%s Version %d.%d (Build %d : %s)", {platform, major, minor, build, csd});
}

std::optional<std::string> OsReleaseValue(std::string_view osRelease, std::string_view key) {
  for (std::string_view line : TLines(osRelease)) {
    line = TrimRightAny(line, "\r ");
    if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == '=') {
      return Unquote(line.substr(key.size() + 1));
    }
  }
  return std::nullopt;
}

std::string DescribeLinux(std::string_view osRelease, std::string_view kernelRelease) {
  const auto pretty = OsReleaseValue(osRelease, "PRETTY_NAME");
  if (!pretty || pretty->empty()) throw std::runtime_error("os-release has no PRETTY_NAME");
  return Format("%s (Kernel %s)", {*pretty, kernelRelease});
}

std::string DescribeKernelBasic(std::string_view sysname, std::string_view release, std::string_view version) {
  uint32_t numbers[3] = {0, 0, 0};
  size_t pos = 0;
  for (uint32_t& n : numbers) {
    if (pos >= release.size()) break;
    n = LeadingNumber(release.substr(pos));
    const size_t dot = release.find_first_not_of("0123456789", pos);
    if (dot == std::string_view::npos || release[dot] != '.') break;
    pos = dot + 1;
  }
  return DescribeBasic(sysname, numbers[0], numbers[1], numbers[2], version);
}

std::string GetOSDescriptionDetailed() {
  std::optional<std::string> osRelease = ReadWholeFile("/etc/os-release");
  if (!osRelease) osRelease = ReadWholeFile("/usr/lib/os-release");
  if (!osRelease) throw std::runtime_error("cannot read /usr/lib/os-release");
  return DescribeLinux(*osRelease, Uname().release);
}

std::string GetOSDescriptionBasic() {
  const struct utsname u = Uname();
  return DescribeKernelBasic(u.sysname, u.release, u.version);
}

std::string GetOSDescription() {
  try {
    return GetOSDescriptionDetailed();
  } catch (const std::exception&) {
  }
  try {
    return GetOSDescriptionBasic();
  } catch (const std::exception&) {
  }
  return "Microsoft Windows";
}

}  // namespace korvane
