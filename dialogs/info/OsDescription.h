#pragma once
// A one-line description of the operating system. The Windows naming rules are
// kept as a pure function over the version record and the two registry answers
// they use; on this system the running system is described from os-release
// and the kernel.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// The fields of the Windows version record that the description uses.
struct OsVersionRecord {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platformId = 0;  // 0 Win32s, 1 Windows 95/98/Me, 2 Windows NT
  std::string csd;          // service-pack text
  uint16_t suiteMask = 0;
  uint8_t productType = 0;  // 1 workstation, 2 domain controller, 3 server
  bool extended = false;    // suite mask and product type are valid
};

struct OsRegistryAnswers {
  // "ProductType" under ...\Control\ProductOptions; nothing when it cannot be read.
  std::optional<std::string> productType;
  // Whether the ...\Hotfix\Q246009 key opens.
  bool hotfixQ246009 = false;
};

// record: nothing when neither version query succeeded.
std::string DescribeWindows(const std::optional<OsVersionRecord>& record, const OsRegistryAnswers& registry);

// "Windows 3.1", "Windows 95", "Windows NT" for 0, 1, 2; "" otherwise.
std::string PlatformName(uint32_t PlatformId);

// "%s Version %d.%d (Build %d : %s)".
std::string DescribeBasic(std::string_view platform, uint32_t major, uint32_t minor, uint32_t build,
                          std::string_view csd);

// The value of key in os-release text, unquoted; nothing when absent.
std::optional<std::string> OsReleaseValue(std::string_view osRelease, std::string_view key);
// "<PRETTY_NAME> (Kernel <release>)"; throws std::runtime_error without PRETTY_NAME.
std::string DescribeLinux(std::string_view osRelease, std::string_view kernelRelease);
// uname's fields in the basic shape: name, the release's first three numbers, the version text.
std::string DescribeKernelBasic(std::string_view sysname, std::string_view release, std::string_view version);

// The running system. Detailed and Basic throw when their sources cannot be
// read; GetOSDescription falls back from one to the next and never throws.
std::string GetOSDescriptionDetailed();
std::string GetOSDescriptionBasic();
std::string GetOSDescription();

}  // namespace korvane
