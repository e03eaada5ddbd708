#include "env/sysinfo.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

WindowsVersionRecord Record(uint32_t platform, uint32_t major, uint32_t minor, uint32_t build = 0) {
  WindowsVersionRecord r;
  r.platform = platform;
  r.major = major;
  r.minor = minor;
  r.build = build;
  return r;
}

TEST(WindowsVersionName, EveryRow) {
  struct Case {
    uint32_t platform, major, minor, build;
    bool is64, server;
    const char* version;
    const char* name;
    uint32_t code;
  } cases[] = {
      {0, 3, 10, 0, false, false, "3.10", "32S", 0},
      {1, 4, 0, 950, false, false, "4.0", "95", 0x1},
      {1, 4, 10, 1998, false, false, "4.10", "98", 0x2},
      {1, 4, 10, 0x045A0BB8, false, false, "4.90", "ME", 0x4},  // build 3000 in the low word
      {1, 4, 90, 3000, false, false, "4.90", "ME", 0x4},
      {1, 4, 3, 0, false, false, "4.3", "9x", 0x1},
      {2, 4, 0, 1381, false, false, "4.0", "NT", 0x8},
      {2, 5, 0, 2195, false, false, "5.0", "2000", 0x10},
      {2, 5, 1, 2600, false, false, "5.1", "XP", 0x20},
      {2, 5, 2, 3790, false, false, "5.2", "2003", 0x40},
      {2, 5, 2, 3790, false, true, "5.2", "2003", 0x40},
      {2, 6, 0, 6002, false, false, "6.0", "Vista", 0x80},
      {2, 6, 1, 7601, false, false, "6.1", "7", 0x400},
      {2, 6, 2, 9200, false, false, "6.2", "8", 0x8000},
      {2, 6, 3, 9600, false, false, "6.3", "8.1", 0x40000},
      {2, 10, 0, 19041, false, false, "10.0", "10", 0x200000},
      {2, 6, 4, 9841, false, false, "6.4", "NTx", 0x8},
      {2, 6, 4, 9841, true, false, "6.4", "NTx", 0x8},  // no 64-bit row for it either
      {2, 5, 2, 3790, true, false, "5.2", "XP.64", 0x100},
      {2, 5, 2, 3790, true, true, "5.2", "XP.64", 0x100},  // a 64-bit server 5.2
      {2, 6, 0, 6002, true, false, "6.0", "Vista.64", 0x200},
      {2, 6, 1, 7601, true, false, "6.1", "7.64", 0x800},
      {2, 6, 2, 9200, true, false, "6.2", "8.64", 0x10000},
      {2, 6, 3, 9600, true, false, "6.3", "8.1.64", 0x80000},
      {2, 10, 0, 19041, true, false, "10.0", "10.64", 0x400000},
      {2, 6, 0, 6002, true, true, "6.0", "2008.64", 0x2000},
      {2, 6, 1, 7601, true, true, "6.1", "2008R2.64", 0x4000},
      {2, 6, 2, 9200, true, true, "6.2", "2012.64", 0x20000},
      {2, 6, 3, 9600, true, true, "6.3", "2012R2.64", 0x100000},
      {2, 10, 0, 17763, true, true, "10.0", "10.64", 0x400000},  // keeps the workstation name
      {2, 6, 0, 6002, false, true, "6.0", "2008", 0x1000},
      {2, 6, 1, 7601, false, true, "6.1", "7", 0x400},  // no 32-bit server 6.1 row
      {2, 10, 0, 19041, false, true, "10.0", "10", 0x200000},
      {3, 5, 0, 0, false, false, "5.0", "", 0},  // Windows CE
  };
  for (const auto& c : cases) {
    const WindowsVersionInfo info =
        DescribeWindowsVersion(Record(c.platform, c.major, c.minor, c.build), c.is64, c.server);
    const std::string where = std::to_string(c.platform) + ":" + std::to_string(c.major) + "." +
                              std::to_string(c.minor) + (c.is64 ? " 64" : "") +
                              (c.server ? " server" : "");
    EXPECT_EQ(info.version, c.version) << where;
    EXPECT_EQ(info.name, c.name) << where;
    EXPECT_EQ(info.code, c.code) << where;
    EXPECT_EQ(info.build, c.build & 0xFFFF) << where;
  }
}

TEST(WindowsVersionName, ServicePackTrimmed) {
  WindowsVersionRecord r = Record(2, 6, 1, 7601);
  r.servicePack = "  Service Pack 1 \t";
  EXPECT_EQ(DescribeWindowsVersion(r, false, false).servicePack, "Service Pack 1");
}

TEST(WindowsVersionRecord, CorrectedFromKernelProductVersion) {
  struct Case {
    uint32_t major, minor, build;
    const char* product;
    uint32_t wantMajor, wantMinor, wantBuild;
  } cases[] = {
      {6, 3, 9600, "10.0.19041.1", 10, 0, 19041},
      {6, 3, 9600, "6.3.9600.17415", 6, 3, 9600},
      {6, 3, 9600, "10", 10, 0, 0},        // missing fields are 0
      {6, 3, 9600, "10.x.5", 10, 0, 5},    // so are non-numeric ones
      {6, 2, 9200, "10.0.19041.1", 6, 2, 9200},  // 6.2 is taken as reported
      {6, 1, 7601, "10.0.19041.1", 6, 1, 7601},
      {6, 3, 9600, "", 6, 3, 9600},        // unreadable: the reported numbers
      {6, 3, 9600, "x.1.2", 6, 3, 9600},
  };
  for (const auto& c : cases) {
    const WindowsVersionRecord r =
        CorrectedVersionRecord(Record(2, c.major, c.minor, c.build), c.product);
    EXPECT_EQ(r.major, c.wantMajor) << c.product;
    EXPECT_EQ(r.minor, c.wantMinor) << c.product;
    EXPECT_EQ(r.build, c.wantBuild) << c.product;
    EXPECT_EQ(r.platform, 2u);
  }
  const WindowsVersionRecord ten = CorrectedVersionRecord(Record(2, 6, 3), "10.0.19041.1");
  EXPECT_EQ(DescribeWindowsVersion(ten, false, false).name, "10");
  EXPECT_EQ(DescribeWindowsVersion(ten, true, false).name, "10.64");
}

TEST(WindowsVersionRecord, Windows8OrLater) {
  EXPECT_TRUE(IsWindows8OrLaterRecord(Record(2, 10, 0)));  // 10.0 is not below 6.2
  EXPECT_TRUE(IsWindows8OrLaterRecord(Record(2, 6, 2)));
  EXPECT_TRUE(IsWindows8OrLaterRecord(Record(2, 7, 0)));
  EXPECT_FALSE(IsWindows8OrLaterRecord(Record(2, 6, 1)));
  EXPECT_FALSE(IsWindows8OrLaterRecord(Record(2, 5, 9)));
  EXPECT_FALSE(IsWindows8OrLaterRecord(Record(1, 10, 0)));  // not NT
}

TEST(CenterInRect, Arithmetic) {
  struct Case {
    ScreenRect area;
    int width, height, left, top;
  } cases[] = {
      {{0, 0, 1024, 738}, 400, 300, 312, 219},
      {{100, 50, 1124, 818}, 400, 300, 412, 284},  // offset work area (task bar left/top)
      {{0, 0, 100, 100}, 101, 103, 0, -1},          // halves truncate toward zero
      {{-1920, 0, 0, 1080}, 1000, 500, -1460, 290}, // monitor left of the primary
      {{0, 0, INT_MAX, INT_MAX}, INT_MIN, 0, INT_MAX, INT_MAX / 2},
      {{INT_MAX, INT_MIN, INT_MAX, INT_MIN}, INT_MIN, INT_MAX, INT_MAX, INT_MIN},  // clamped
  };
  for (const auto& c : cases) {
    int left = 12345, top = 12345;
    CenterInRect(c.area, c.width, c.height, &left, &top);
    EXPECT_EQ(left, c.left) << c.width;
    EXPECT_EQ(top, c.top) << c.height;
  }
}

}  // namespace
