// The stub's entry under Wine: start and end lines on the trace device, the
// agent's log file, and the role each kind of file is dispatched to.
#include <gtest/gtest.h>

#include <regex>

#include "e2e/harness.h"
#include "package/layout.h"
#include "unit/package_fixture.h"

namespace e2e {
namespace {

std::string Stub() { return Win64Dir() + "/stub.exe"; }

// A setup file made of the real stub and a package without chunks.
std::string WriteSetup(const std::string& path, const FixtureBlocks& f) {
  static const std::string image = ReadFile(Stub());
  EXPECT_FALSE(image.empty());
  WriteFile(path, MakeSetupOn(image, f));
  return path;
}

FixtureBlocks AgentPackage(uint8_t flags) {
  FixtureBlocks f;
  f.agentByte = 1;
  f.flags = flags;
  f.blocks[1] = "|http://updates.example/|Tool.info|Tool.exe|tok|0|";
  return f;
}

struct StubRun {
  std::string trace;
  int exitCode;
};

StubRun RunWithTrace(const std::string& dir, const std::string& exe,
                 const std::vector<std::string>& args) {
  TraceViewer viewer(dir);
  EXPECT_TRUE(viewer.Ready());
  RunOptions options;
  options.workDir = dir;
  RunResult r = RunWindowsProgram(exe, args, 60000, options);
  EXPECT_FALSE(r.timedOut);
  viewer.WaitFor(" ==== STUB END ====> ", 5000);
  return {viewer.Stop(), r.exitCode};
}

TEST(Entry, StartAndEndLinesFrameTheRun) {
  const std::string dir = MakeScenarioDir();
  const std::string exe = WriteSetup(dir + "/setup.exe", FixtureBlocks());
  StubRun run = RunWithTrace(dir, exe, {"/A=1", "two words"});
  EXPECT_EQ(run.exitCode, 0);
  // pid, the marker, the whole command line as the system gave it, "<".
  std::smatch m;
  ASSERT_TRUE(std::regex_search(run.trace, m,
                                std::regex("(^|\r\n)([0-9]+) ==== STUB START ====> (.*)<\r\n")))
      << run.trace;
  const std::string pid = m[2], commandLine = m[3];
  EXPECT_NE(commandLine.find("setup.exe"), std::string::npos);
  EXPECT_NE(commandLine.find("/A=1"), std::string::npos);
  EXPECT_NE(run.trace.find(pid + " ==== ThisIs_AutoUpdateProg=FALSE\r\n"), std::string::npos);
  EXPECT_NE(run.trace.find(pid + " ==== STUB END ====> " + commandLine + "<\r\n\r\n"),
            std::string::npos)
      << run.trace;
  EXPECT_LT(run.trace.find("STUB START"), run.trace.find("ThisIs_AutoUpdateProg"));
  EXPECT_LT(run.trace.find("ThisIs_AutoUpdateProg"), run.trace.find("STUB END"));
}

TEST(Entry, AgentLogShowsPredicatesForEachName) {
  struct Case {
    const char* name;
    const char* logName;
    bool plain, xcopy;
    const char* role;
  } cases[] = {
      {"Tool.exe", "X_Tool.log", true, false, "MakeXCopy"},
      {"X_Tool.exe", "X_Tool.log", false, true, "RunXCopy"},
      {"Other.exe", "X_Other.log", false, false, "RunSetup"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string dir = MakeScenarioDir(std::string("Entry.AgentLog.") + c.name);
    const std::string exe = WriteSetup(dir + "/" + c.name, AgentPackage(layout::kLogFile));
    StubRun run = RunWithTrace(dir, exe, {});
    EXPECT_NE(run.trace.find(" ==== ThisIs_AutoUpdateProg=TRUE"), std::string::npos);
    EXPECT_NE(run.trace.find(std::string(" ==== Role: ") + c.role), std::string::npos) << run.trace;
    const std::string log = ReadFile(dir + "/" + c.logName);
    ASSERT_FALSE(log.empty());
    auto expectLine = [&](const std::string& message) {
      // "dd?mm?yy HH?NN?SS", blank, thread id padded to 5, prefix, message.
      const std::string prefix = c.xcopy ? " X " : "   ";
      std::regex line("(^|\r\n)[0-9]{2}.[0-9]{2}.[0-9]{2} [0-9]{2}.[0-9]{2}.[0-9]{2} [ 0-9]{4}[0-9]" +
                      std::regex_replace(prefix + message, std::regex(R"([.^$|()\[\]{}*+?\\])"),
                                         R"(\$&)") +
                      "\r\n");
      EXPECT_TRUE(std::regex_search(log, line)) << message << "\n" << log;
    };
    expectLine("=== START === " + ToWindowsPath(exe));
    expectLine("DoRunStubWin() --- Start");
    expectLine("X_ExeIsRunning=FALSE");
    expectLine(std::string("ThisIs_Plain_AutoUpdate_Exe=") + (c.plain ? "TRUE" : "FALSE"));
    expectLine(std::string("ThisIs_X_AutoUpdate_Exe=") + (c.xcopy ? "TRUE" : "FALSE"));
    expectLine("DoRunStubWin() --- End");
    expectLine("=== EXIT === " + ToWindowsPath(exe));
    EXPECT_NE(log.find("Agent Version=1.0.0.1\r\n"), std::string::npos) << log;
    EXPECT_LT(log.find("ThisIs_Plain"), log.find("ThisIs_X_"));
  }
}

TEST(Entry, NoLogWithoutTheLogBitOrOutsideAgentMode) {
  struct Case {
    const char* what;
    FixtureBlocks package;
  } cases[] = {
      {"agent without log bit", AgentPackage(0)},
      {"setup with log bit", [] {
         FixtureBlocks f = AgentPackage(layout::kLogFile);
         f.agentByte = 0;
         return f;
       }()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string dir = MakeScenarioDir(std::string("Entry.NoLog.") + (c.package.agentByte ? "agent" : "setup"));
    const std::string exe = WriteSetup(dir + "/Tool.exe", c.package);
    StubRun run = RunWithTrace(dir, exe, {});
    EXPECT_NE(run.trace.find(" ==== STUB END ====> "), std::string::npos);  // trace lines still come
    EXPECT_FALSE(FileExists(dir + "/X_Tool.log"));
  }
}

TEST(Entry, SetupFilesTakeTheirBranch) {
  struct Case {
    const char* what;
    uint8_t flags;
    std::vector<std::string> args;
    std::vector<std::string> expected;  // trace texts in this order
  } cases[] = {
      {"plain setup", 0, {}, {" ==== Role: RunSetup", " RunStubWindow()"}},
      {"spanned first disk", layout::kSpannedCd, {}, {" ==== Role: MakeYCopy", " CreateAndRun_Y_Exe()"}},
      {"spanned second level", layout::kSpannedCd, {"/SpanCdLvl=2"},
       {" ==== Role: RunSetup", " RunStubWindow()", " DeleteMySelf(with folder)"}},
      {"second level without the bit", 0, {"/spancdlvl=2"},
       {" ==== Role: RunSetup", " RunStubWindow()", " DeleteMySelf(with folder)"}},
  };
  int i = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FixtureBlocks f;
    f.flags = c.flags;
    const std::string dir = MakeScenarioDir("Entry.Branch." + std::to_string(i++));
    const std::string exe = WriteSetup(dir + "/setup.exe", f);
    // The first disk's copy goes on with its data volume: one without files.
    if (c.flags & layout::kSpannedCd) WriteFile(exe + ".001", ReadFile(exe));
    StubRun run = RunWithTrace(dir, exe, c.args);
    size_t at = 0;
    for (const auto& text : c.expected) {
      size_t found = run.trace.find(text, at);
      ASSERT_NE(found, std::string::npos) << text << "\n" << run.trace;
      at = found + text.size();
    }
    EXPECT_EQ(run.trace.find(" DeleteMySelf") != std::string::npos,
              c.expected.back().find("DeleteMySelf") != std::string::npos);
  }
}

}  // namespace
}  // namespace e2e
