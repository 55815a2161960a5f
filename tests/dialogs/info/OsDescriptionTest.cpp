#include "dialogs/info/OsDescription.h"

#include <gtest/gtest.h>
#include <sys/utsname.h>

namespace korvane {
namespace {

OsVersionRecord Nt(uint32_t major, uint32_t minor, uint32_t build, const std::string& csd, uint8_t productType,
                   uint16_t suite = 0, bool extended = true) {
  return OsVersionRecord{major, minor, build, 2, csd, suite, productType, extended};
}

OsVersionRecord Win9x(uint32_t minor, const std::string& csd) { return OsVersionRecord{4, minor, 950, 1, csd, 0, 0, false}; }

std::string Describe(const OsVersionRecord& r, OsRegistryAnswers registry = {}) { return DescribeWindows(r, registry); }

TEST(OsDescriptionWindows, WorkstationsAndServicePacks) {
  EXPECT_EQ(Describe(Nt(5, 1, 2600, "Service Pack 3", 1)), "Microsoft Windows XP Professional Service Pack 3 (Build 2600)");
  EXPECT_EQ(Describe(Nt(5, 1, 2600, "", 1, 0x0200)), "Microsoft Windows XP Home Edition  (Build 2600)");
  EXPECT_EQ(Describe(Nt(6, 1, 7601, "Service Pack 1", 1)),
            "Windows NT product family? Professional Service Pack 1 (Build 7601)");
  EXPECT_EQ(Describe(Nt(4, 0, 1381, "Service Pack 4", 1)),
            "Microsoft Windows NT Workstation 4.0 Service Pack 4 (Build 1381)");
  // Only the build number's low 16 bits are shown.
  EXPECT_EQ(Describe(Nt(5, 0, 0x08000893, "", 2)), "Microsoft Windows 2000  (Build 2195)");
}

TEST(OsDescriptionWindows, ServerEditions) {
  EXPECT_EQ(Describe(Nt(5, 2, 3790, "", 3, 0x0400)), "Microsoft Windows .NET Server 2003 family, Web Edition  (Build 3790)");
  EXPECT_EQ(Describe(Nt(5, 2, 3790, "", 3, 0x0410)),
            "Microsoft Windows .NET Server 2003 family, Standard Edition  (Build 3790)");
  EXPECT_EQ(Describe(Nt(5, 2, 3790, "", 3, 0x0082)),
            "Microsoft Windows .NET Server 2003 family, Datacenter Edition  (Build 3790)");
  EXPECT_EQ(Describe(Nt(5, 2, 3790, "", 3, 0x0002)),
            "Microsoft Windows .NET Server 2003 family, Enterprise Edition  (Build 3790)");
  EXPECT_EQ(Describe(Nt(5, 0, 2195, "", 3, 0x0002)), "Microsoft Windows 2000 Advanced Server  (Build 2195)");
  EXPECT_EQ(Describe(Nt(5, 0, 2195, "", 3)), "Microsoft Windows 2000 Server  (Build 2195)");
  EXPECT_EQ(Describe(Nt(4, 0, 1381, "", 3, 0x0002)), "Microsoft Windows NT Server 4.0, Enterprise Edition  (Build 1381)");
  EXPECT_EQ(Describe(Nt(5, 0, 2195, "Service Pack 4", 2)), "Microsoft Windows 2000 Service Pack 4 (Build 2195)");
}

TEST(OsDescriptionWindows, RegistryWithoutTheExtendedRecord) {
  const OsVersionRecord nt4 = Nt(4, 0, 1381, "Service Pack 5", 0, 0, false);
  EXPECT_EQ(Describe(nt4, {"LanmanNT", false}), "Microsoft Windows NT Server 4.0 Service Pack 5 (Build 1381)");
  EXPECT_EQ(Describe(nt4, {"WinNT", false}), "Microsoft Windows NT Workstation 4.0 Service Pack 5 (Build 1381)");
  EXPECT_EQ(Describe(nt4, {"ServerNT", false}), "Microsoft Windows NT Advanced Server 4.0 Service Pack 5 (Build 1381)");
  EXPECT_EQ(Describe(nt4, {"Other", false}), "Microsoft Windows NT 4.0 Service Pack 5 (Build 1381)");
  EXPECT_EQ(Describe(nt4, {std::nullopt, false}), "Microsoft Windows NT ");
  EXPECT_EQ(Describe(nt4, {std::string(254, 'W'), false}), "Microsoft Windows NT 4.0 Service Pack 5 (Build 1381)");
  EXPECT_EQ(Describe(nt4, {std::string(255, 'W'), false}), "Microsoft Windows NT ");
}

TEST(OsDescriptionWindows, ServicePack6AndTheHotfixKey) {
  const OsVersionRecord sp6 = Nt(4, 0, 1381, "service pack 6", 1);
  EXPECT_EQ(Describe(sp6, {std::nullopt, true}), "Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381)");
  EXPECT_EQ(Describe(sp6, {std::nullopt, false}), "Microsoft Windows NT Workstation 4.0 service pack 6 (Build 1381)");
}

TEST(OsDescriptionWindows, OlderFamiliesAndUnknowns) {
  EXPECT_EQ(Describe(Win9x(0, " C")), "Microsoft Windows 95 OSR2 ");
  EXPECT_EQ(Describe(Win9x(0, " B")), "Microsoft Windows 95 OSR2 ");
  EXPECT_EQ(Describe(Win9x(0, "")), "Microsoft Windows 95 ");
  EXPECT_EQ(Describe(Win9x(10, " A")), "Microsoft Windows 98 SE ");
  EXPECT_EQ(Describe(Win9x(10, "A")), "Microsoft Windows 98 ");
  EXPECT_EQ(Describe(Win9x(90, "")), "Microsoft Windows Millennium Edition");
  EXPECT_EQ(Describe(Win9x(20, "")), "Unknown");
  EXPECT_EQ(Describe(OsVersionRecord{3, 10, 0, 0, "", 0, 0, false}), "Microsoft Win32s");
  EXPECT_EQ(Describe(OsVersionRecord{10, 0, 0, 3, "", 0, 0, false}), "Unknown");
  EXPECT_EQ(DescribeWindows(std::nullopt, {}), "Unknown");
  EXPECT_EQ(PlatformName(0), "Windows 3.1");
  EXPECT_EQ(PlatformName(1), "Windows 95");
  EXPECT_EQ(PlatformName(2), "Windows NT");
  EXPECT_EQ(PlatformName(3), "");
  EXPECT_EQ(DescribeBasic(PlatformName(2), 5, 1, 0x0A280A28, "Service Pack 2"),
            "Windows NT Version 5.1 (Build 170396200 : Service Pack 2)");
}

TEST(OsDescriptionLinux, OsReleaseAndKernel) {
  const std::string osRelease =
      "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\r\nID=debian\n";
  EXPECT_EQ(DescribeLinux(osRelease, "6.1.0-18-amd64"), "Debian GNU/Linux 12 (bookworm) (Kernel 6.1.0-18-amd64)");
  EXPECT_EQ(OsReleaseValue("PRETTY_NAME='Single quoted'\n", "PRETTY_NAME"), "Single quoted");
  EXPECT_EQ(OsReleaseValue("PRETTY_NAME=\"Say \\\"hi\\\"\"", "PRETTY_NAME"), "Say \"hi\"");
  EXPECT_EQ(OsReleaseValue("PRETTY_NAME=bare", "PRETTY_NAME"), "bare");
  EXPECT_EQ(OsReleaseValue("XPRETTY_NAME=no\n", "PRETTY_NAME"), std::nullopt);
  EXPECT_THROW(DescribeLinux("NAME=x\n", "6.1"), std::runtime_error);
  EXPECT_THROW(DescribeLinux("PRETTY_NAME=\"\"\n", "6.1"), std::runtime_error);
  EXPECT_EQ(DescribeKernelBasic("Linux", "6.1.0-18-amd64", "#1 SMP"), "Linux Version 6.1 (Build 0 : #1 SMP)");
  EXPECT_EQ(DescribeKernelBasic("Linux", "5.15", "v"), "Linux Version 5.15 (Build 0 : v)");
  EXPECT_EQ(DescribeKernelBasic("Linux", "", "v"), "Linux Version 0.0 (Build 0 : v)");
}

TEST(OsDescriptionLinux, TheRunningSystem) {
  struct utsname u {};
  ASSERT_EQ(uname(&u), 0);
  const std::string description = GetOSDescription();
  EXPECT_NE(description.find(std::string("(Kernel ") + u.release + ")"), std::string::npos) << description;
  EXPECT_EQ(GetOSDescriptionBasic().rfind(std::string(u.sysname) + " Version ", 0), 0u);
}

}  // namespace
}  // namespace korvane
