#include "setup/work_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>


namespace {

TEST(WorkFolder, NameFromTheTimeOfDay) {
  const struct {
    const char* temp;
    uint32_t stamp;
    const char* want;
  } cases[] = {
      {"C:\\Users\\Ann\\AppData\\Local\\Temp\\", 0x5A21734C, "C:\\Users\\Ann\\AppData\\Local\\Temp\\SETUP_29516"},
      {"C:\\Temp", 0x5A21734C, "C:\\Temp\\SETUP_29516"},     // one backslash added
      {"C:\\Temp\\", 0x5A210000, "C:\\Temp\\SETUP_0"},       // the date half plays no part
      {"C:\\Temp\\", 0x0000FFFF, "C:\\Temp\\SETUP_65535"},
  };
  for (const auto& c : cases) EXPECT_EQ(WorkFolderName(c.temp, c.stamp), c.want) << c.temp;
}

TEST(WorkFolder, FirstFolderNoOtherStubHolds) {
  struct Held {
    std::vector<std::string> names;
  };
  auto held = [](const std::string& folder, void* context) {
    const auto& h = static_cast<Held*>(context)->names;
    return std::find(h.begin(), h.end(), folder) != h.end();
  };
  const struct {
    std::vector<std::string> held;
    const char* want;
  } cases[] = {
      {{}, "C:\\T\\SETUP_5"},
      {{"C:\\T\\SETUP_5"}, "C:\\T\\SETUP_5_2"},
      {{"C:\\T\\SETUP_5", "C:\\T\\SETUP_5_2"}, "C:\\T\\SETUP_5_3"},
      {{"C:\\T\\SETUP_5", "C:\\T\\SETUP_5_2", "C:\\T\\SETUP_5_3"}, ""},  // all 3 tries held
  };
  for (const auto& c : cases) {
    Held h{c.held};
    EXPECT_EQ(FirstFreeFolderName("C:\\T\\SETUP_5", 3, held, &h), c.want);
  }
}

TEST(WorkFolder, Megabytes) {
  const struct {
    int64_t bytes;
    const char* want;
  } cases[] = {
      {0, "0.000"},
      {-5, "0.000"},
      {524288, "0.500"},
      {1048576, "1.00"},
      {10 * 1048576, "10.00"},          // exactly 10: two decimals
      {10 * 1048576 + 524288, "10.5"},  // above 10: one
      {int64_t(3) << 40, "3145728.0"},
      {1048575, "1.000"},               // rounds up into the next megabyte
      {1048576 + 5243, "1.01"},         // just above 1.005
      {10 * 1048576 + 1, "10.0"},
      {INT64_MAX, "8796093022208.0"},
  };
  for (const auto& c : cases) EXPECT_EQ(Megabytes(c.bytes), c.want) << c.bytes;
}

TEST(WorkFolder, BestOtherDrive) {
  const struct {
    char current;
    int64_t free[3];
    char want;
  } cases[] = {
      {'D', {900, 100, 0}, 'C'},  // temp on D:, C: has the most
      {'c', {900, 100, 0}, 0},    // already on the best drive
      {'C', {0, 0, 0}, 0},        // nothing probed
      {'C', {500, 500, 700}, 'E'},
      {'C', {500, 500, 0}, 0},    // a tie does not move
      {'Z', {0, 5, 5}, 'D'},
  };
  for (const auto& c : cases) EXPECT_EQ(BestOtherDrive(c.current, c.free), c.want) << c.current;
}

TEST(WorkFolder, FreeSpaceQuestion) {
  const SpaceTexts texts{"Notice <DRIVE>", "Short <DRIVE> <DRIVE>", "|<SPACE_REQ>", "|<SPACE_AVAIL>", "|?"};
  const struct {
    bool notice;
    const char* folder;
    int64_t required, free;
    const char* want;
  } cases[] = {
      {false, "c:\\temp", 100, 101, ""},  // ample space, no notice: nothing asked
      {true, "d:\\x", 0, 11 * 1048576, "Notice D:|0.000|11.0|?"},
      // Strictly below: equal space is short, and replaces the notice.
      {true, "c:\\temp", 1048576, 1048576, "Short C: C:|1.00|1.00|?"},
      {false, "c:\\temp", 1048576, 1048576, "Short C: C:|1.00|1.00|?"},
      {false, "", 5, 0, "Short  |0.000|0.000|?"},  // unknown free space counts 0
  };
  for (const auto& c : cases)
    EXPECT_EQ(FreeSpaceQuestion(c.notice, texts, c.folder, c.required, c.free), c.want) << c.want;
}

}  // namespace
