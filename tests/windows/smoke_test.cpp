#include <windows.h>

#include <gtest/gtest.h>

TEST(WindowsSmoke, RunsUnderWindowsApi) {
  char path[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
  EXPECT_NE(std::string(path).find("win_tests.exe"), std::string::npos);
}
