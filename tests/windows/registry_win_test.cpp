#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "env/registry.h"
#include "windows/self_child.h"

namespace {

// A key of its own under HKCU and HKLM\Software for each test run.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sub_ = "Software\\SetupStubTests\\Registry" + std::to_string(GetCurrentProcessId());
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, sub_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &user_, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, sub_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &machine_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    if (user_) RegCloseKey(user_);
    if (machine_) RegCloseKey(machine_);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\SetupStubTests");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\SetupStubTests");
  }
  void Set(HKEY key, const char* name, DWORD type, const std::string& data) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             DWORD(data.size())),
              ERROR_SUCCESS);
  }

  std::string sub_;
  HKEY user_ = nullptr;
  HKEY machine_ = nullptr;
};

TEST_F(RegistryTest, ValueTypes) {
  Set(user_, "dword", REG_DWORD, std::string("\xFF\xFF\xFF\xFF", 4));
  Set(user_, "multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
  Set(user_, "text", REG_SZ, std::string("hello\0", 6));
  Set(user_, "expand", REG_EXPAND_SZ, std::string("%WINDIR%\\x\0", 11));
  Set(user_, "empty", REG_SZ, std::string("\0", 1));
  Set(user_, "full", REG_BINARY, std::string(10240, 'x'));   // fills the buffer exactly
  Set(user_, "toolarge", REG_SZ, std::string(10241, 'y'));  // does not fit
  const std::string path = "HKCU\\" + sub_;
  struct Case {
    const char* name;
    std::string want;
  } cases[] = {
      {"dword", "4294967295"},  {"multi", "a<0>b"},  {"text", "hello"},
      {"expand", "%WINDIR%\\x"}, {"empty", ""},       {"full", std::string(10240, 'x')},
      {"toolarge", "default"},  {"missing", "default"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadRegString(path, c.name, "default", false), c.want) << c.name;
  EXPECT_EQ(ReadRegString("HKCU\\" + sub_ + "\\NoSuchKey", "text", "default", false), "default");
}

TEST_F(RegistryTest, KeyPaths) {
  Set(user_, "where", REG_SZ, "user");
  Set(machine_, "where", REG_SZ, "machine");
  struct Case {
    std::string path;
    const char* want;
  } cases[] = {
      {"HKLM\\" + sub_, "machine"},
      {"hkey_local_machine\\" + sub_, "machine"},
      {"HKEY_LOCAL_MACHINE\\" + sub_, "machine"},
      {"  HKCU\\" + sub_ + "  ", "user"},
      {sub_, "user"},  // no root: the current user's
      {"HKCR\\" + sub_, "none"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadRegString(c.path, "where", "none", false), c.want) << c.path;
  // The root alone opens the root: its subkeys' values are not its own.
  EXPECT_EQ(ReadRegString("HKLM", "where", "none", false), "none");
}

// A 64-bit program sees the 64-bit view by default; asking for it must not
// land in the 32-bit view (Wow6432Node).
TEST_F(RegistryTest, SixtyFourBitView) {
  HKEY view32 = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, sub_.c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &view32, nullptr),
            ERROR_SUCCESS);
  Set(view32, "only32", REG_SZ, "32-bit view");
  RegCloseKey(view32);
  Set(machine_, "only64", REG_SZ, "64-bit view");
  const std::string path = "HKLM\\" + sub_;
  EXPECT_EQ(ReadRegString(path, "only64", "none", true), "64-bit view");
  EXPECT_EQ(ReadRegString(path, "only64", "none", false), "64-bit view");
  EXPECT_EQ(ReadRegString(path, "only32", "none", true), "none");
  HKEY software32 = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                    &software32) == ERROR_SUCCESS) {
    RegDeleteTreeA(software32, "SetupStubTests");
    RegCloseKey(software32);
  }
}

class IniTest : public ::testing::Test {
 protected:
  self_child::TempFolder folder_{"ini_test"};
  std::string file_ = folder_.File("settings.ini");
};

TEST_F(IniTest, ReadsWhatWasWritten) {
  ASSERT_TRUE(self_child::WriteWholeFile(file_,
                                         "[S]\r\n"
                                         "empty=\r\n"
                                         "number=12abc\r\n"
                                         "negative=-42\r\n"
                                         "hex=$1F\r\n"
                                         "padded=  text with blanks  \r\n"));
  struct Case {
    const char* key;
    const char* def;
    const char* want;
  } cases[] = {
      {"empty", "fallback", "fallback"},  // an empty value reads as the default
      {"empty", "0", "0"},
      {"padded", "", "text with blanks"},
      {"missing", "d", "d"},
      {"NUMBER", "", "12abc"},  // keys ignore case
  };
  for (const auto& c : cases) EXPECT_EQ(ReadIniString(file_, "S", c.key, c.def), c.want) << c.key;
  EXPECT_EQ(ReadIniInt(file_, "S", "number", 7), 7);
  EXPECT_EQ(ReadIniInt(file_, "S", "negative", 7), -42);
  EXPECT_EQ(ReadIniInt(file_, "S", "hex", 7), 31);
  EXPECT_EQ(ReadIniInt(file_, "S", "missing", -5), -5);
  EXPECT_EQ(ReadIniInt(file_, "S", "empty", INT64_MIN), INT64_MIN);

  const std::string big(32766, 'v');  // far beyond a small fixed buffer
  ASSERT_TRUE(WriteIniString(file_, "Big", "value", big));
  EXPECT_EQ(ReadIniString(file_, "Big", "value", ""), big);
  // Longer texts than the profile calls take are refused, not passed on (Wine
  // crashes on them).
  const std::string huge(40000, 'h');
  EXPECT_FALSE(WriteIniString(file_, "Big", "value", huge));
  EXPECT_FALSE(WriteIniString(file_, "Big", huge, "v"));
  EXPECT_EQ(ReadIniString(file_, "Big", "value", ""), big);
  EXPECT_EQ(ReadIniString(file_, "Big", "missing", huge), huge);
  EXPECT_EQ(ReadIniString(file_, huge, "value", "d"), "d");
  ASSERT_TRUE(WriteIniInt(file_, "S", "max", INT64_MAX));
  EXPECT_EQ(ReadIniInt(file_, "S", "max", 0), INT64_MAX);
  ASSERT_TRUE(WriteIniString(file_, "New Section", "k", "v"));
  EXPECT_EQ(ReadIniString(file_, "new section", "k", ""), "v");
}

TEST_F(IniTest, EmptyNamesAndMissingFiles) {
  EXPECT_FALSE(WriteIniString("", "S", "k", "v"));
  EXPECT_FALSE(WriteIniString(file_, "", "k", "v"));
  EXPECT_FALSE(WriteIniString(file_, "S", "", "v"));
  EXPECT_FALSE(WriteIniInt(file_, "", "k", 1));
  EXPECT_EQ(GetFileAttributesA(file_.c_str()), INVALID_FILE_ATTRIBUTES);  // nothing written
  ASSERT_TRUE(WriteIniString(file_, "S", "k", "v"));
  EXPECT_EQ(ReadIniString(file_, "", "k", "d"), "d");
  EXPECT_EQ(ReadIniString(file_, "S", "", "d"), "d");
  EXPECT_EQ(ReadIniString("", "S", "k", "d"), "d");
  EXPECT_EQ(ReadIniString(folder_.File("none.ini"), "S", "k", "d"), "d");
}

// Developer mode is read once per process, so each answer needs a process
// of its own.
TEST(DeveloperMode, FromEnvironment) {
  struct Case {
    const char* value;
    const char* want;  // at the first call, then after DVX changed
  } cases[] = {{"619", "1 1"}, {"6190", "0 0"}, {" 619", "0 0"}, {"", "0 0"}};
  for (const auto& c : cases) {
    const self_child::Result r =
        self_child::Run("DeveloperModeChild.*", {{"SETUP_STUB_TEST_CHILD", "1"}, {"DVX", c.value}});
    EXPECT_EQ(r.exitCode, 0) << "DVX=" << c.value;
    EXPECT_EQ(r.report, c.want) << "DVX=" << c.value;
  }
}

TEST(DeveloperModeChild, Answer) {
  if (self_child::ChildArgument().empty())
    GTEST_SKIP() << "runs as the child of DeveloperMode.FromEnvironment";
  const bool first = IsDeveloperMode();
  SetEnvironmentVariableA("DVX", first ? "0" : "619");
  const bool second = IsDeveloperMode();
  ASSERT_TRUE(self_child::Report(std::string(first ? "1" : "0") + " " + (second ? "1" : "0")));
}

}  // namespace
