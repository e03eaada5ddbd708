// The self-extracting setup under Wine, as a user and the setup engine see
// it: setup files built by mksetup (or by hand, for bad input) around the
// real stub, with the engine double (tools/win_engine_double) as Engine.exe.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <map>
#include <regex>
#include <thread>

#include "e2e/harness.h"
#include "e2e/ui_robot.h"
#include "env/text.h"
#include "package/layout.h"
#include "package/package_reader.h"
#include "unit/setup_fixture.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

std::string Stub() { return Win64Dir() + "/stub.exe"; }
std::string EngineDouble() { return Win64Dir() + "/engine_double.exe"; }

// Sets an environment variable for the programs started while it lives.
class EnvVar {
 public:
  EnvVar(const char* name, const std::string& value) : name_(name) { setenv(name, value.c_str(), 1); }
  ~EnvVar() { unsetenv(name_); }

 private:
  const char* name_;
};

// Gives a file a local modification time (the stub names its work folder
// after the time of day of its own file).
void SetLocalTime(const std::string& path, int y, int mo, int d, int h, int mi, int s) {
  std::tm t{};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  t.tm_isdst = -1;
  utimbuf times{std::mktime(&t), std::mktime(&t)};
  ASSERT_EQ(utime(path.c_str(), &times), 0) << path;
}

// What the engine double wrote: its keys, and its folder's files.
struct EngineReport {
  std::map<std::string, std::string> keys;
  std::map<std::string, std::pair<int64_t, uint32_t>> files;  // name -> size, DOS stamp
  bool present = false;
  std::string operator[](const std::string& key) const {
    auto it = keys.find(key);
    return it == keys.end() ? std::string() : it->second;
  }
};

EngineReport ReadReport(const std::string& path) {
  EngineReport r;
  const std::string text = ReadFile(path);
  r.present = !text.empty();
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    at = end + 2;
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "file") {
      const size_t a = value.find('|'), b = value.rfind('|');
      r.files[value.substr(0, a)] = {std::atoll(value.substr(a + 1, b - a - 1).c_str()),
                                     uint32_t(std::strtoul(value.substr(b + 1).c_str(), nullptr, 10))};
    } else {
      r.keys[key] = value;
    }
  }
  return r;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return done();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// The engine's folder (the work folder) as a Unix path, from the report.
std::string WorkFolderOf(const EngineReport& r) {
  const std::string exe = r["exe"];
  return ToUnixPath(exe.substr(0, exe.rfind('\\')));
}

int RunMksetup(const std::vector<std::string>& args) {
  std::string command = "'" + NativeDir() + "/mksetup'";
  for (const auto& a : args) command += " '" + a + "'";
  command += " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Payload {
  std::string name;
  std::string bytes;
  uint32_t stamp;
};

// Payload files of some size: text-like and compressible, but not trivial.
std::string SomeBytes(size_t size, unsigned seed) {
  std::string s(size, '\0');
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    s[i] = "abcdefgh ijklmnop\r\nqrstuvwxyz0123"[(x >> 16) % 32];
  }
  return s;
}

std::vector<Payload> StandardPayload() {
  return {{"readme.txt", "Read me first.\r\n", PackDosTime(2024, 5, 2, 9, 30, 0)},
          {"data.bin", SomeBytes(300000, 1), PackDosTime(2023, 12, 31, 23, 59, 58)},
          {"empty.dat", "", PackDosTime(2020, 1, 1, 0, 0, 0)}};
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// Builds `dir`/`name` (and its further volumes) with mksetup.
std::string BuildSetup(const std::string& dir, const std::string& name,
                       const std::vector<Payload>& files, const std::string& extraJson,
                       const std::string& engineParameters = "") {
  const std::string payloadDir = dir + "/payload-" + name;
  fs::create_directories(payloadDir);
  std::string list;
  for (const auto& f : files) {
    WriteFile(payloadDir + "/" + f.name, f.bytes);
    if (!list.empty()) list += ",";
    list += "{\"path\": " + Quoted(payloadDir + "/" + f.name) + ", \"stamp\": " +
            std::to_string(f.stamp) + "}";
  }
  std::string manifest = "{\"stub\": " + Quoted(Stub()) + ", \"engine\": {\"path\": " +
                         Quoted(EngineDouble()) + ", \"parameters\": " + Quoted(engineParameters) +
                         "}, \"files\": [" + list + "]" + extraJson + "}";
  const std::string manifestPath = dir + "/" + name + ".json";
  WriteFile(manifestPath, manifest);
  const std::string out = dir + "/" + name;
  EXPECT_EQ(RunMksetup({"build", manifestPath, "-o", out, "-q"}), 0) << manifest;
  return out;
}

// Writes a package volume made by hand (for chunks mksetup refuses): with
// the real stub in front, or bare with its checksum computed (a further
// volume).
std::string HandMadeVolume(const std::string& path, const std::string& chunks, bool withStub,
                           uint8_t flags) {
  static const std::string image = ReadFile(Stub());
  RawVolume v;
  v.stub = 0;
  v.chunks = chunks;
  v.flags = flags;
  std::string package = MakeVolume(v);
  Trailer t = ReadTrailer(MemorySource(package));
  const std::string front = withStub ? image : std::string();
  t.BlocksOffset += uint32_t(front.size());  // MakeVolume counts from 0
  std::string file = front + package;
  auto encode = [&] {
    uint8_t bytes[layout::kTrailerSize];
    EncodeTrailer(t, bytes);
    file.replace(file.size() - layout::kTrailerSize, layout::kTrailerSize,
                 reinterpret_cast<const char*>(bytes), layout::kTrailerSize);
  };
  encode();
  if (!withStub) {
    t.Checksum = FileChecksum(MemorySource(file), layout::kTrailerSize);
    encode();
  }
  WriteFile(path, file);
  return path;
}

bool FoundUnder(const std::string& root, const std::string& name) {
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
    if (it->path().filename() == name) return true;
  return false;
}

struct StubRun {
  std::string trace;
  RunResult result;
};

// Runs the stub on `exe` with `args` under a trace viewer.
StubRun RunStub(const std::string& dir, const std::string& exe, const std::vector<std::string>& args,
            int timeoutMs = 120000) {
  TraceViewer viewer(dir);
  EXPECT_TRUE(viewer.Ready());
  RunOptions options;
  options.workDir = dir;
  StubRun run;
  run.result = RunWindowsProgram(exe, args, timeoutMs, options);
  EXPECT_FALSE(run.result.timedOut) << "the stub did not end";
  viewer.WaitFor(" ==== STUB END ====> ", 5000);
  run.trace = viewer.Stop();
  return run;
}

// The command line the stub traced for the engine.
std::string TracedEngineCommand(const std::string& trace) {
  std::smatch m;
  if (!std::regex_search(trace, m, std::regex(" ==== WinExec\\(Engine\\.exe\\) >>(.*)<<\r\n")))
    return std::string();
  return m[1];
}

void ExpectPayload(const EngineReport& r, const std::vector<Payload>& files,
                   const std::vector<std::string>& others = {}) {
  ASSERT_TRUE(r.present);
  for (size_t i = 0; i < files.size(); ++i) {
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "%05zu#", i);
    const std::string name = prefix + files[i].name;
    auto it = r.files.find(name);
    ASSERT_NE(it, r.files.end()) << name;
    EXPECT_EQ(it->second.first, int64_t(files[i].bytes.size())) << name;
    EXPECT_EQ(it->second.second, files[i].stamp) << name;
  }
  ASSERT_EQ(r.files.count("Engine.exe"), 1u);
  EXPECT_EQ(r.files.at("Engine.exe").first, int64_t(ReadFile(EngineDouble()).size()));
  for (const auto& name : others) EXPECT_EQ(r.files.count(name), 1u) << name;
  EXPECT_EQ(r.files.size(), files.size() + 1 + others.size());  // nothing else
}

// Settings files beside the setup whose shortcut the engine's completion
// removes; returns the shortcut's path.
std::string PlaceShortcutSettings(const std::string& dir) {
  const std::string link = dir + "/StartUp.lnk";
  WriteFile(link, "link");
  WriteFile(dir + "/upd.original", "[UnInstall]\r\nStartUpLink=" + ToWindowsPath(link) + "\r\n");
  WriteFile(dir + "/upd.info", "[NewSetup]\r\nRemoveStartUpShortcut=1\r\n");
  return link;
}

const char kOptions[] =
    ", \"options\": {\"info_url\": \"http://x/\", \"info_file_name\": \"upd.info\", "
    "\"agent_file_name\": \"Agent.exe\"}";

TEST(Setup, SingleFileLaunchesTheEngineAndEndsWithItsCode) {
  struct Case {
    const char* what;
    const char* exitCode;
    bool keepAtom;
    int dialogMs;
    int wantExit;  // as Wine passes it on: the low 8 bits
  } cases[] = {
      {"completed", "7", false, 0, 7},
      {"atom kept: not completed", "0", true, 0, 0},
      {"exit code 259 (still active) ends the wait", "259", false, 0, 259 & 255},
      {"dialog outlives the engine", "3", false, 3000, 3},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string dir = MakeScenarioDir("Setup.SingleFile." + std::to_string(n++));
    const auto files = StandardPayload();
    const std::string exe = BuildSetup(dir, "setup.exe", files, kOptions, "/p=1  /q ");
    SetLocalTime(exe, 2024, 5, 1, 12, 34, 56);
    const std::string link = PlaceShortcutSettings(dir);
    const std::string report = dir + "/report.txt";
    EnvVar r("ENGINE_DOUBLE_REPORT", ToWindowsPath(report));
    EnvVar e("ENGINE_DOUBLE_EXIT", c.exitCode);
    EnvVar k("ENGINE_DOUBLE_KEEP_ATOM", c.keepAtom ? "1" : "");
    EnvVar d("ENGINE_DOUBLE_DIALOG_MS", c.dialogMs ? std::to_string(c.dialogMs) : "");
    UnexpectedBoxGuard guard(dir);
    const StubRun run = RunStub(dir, exe, {"/LANG=de", "two"});
    EXPECT_EQ(run.result.exitCode, c.wantExit);

    const EngineReport rep = ReadReport(report);
    ASSERT_TRUE(rep.present) << run.trace;
    const std::string work = rep["exe"].substr(0, rep["exe"].rfind('\\'));
    EXPECT_TRUE(std::regex_match(work, std::regex(".*\\\\Temp\\\\SETUP_" +
                                                  std::to_string(PackDosTime(2024, 5, 1, 12, 34, 56) & 0xFFFF))))
        << work;
    EXPECT_TRUE(std::regex_match(rep["tag"], std::regex("_[0-9]+"))) << rep["tag"];
    const std::string want = "\"" + work + "\\Engine.exe\" /LANG=de two /p=1  /q /TH_ID=" + rep["tag"] +
                             " /OriginExe=\"" + ToWindowsPath(exe) + "\"";
    EXPECT_EQ(rep["cmdline"], want);
    EXPECT_EQ(TracedEngineCommand(run.trace), want);
    EXPECT_EQ(rep["atom_found"], "1");
    EXPECT_EQ(rep["show"], "1,5");  // shown: the setup runs in the foreground
    ExpectPayload(rep, files);
    // Completion (the atom gone) removes the shortcut the settings name.
    EXPECT_EQ(FileExists(link), c.keepAtom);
    if (c.dialogMs) EXPECT_TRUE(FileExists(report + ".dialog_gone"));  // waited for it
    EXPECT_FALSE(fs::exists(WorkFolderOf(rep)));
    EXPECT_LT(run.trace.find("UnCompressTime: "), run.trace.find(" ==== WinExec(Engine.exe)"));
  }
}

TEST(Setup, HiddenRunsAskNothingAndStartTheEngineHidden) {
  struct Case {
    const char* what;
    std::vector<std::string> args;
    const char* options;
  } cases[] = {
      {"/hide", {"/hide"}, ""},
      {"the package hides it", {}, ", \"options\": {\"hide_extraction\": true}"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string dir = MakeScenarioDir("Setup.Hidden." + std::to_string(n++));
    // The notice flag would ask before extracting in the foreground.
    const std::string exe = BuildSetup(dir, "setup.exe", StandardPayload(),
                                       std::string(c.options) +
                                           ", \"trailer\": {\"show_temp_drive_notice\": true}");
    EnvVar r("ENGINE_DOUBLE_REPORT", ToWindowsPath(dir + "/report.txt"));
    UnexpectedBoxGuard guard(dir);
    const StubRun run = RunStub(dir, exe, c.args);
    EXPECT_EQ(run.result.exitCode, 0);
    const EngineReport rep = ReadReport(dir + "/report.txt");
    ASSERT_TRUE(rep.present) << run.trace;
    EXPECT_EQ(rep["show"], "1,0");
    EXPECT_NE(run.trace.find("========= ForegroundOp=FALSE =========="), std::string::npos);
  }
}

// Runs the stub while the robot answers the one box it shows with `press`:
// what the box showed; the stub's trace into `trace`.
WindowReport RunAnsweringBox(const std::string& dir, const std::string& exe, const char* press,
                             std::string* trace) {
  EnvVar r("ENGINE_DOUBLE_REPORT", ToWindowsPath(dir + "/report.txt"));
  RobotAction answer;
  answer.press = press;
  Robot robot(dir, "box", answer);
  *trace = RunStub(dir, exe, {}).trace;
  EXPECT_TRUE(robot.Finish());
  return robot.Report();
}

TEST(Setup, NoticeAsksBeforeExtractingAndNoStopsIt) {
  const std::string dir = MakeScenarioDir();
  const std::string exe =
      BuildSetup(dir, "setup.exe", StandardPayload(), ", \"trailer\": {\"show_temp_drive_notice\": true}");
  std::string trace;
  const WindowReport box = RunAnsweringBox(dir, exe, "&No", &trace);
  EXPECT_EQ(box.caption(), "Confirm");
  EXPECT_NE(box.text().find("Velkor will extract files to your Temp Drive (C:)"), std::string::npos)
      << box.text();
  EXPECT_NE(box.text().find("Continue with Setup?"), std::string::npos);
  EXPECT_FALSE(FileExists(dir + "/report.txt"));  // nothing launched
  EXPECT_EQ(trace.find("UnCompressTime: "), std::string::npos);  // nothing extracted
}

// Files large enough to span volumes of 200000 bytes, one of them split.
std::vector<Payload> VolumePayload() {
  std::vector<Payload> files = StandardPayload();
  files.push_back({"big.bin", SomeBytes(900000, 2), PackDosTime(2022, 6, 15, 8, 0, 0)});
  return files;
}

const char kVolumes[] = ", \"volume_size\": 200000, \"chunk_size\": 65536, \"level\": 1";

TEST(Setup, MultiVolumeExtractsWhatMksetupExtracts) {
  const std::string dir = MakeScenarioDir();
  const auto files = VolumePayload();
  // With the agent file: it is written from the first volume by both.
  const std::string exe = BuildSetup(dir, "setup.exe", files,
                                     std::string(kVolumes) + kOptions + ", \"trailer\": {\"make_agent_copy\": 1}");
  ASSERT_TRUE(FileExists(exe + ".003")) << "the set should have at least three volumes";
  const std::string expected = dir + "/mksetup-extract";
  ASSERT_EQ(RunMksetup({"extract", exe, expected}), 0);

  // The engine waits, so that the work folder can be compared while it runs.
  const std::string go = dir + "/go";
  EnvVar r("ENGINE_DOUBLE_REPORT", ToWindowsPath(dir + "/report.txt"));
  EnvVar w("ENGINE_DOUBLE_WAIT_FOR", ToWindowsPath(go));
  UnexpectedBoxGuard guard(dir);  // all volumes present: no prompt
  TraceViewer viewer(dir);
  RunOptions options;
  options.workDir = dir;
  WineProcess stub(exe, {}, options);
  ASSERT_TRUE(WaitUntil([&] { return ReadReport(dir + "/report.txt")["state"] == "waiting"; }, 90000));
  const std::string work = WorkFolderOf(ReadReport(dir + "/report.txt"));
  size_t compared = 0;
  for (const auto& entry : fs::directory_iterator(expected)) {
    const std::string name = entry.path().filename();
    SCOPED_TRACE(name);
    ASSERT_TRUE(fs::exists(work + "/" + name));
    EXPECT_TRUE(ReadFile(work + "/" + name) == ReadFile(entry.path()));
    // File times as Windows keeps them: in steps of 100 ns.
    using Ticks = std::chrono::duration<int64_t, std::ratio<1, 10000000>>;
    auto ticks = [](const fs::path& p) {
      return std::chrono::floor<Ticks>(fs::last_write_time(p).time_since_epoch()).count();
    };
    EXPECT_EQ(ticks(work + "/" + name), ticks(entry.path()));
    ++compared;
  }
  EXPECT_EQ(compared, files.size() + 2);
  size_t inWork = 0;
  for (const auto& entry : fs::directory_iterator(work)) inWork += entry.is_regular_file();
  EXPECT_EQ(inWork, compared);
  WriteFile(go, "");
  const RunResult result = stub.Wait(60000);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0);
  ExpectPayload(ReadReport(dir + "/report.txt"), files, {"Agent.exe"});
  const std::string trace = viewer.Stop();
  EXPECT_NE(trace.find("FileInfo.FilesCount="), std::string::npos);
  EXPECT_NE(trace.find(" New AU-Agent: "), std::string::npos);
}

TEST(Setup, MissingVolumeIsAskedFor) {
  struct Case {
    const char* what;
    const char* press;
    bool launched;
  } cases[] = {
      {"OK once the disk is in", "&OK", true},
      {"Cancel: nothing launched, nothing more shown", "&Cancel", false},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string dir = MakeScenarioDir("Setup.MissingVolume." + std::to_string(n++));
    const auto files = VolumePayload();
    const std::string exe = BuildSetup(dir, "setup.exe", files, kVolumes);
    fs::rename(exe + ".002", dir + "/away.002");
    EnvVar r("ENGINE_DOUBLE_REPORT", ToWindowsPath(dir + "/report.txt"));
    RobotAction answer;
    answer.press = c.press;
    answer.delayMs = 1500;
    Robot robot(dir, "prompt", answer);
    TraceViewer viewer(dir);
    RunOptions options;
    options.workDir = dir;
    WineProcess stub(exe, {}, options);
    ASSERT_TRUE(robot.WaitSeen(90000));
    if (c.launched) fs::copy_file(dir + "/away.002", exe + ".002");
    ASSERT_TRUE(robot.Finish());
    // A box after the answer would keep the stub from ending.
    const RunResult result = stub.Wait(90000);
    EXPECT_FALSE(result.timedOut);
    const WindowReport box = robot.Report();
    EXPECT_EQ(box.caption(), "Attention");
    // Mode 0: the caption again as a heading, then the text; the disk number
    // as it is, not "002".
    EXPECT_EQ(box.text(), "ATTENTION\r\n\r\nPlease insert DISK #2 and press OK to continue\r\n");
    EXPECT_EQ(FileExists(dir + "/report.txt"), c.launched);
    if (c.launched) ExpectPayload(ReadReport(dir + "/report.txt"), files);
    const std::string trace = viewer.Stop();
    EXPECT_EQ(trace.find("extraction failed"), std::string::npos) << trace;
  }
}

// Runs reg.exe of the prefix.
void Reg(const std::vector<std::string>& args) {
  EXPECT_EQ(RunWindowsProgram(ToUnixPath("C:\\windows\\system32\\reg.exe"), args, 60000).exitCode, 0);
}

TEST(Setup, ForcePromptAsksForEveryVolume) {
  const std::string dir = MakeScenarioDir();
  const std::string exe = BuildSetup(dir, "setup.exe", VolumePayload(), kVolumes);
  int volumes = 1;
  while (FileExists(exe + ".00" + std::to_string(volumes + 1))) ++volumes;
  ASSERT_GE(volumes, 3);
  const std::string key = "HKCU\\Software\\Brontale\\Velkor\\SpanDisk";
  Reg({"add", key, "/v", "ForcePrompt", "/d", "1", "/f"});
  EnvVar r("ENGINE_DOUBLE_REPORT", ToWindowsPath(dir + "/report.txt"));
  RunOptions options;
  options.workDir = dir;
  WineProcess stub(exe, {}, options);
  // Every further volume is asked for, present or not.
  std::vector<std::string> asked;
  for (int k = 2; k <= volumes; ++k) {
    RobotAction ok;
    ok.press = "&OK";
    Robot robot(dir, "prompt" + std::to_string(k), ok);
    if (!robot.Finish(90000)) break;
    asked.push_back(robot.Report().text());
  }
  const RunResult result = stub.Wait(60000);
  Reg({"delete", key, "/v", "ForcePrompt", "/f"});
  EXPECT_FALSE(result.timedOut);
  ASSERT_EQ(int(asked.size()), volumes - 1);
  for (int k = 2; k <= volumes; ++k)
    EXPECT_NE(asked[size_t(k - 2)].find("DISK #" + std::to_string(k) + " and"), std::string::npos);
  EXPECT_TRUE(FileExists(dir + "/report.txt"));
}

TEST(Setup, SpannedCdRestartsFromACopyAndCleansUp) {
  const std::string dir = MakeScenarioDir();
  const auto files = VolumePayload();
  const std::string exe = BuildSetup(dir, "setup.exe", files,
                                     std::string(kVolumes) + ", \"trailer\": {\"spanned_cd\": true}");
  ASSERT_TRUE(FileExists(exe + ".001"));
  SetLocalTime(exe, 2024, 5, 1, 10, 0, 2);
  EnvVar r("ENGINE_DOUBLE_REPORT", ToWindowsPath(dir + "/report.txt"));
  UnexpectedBoxGuard guard(dir);
  TraceViewer viewer(dir);
  RunOptions options;
  options.workDir = dir;
  const RunResult first = RunWindowsProgram(exe, {"/LANG=fr"}, 60000, options);
  EXPECT_FALSE(first.timedOut);
  ASSERT_TRUE(WaitUntil([&] { return ReadReport(dir + "/report.txt")["state"] == "done"; }, 90000))
      << viewer.Text();
  const EngineReport rep = ReadReport(dir + "/report.txt");
  const std::string work = rep["exe"].substr(0, rep["exe"].rfind('\\'));
  const std::string copy = work + "\\Y_setup.exe";
  // The copy is made in the work folder and started there at the second level.
  const std::string restart = Quoted(copy) + " /LANG=fr /SpanCdLvl=2 /SpanDiskFName1=\"" +
                              ToWindowsPath(exe) + ".001\" /OriginExe=\"" + ToWindowsPath(exe) + "\"";
  EXPECT_TRUE(viewer.WaitFor(" CreateAndRun_Y_Exe() >>" + restart + "<<", 5000)) << viewer.Text();
  EXPECT_EQ(rep["cmdline"], "\"" + work + "\\Engine.exe\" /LANG=fr /OriginExe=\"" + ToWindowsPath(exe) +
                                "\" /TH_ID=" + rep["tag"]);
  ExpectPayload(rep, files, {"Y_setup.exe"});  // the restarted copy runs from there
  // The copy deletes itself and its folder once it has ended.
  EXPECT_TRUE(WaitUntil([&] { return !fs::exists(ToUnixPath(work)); }, 30000))
      << "still there: " << ToUnixPath(work);
  const std::string trace = viewer.Stop();
  EXPECT_NE(trace.find(" DeleteMySelf(with folder)"), std::string::npos) << trace;
}

TEST(Setup, TwoSetupsSharingAFolderNameKeepTheirFiles) {
  const std::string dir = MakeScenarioDir();
  const std::vector<Payload> a = {{"a.txt", "first setup", PackDosTime(2024, 1, 1, 1, 1, 2)}};
  const std::vector<Payload> b = {{"b.txt", "second setup, other files", PackDosTime(2024, 2, 2, 2, 2, 2)},
                                  {"b2.txt", "more", PackDosTime(2024, 2, 2, 2, 2, 4)}};
  const std::string exeA = BuildSetup(dir, "a.exe", a, "");
  const std::string exeB = BuildSetup(dir, "b.exe", b, "");
  // Other days, the same time of day: the same work folder name.
  SetLocalTime(exeA, 2024, 3, 1, 15, 20, 30);
  SetLocalTime(exeB, 2025, 7, 9, 15, 20, 30);
  const std::string go = dir + "/go";
  UnexpectedBoxGuard guard(dir);
  RunOptions options;
  options.workDir = dir;
  std::unique_ptr<WineProcess> first;
  {
    EnvVar r("ENGINE_DOUBLE_REPORT", ToWindowsPath(dir + "/a.report"));
    EnvVar w("ENGINE_DOUBLE_WAIT_FOR", ToWindowsPath(go));
    first.reset(new WineProcess(exeA, {}, options));
  }
  ASSERT_TRUE(WaitUntil([&] { return ReadReport(dir + "/a.report")["state"] == "waiting"; }, 90000));
  {
    EnvVar r("ENGINE_DOUBLE_REPORT", ToWindowsPath(dir + "/b.report"));
    const RunResult second = RunWindowsProgram(exeB, {}, 90000, options);
    EXPECT_FALSE(second.timedOut);
  }
  WriteFile(go, "");
  EXPECT_FALSE(first->Wait(60000).timedOut);
  const EngineReport ra = ReadReport(dir + "/a.report"), rb = ReadReport(dir + "/b.report");
  ExpectPayload(ra, a);  // listed again at its end: nothing was taken away
  ExpectPayload(rb, b);
  const std::string workA = ra["exe"].substr(0, ra["exe"].rfind('\\'));
  EXPECT_EQ(rb["exe"], workA + "_2\\Engine.exe");
  EXPECT_FALSE(fs::exists(WorkFolderOf(ra)));
  EXPECT_FALSE(fs::exists(WorkFolderOf(rb)));
}

// The error box the robot reads and confirms; the stub must then end
// without launching anything.
void ExpectBadSetupBox(const std::string& dir, const std::string& exe, const std::string& detail) {
  std::string trace;
  const WindowReport box = RunAnsweringBox(dir, exe, "&OK", &trace);
  EXPECT_EQ(box.caption(), "Error");
  EXPECT_EQ(box.text().rfind("ERROR\r\n\r\nBad CRC!\r\n", 0), 0u) << box.text();
  EXPECT_NE(box.text().find(detail), std::string::npos) << box.text();
  EXPECT_FALSE(FileExists(dir + "/report.txt"));  // nothing launched
  EXPECT_EQ(trace.find("WinExec(Engine.exe)"), std::string::npos);
}

TEST(Setup, FlippedByteInASmallSecondVolumeShowsBadCrc) {
  // A volume with the stub image is always over 51200 bytes, so its checksum
  // is never compared; a small further volume's is.
  static const std::string engine = ReadFile(EngineDouble());
  const std::string dir = MakeScenarioDir();
  const std::string exe = HandMadeVolume(dir + "/setup.exe", ZlibChunk(Content("|Engine.exe*|0|", engine)),
                                         true, layout::kMultiVolume);
  const std::string second = HandMadeVolume(
      exe + ".002", StoredChunk(Content("|00000#data.txt|0|", SomeBytes(20000, 3))), false, 0);
  std::string bytes = ReadFile(second);
  ASSERT_LE(bytes.size(), 51200u);
  bytes[bytes.size() / 2] ^= 0x5A;
  WriteFile(second, bytes);
  ExpectBadSetupBox(dir, exe, "checksum mismatch in " + ToWindowsPath(second));
}

TEST(Setup, CorruptZlibChunkShowsBadCrc) {
  const std::string dir = MakeScenarioDir();
  const std::string exe = BuildSetup(dir, "setup.exe", StandardPayload(), "");
  std::string bytes = ReadFile(exe);
  ASSERT_GT(bytes.size(), 51200u);  // its checksum is never compared
  // A byte inside the chunk of data.bin, the largest file (the last chunk,
  // of empty.dat, is a few bytes).
  bytes[bytes.size() - layout::kTrailerSize - 20000] ^= 0x5A;
  WriteFile(exe, bytes);
  ExpectBadSetupBox(dir, exe, "zlib");
}

TEST(Setup, UnsafeChunkNamesAreRefused) {
  static const std::string engine = ReadFile(EngineDouble());
  const struct {
    const char* what;
    const char* head;
    const char* detail;
  } cases[] = {
      {"parent folder", "|..\\escaped.txt|0|", "holds a path"},
      {"drive", "|C:escaped.txt|0|", "drive"},
      {"dots only", "|..|0|", "dots only"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string dir = MakeScenarioDir("Setup.UnsafeName." + std::to_string(n++));
    const std::string exe =
        HandMadeVolume(dir + "/setup.exe",
                       ZlibChunk(Content("|Engine.exe*|0|", engine)) + ZlibChunk(Content(c.head, "outside")),
                       true, 0);
    ExpectBadSetupBox(dir, exe, c.detail);
    // Nothing beside the work folder (in the temporary folder) either.
    EXPECT_FALSE(FoundUnder(ToUnixPath("C:\\users"), "escaped.txt"));
  }
}

}  // namespace
}  // namespace e2e
