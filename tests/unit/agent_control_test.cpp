#include "agent/control_codes.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

#include "agent/agent_state.h"
#include "agent/settings.h"
#include "env/text.h"
#include "package/file_info.h"
#include "package/byte_source.h"
#include "unit/package_fixture.h"

namespace agent {
namespace {

// INI files as a map; reads parse integers as the system reader would leave
// them to TextToInt64.
class MapIni : public IniFiles {
 public:
  using Key = std::tuple<std::string, std::string, std::string>;
  std::map<Key, std::string> values;

  std::string ReadString(const std::string& file, const std::string& section, const std::string& key,
                         const std::string& def) override {
    auto it = values.find({file, section, key});
    return it == values.end() || it->second.empty() ? def : it->second;
  }
  int64_t ReadInt(const std::string& file, const std::string& section, const std::string& key,
                  int64_t def) override {
    return TextToInt64(ReadString(file, section, key, ""), def);
  }
  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override {
    values[{file, section, key}] = value;
    return true;
  }
  bool WriteInt(const std::string& file, const std::string& section, const std::string& key,
                int64_t value) override {
    return WriteString(file, section, key, IntToText(value));
  }
};

const AgentFiles kFiles = {"C:\\App\\Tool.original", "C:\\App\\Tool.info"};

class ControlCodes : public ::testing::Test {
 protected:
  void SetUp() override { ResetState(); }
  void TearDown() override { ResetState(); }
  void Original(const char* key, const char* value) { ini.values[{kFiles.original, "OriginalSetup", key}] = value; }
  std::string OriginalValue(const char* key) { return ini.values[{kFiles.original, "OriginalSetup", key}]; }

  MapIni ini;
  AgentSettings settings{kFiles, &ini};
};

TEST_F(ControlCodes, ReadsAnswerFromTheSettingsFiles) {
  Original("VersionOriginal", "4294967297");  // only the low 32 bits count
  Original("ProbeSecondsInterval", "86400");
  Original("ReAskSecondsInterval", "-1");
  Original("ProbeSecondsLast", "4006002563");
  Original("ReAskSecondsLast", "12abc");       // not a number: the default
  ini.values[{kFiles.updateInfo, "NewSetup", "VersionNew"}] = "1200";
  SetActivity(2);
  const struct {
    uint32_t code;
    int64_t want;
  } cases[] = {{4, 1}, {5, 1200}, {7, 2}, {8, 86400}, {9, -1}, {10, 4006002563}, {11, 0}};
  for (const auto& c : cases) EXPECT_EQ(HandleControlCode(c.code, 0, &settings), c.want) << c.code;
}

TEST_F(ControlCodes, MissingFilesGiveZero) {
  for (uint32_t code : {4u, 5u, 8u, 9u, 10u, 11u}) EXPECT_EQ(HandleControlCode(code, 0, &settings), 0) << code;
}

TEST_F(ControlCodes, WritesGoToTheOriginalSettingsFile) {
  EXPECT_EQ(HandleControlCode(12, 3600, &settings), 0);
  EXPECT_EQ(HandleControlCode(13, -1, &settings), 0);
  EXPECT_EQ(HandleControlCode(14, 0, &settings), 0);
  EXPECT_EQ(HandleControlCode(15, 2000000000, &settings), 0);
  EXPECT_EQ(OriginalValue("ProbeSecondsInterval"), "3600");
  EXPECT_EQ(OriginalValue("ReAskSecondsInterval"), "-1");
  EXPECT_EQ(OriginalValue("ProbeSecondsLast"), "0");
  EXPECT_EQ(OriginalValue("__ProbeSecondsLast"), "30-DEC-1899 00:00:00");
  EXPECT_EQ(OriginalValue("ReAskSecondsLast"), "2000000000");
  EXPECT_EQ(OriginalValue("__ReAskSecondsLast"), ReadableAgentTime(2000000000));
  EXPECT_EQ(HandleControlCode(8, 0, &settings), 3600);  // read back
  for (const auto& entry : ini.values) EXPECT_EQ(std::get<0>(entry.first), kFiles.original);
}

TEST_F(ControlCodes, OverridesAndTickSteering) {
  const struct {
    uint32_t code;
    Override which;
  } overrides[] = {{20, kAskBeforeProbe},   {21, kConfirmBeforeDownload}, {22, kConfirmBeforeInstall},
                   {23, kBackgroundUpdate}, {24, kInformFinish},         {25, kRestartProcess}};
  for (const auto& o : overrides) {
    EXPECT_EQ(HandleControlCode(o.code, 1, &settings), 0);
    EXPECT_EQ(OverrideValue(o.which), 1) << o.code;
    HandleControlCode(o.code, 256 + 7, &settings);  // kept as an 8-bit value
    EXPECT_EQ(OverrideValue(o.which), 7) << o.code;
  }
  EXPECT_EQ(OverrideValue(kConfirmBeforeDownloadForce), kNotSet);  // no code reaches these
  EXPECT_EQ(OverrideValue(kConfirmBeforeInstallForce), kNotSet);

  HandleControlCode(30, 12, &settings);
  EXPECT_EQ(LifeCountdown(), 12);

  // 31: a forced probe at the next tick, whatever the count was.
  SetTimerCount(-3);
  HandleControlCode(31, 1, &settings);
  EXPECT_TRUE(ForceProbe());
  EXPECT_EQ(TimerCount(), 1);
  EXPECT_EQ(CheckMode(), 0);
  SetTimerCount(40);
  HandleControlCode(31, 2, &settings);
  EXPECT_EQ(TimerCount(), 40);
  EXPECT_EQ(CheckMode(), 2);

  EXPECT_FALSE(JustDownloadInfoFile());
  HandleControlCode(32, 0, &settings);
  EXPECT_TRUE(JustDownloadInfoFile());
}

TEST_F(ControlCodes, CodesOutsideTheTableChangeNothing) {
  Original("VersionOriginal", "5");
  const auto before = ini.values;
  for (uint32_t code : {0u, 1u, 2u, 3u, 6u, 16u, 19u, 26u, 29u, 33u, 99u, 0xFFFFFFFFu}) {
    EXPECT_EQ(HandleControlCode(code, 1, &settings), 0) << code;
  }
  EXPECT_EQ(ini.values, before);
  EXPECT_EQ(TimerCount(), -3);
  EXPECT_EQ(LifeCountdown(), -1);
  EXPECT_FALSE(ForceProbe());
  EXPECT_FALSE(JustDownloadInfoFile());
  EXPECT_EQ(CheckMode(), 0);
  EXPECT_EQ(Activity(), 0);
  for (int i = 0; i < kOverrideCount; ++i) EXPECT_EQ(OverrideValue(Override(i)), kNotSet) << i;
}

TEST(AgentSettings, ReadableTime) {
  const struct {
    int64_t seconds;
    const char* want;
  } cases[] = {
      {4006002563, "09-DEC-2026 18:29:23"},
      {3976387200, "01-JAN-2026 00:00:00"},
      {0, "30-DEC-1899 00:00:00"},
      {86400LL * 60 + 3599, "28-FEB-1900 00:59:59"},  // 1900 is no leap year
      {86400LL * 36585, "29-FEB-2000 00:00:00"},      // 2000 is one
      {86400LL * 36586, "01-MAR-2000 00:00:00"},
      {-1, "29-DEC-1899 23:59:59"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadableAgentTime(c.seconds), c.want) << c.seconds;
}

TEST(AgentSettings, FilesBesideTheProgram) {
  const struct {
    const char* infoFileName;
    const char* original;
    const char* info;
  } cases[] = {
      {"MyApp.info", "C:\\App\\MyApp.original", "C:\\App\\MyApp.info"},
      {"Tool.new.info", "C:\\App\\Tool.original", "C:\\App\\Tool.new.info"},
      {".info", "C:\\App\\.original", "C:\\App\\.info"},
      {"sub\\My.App.info", "C:\\App\\My.original", "C:\\App\\My.App.info"},  // the name part only
  };
  for (const auto& c : cases) {
    FixtureBlocks f;
    f.blocks[1] = std::string("|http://x/|") + c.infoFileName + "|Tool.exe|tok|0|";
    const std::string bytes = MakeSetup(f);
    const TGFileInfo info{MemorySource(bytes)};
    const AgentFiles files = AgentFilesFor("C:\\App\\X_Tool.exe", info);
    EXPECT_EQ(files.original, c.original) << c.infoFileName;
    EXPECT_EQ(files.updateInfo, c.info) << c.infoFileName;
  }
}

}  // namespace
}  // namespace agent
