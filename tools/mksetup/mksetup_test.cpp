// mksetup as a user runs it: build from a manifest, then inspect, verify,
// extract and sign the result. Runs the built program in a scratch folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <ctime>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "package/writer.h"

namespace fs = std::filesystem;
using json = nlohmann::json;

namespace {

struct Result {
  int code = -1;
  std::string out, err;
};

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void Write(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// A stub image as the reader sees one: "MZ", "PE" at 0x100, 0xF8..0xFF free.
std::string SyntheticStub(size_t size) {
  std::string s(size, '\0');
  s[0] = 'M';
  s[1] = 'Z';
  s[0x100] = 'P';
  s[0x101] = 'E';
  return s;
}

void Put16(std::string* s, size_t at, uint16_t v) {
  (*s)[at] = char(v);
  (*s)[at + 1] = char(v >> 8);
}
void Put32(std::string* s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*s)[at + size_t(i)] = char(v >> (8 * i));
}

// The smallest PE32 image a signing tool takes: headers (PE at 0x100, as in
// the real stub) and one section holding "ret".
std::string MinimalPe() {
  std::string b = SyntheticStub(0x600);
  Put32(&b, 0x3C, 0x100);
  b[0x102] = b[0x103] = 0;
  Put16(&b, 0x104, 0x14C);  // i386
  Put16(&b, 0x106, 1);      // one section
  Put16(&b, 0x114, 0xE0);   // optional header size
  Put16(&b, 0x116, 0x0102);
  const size_t o = 0x118;
  Put16(&b, o, 0x10B);
  Put32(&b, o + 16, 0x1000);    // entry point
  Put32(&b, o + 28, 0x400000);  // image base
  Put32(&b, o + 32, 0x1000);    // section alignment
  Put32(&b, o + 36, 0x200);     // file alignment
  Put16(&b, o + 40, 4);
  Put16(&b, o + 48, 4);
  Put32(&b, o + 56, 0x2000);  // image size
  Put32(&b, o + 60, 0x400);   // header size
  Put16(&b, o + 68, 2);       // GUI
  Put32(&b, o + 92, 16);      // data directories
  const size_t s = o + 0xE0;
  b.replace(s, 5, ".text");
  Put32(&b, s + 8, 0x200);
  Put32(&b, s + 12, 0x1000);
  Put32(&b, s + 16, 0x200);
  Put32(&b, s + 20, 0x400);
  Put32(&b, s + 36, 0x60000020);
  b[0x400] = char(0xC3);
  return b;
}

// Text-like bytes (they compress) or noise (it does not).
std::string Payload(size_t size, bool noise, uint32_t seed = 7) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245 + 12345;
    s[i] = noise ? char(seed >> 16) : "the quick brown fox jumps\n"[(i + (seed >> 29)) % 26];
  }
  return s;
}

class Mksetup : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string templ = (fs::temp_directory_path() / "mksetup_test_XXXXXX").string();
    ASSERT_NE(mkdtemp(&templ[0]), nullptr);
    dir_ = templ;
    Write(dir_ / "stub.bin", SyntheticStub(0x400));
    Write(dir_ / "Engine.exe", "MZ engine double " + Payload(3000, false, 1));
    Write(dir_ / "readme.txt", Payload(5000, false, 2));
  }
  void TearDown() override { fs::remove_all(dir_); }

  Result Run(const std::string& args) {
    std::string cmd = "cd " + Quote(dir_.string()) + " && " + Quote(MKSETUP_EXE) + " " + args +
                      " >out.txt 2>err.txt";
    Result r;
    int status = std::system(cmd.c_str());
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Read(dir_ / "out.txt");
    r.err = Read(dir_ / "err.txt");
    return r;
  }
  int Shell(const std::string& cmd) {
    int status = std::system(("cd " + Quote(dir_.string()) + " && " + cmd).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Builds `manifest` into `out`; fails the test when mksetup fails.
  void Build(const json& manifest, const std::string& out) {
    Write(dir_ / "m.json", manifest.dump(2));
    Result r = Run("build -q m.json -o " + out);
    ASSERT_EQ(r.code, 0) << r.err;
  }
  json Inspect(const std::string& file) {
    Result r = Run("inspect --json " + file);
    EXPECT_EQ(r.code, 0) << r.err;
    return json::parse(r.out);
  }
  // Every manifest item comes back from inspect --json as written.
  void ExpectReportsManifest(const json& m, const json& report) {
    EXPECT_TRUE(report["verdict"]["ok"].get<bool>()) << report["verdict"]["problem"];
    if (m.contains("trailer"))
      for (auto& [key, value] : m["trailer"].items())
        EXPECT_EQ(report["trailer"][key], value) << "trailer." << key;
    if (m.contains("options"))
      for (auto& [key, value] : m["options"].items())
        EXPECT_EQ(report["options"][key], value) << "options." << key;
    if (m.contains("download"))
      for (auto& [key, value] : m["download"].items())
        if (key != "size_of") EXPECT_EQ(report["download"][key], value) << "download." << key;
    if (m.contains("strings")) EXPECT_EQ(report["strings"], m["strings"]);
    if (m.contains("engine")) {
      const json& e = m["engine"];
      EXPECT_EQ(report["engine"]["name"], e.value("name", "Engine.exe"));
      EXPECT_EQ(report["engine"]["parameters"], e.value("parameters", ""));
      EXPECT_EQ(report["engine"]["stamp"], e["stamp"]);
      EXPECT_EQ(report["engine"]["size"], fs::file_size(dir_ / e["path"].get<std::string>()));
    } else {
      EXPECT_TRUE(report["engine"].is_null());
    }
    const json files = m.value("files", json::array());
    ASSERT_EQ(report["files"].size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) {
      std::string path = files[i]["path"];
      EXPECT_EQ(report["files"][i]["name"], files[i].value("name", path)) << i;
      EXPECT_EQ(report["files"][i]["stamp"], files[i]["stamp"]) << i;
      EXPECT_EQ(report["files"][i]["size"], fs::file_size(dir_ / path)) << i;
    }
  }
  // Extracts into a new folder and compares each file with its source.
  void ExpectExtracts(const json& m, const std::string& file) {
    fs::remove_all(dir_ / "x");
    Result r = Run("extract " + file + " x");
    ASSERT_EQ(r.code, 0) << r.err;
    if (m.contains("engine"))
      EXPECT_EQ(Read(dir_ / "x" / m["engine"].value("name", "Engine.exe")),
                Read(dir_ / m["engine"]["path"].get<std::string>()));
    const json files = m.value("files", json::array());
    for (size_t i = 0; i < files.size(); ++i) {
      char number[8];
      std::snprintf(number, sizeof number, "%05zu#", i);
      std::string path = files[i]["path"];
      EXPECT_EQ(Read(dir_ / "x" / (number + files[i].value("name", path))), Read(dir_ / path));
    }
  }

  fs::path dir_;
};

json FullManifest() {
  return json::parse(R"({
    "stub": "stub.bin",
    "engine": {"path": "Engine.exe", "parameters": "/LANG=TR /Q", "stamp": "2024-05-01 12:00:00"},
    "files": [
      {"path": "readme.txt", "stamp": "2023-12-31 23:59:58"},
      {"path": "readme.txt", "name": "copy of readme.txt", "stamp": 0}
    ],
    "strings": [
      {"language": "Turkish", "Charset": "162", "FontSize": "8", "FontName": "Tahoma",
       "keys": {"s0": "Kurulum", "s8": "Lütfen <B>DİSK #<DISK_NUM></B> takın", "s7": ""}},
      {"language": "English", "Charset": "0", "FontSize": "9", "FontName": "Segoe UI",
       "keys": {"s0": "Acme Setup", "BtnText": "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|"}}
    ],
    "options": {"info_url": "http://updates.example.com/acme/", "info_file_name": "acme.info",
                "agent_file_name": "AcmeAgent.exe", "project_token": "ACME-PRO-7",
                "hide_extraction": true},
    "trailer": {"show_temp_drive_notice": true, "show_activity_bar": true, "log_file": true,
                "flag_bits_5_7": 5, "confirm_download": 3, "make_agent_copy": 1,
                "this_is_auto_update_prog": 0, "byte_0": 17, "bytes_2": [1, 2],
                "bytes_20": [9, 8, 7, 6, 5, 4, 3, 2], "byte_64": 200}
  })");
}

time_t LocalTime(int y, int mo, int d, int h, int mi, int sec) {
  struct tm t = {};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = sec;
  t.tm_isdst = -1;
  return mktime(&t);
}

time_t ModTime(const fs::path& p) {
  struct stat st = {};
  stat(p.c_str(), &st);
  return st.st_mtime;
}

TEST_F(Mksetup, RoundTripSingleFile) {
  json m = FullManifest();
  Build(m, "setup.exe");
  json report = Inspect("setup.exe");
  ExpectReportsManifest(m, report);
  EXPECT_EQ(report["volumes"].size(), 1u);
  EXPECT_FALSE(report["trailer"]["multi_volume"].get<bool>());
  EXPECT_EQ(report["trailer"]["files_count"], 3);
  // The files and the agent file (stub image, header blocks, trailer).
  uint64_t agent = report["chunks"][0]["offset"].get<uint64_t>() + 74;
  EXPECT_EQ(report["trailer"]["space_required"][0],
            fs::file_size(dir_ / "Engine.exe") + 2 * 5000 + agent);
  Result v = Run("verify setup.exe");
  EXPECT_EQ(v.code, 0) << v.err;
  EXPECT_NE(v.out.find("OK"), std::string::npos);

  ExpectExtracts(m, "setup.exe");
  EXPECT_EQ(ModTime(dir_ / "x" / "00000#readme.txt"), LocalTime(2023, 12, 31, 23, 59, 58));
  EXPECT_EQ(ModTime(dir_ / "x" / "Engine.exe"), LocalTime(2024, 5, 1, 12, 0, 0));
  EXPECT_EQ(fs::file_size(dir_ / "x" / "AcmeAgent.exe"), agent);
}

TEST_F(Mksetup, RoundTripThreeVolumes) {
  Write(dir_ / "noise.bin", Payload(230000, true));
  json m = json::parse(R"({
    "stub": "stub.bin",
    "engine": {"path": "Engine.exe", "stamp": "2020-02-29 10:20:30"},
    "files": [{"path": "noise.bin", "stamp": "2021-01-01 00:00:00"},
              {"path": "readme.txt", "stamp": 0}],
    "strings": [{"language": "English", "Charset": "0", "FontSize": "8", "FontName": "Tahoma",
                 "keys": {"s8": "Please insert disk <DISK_NUM>"}}],
    "chunk_size": 65536,
    "volume_size": 100000
  })");
  Build(m, "set.exe");
  json report = Inspect("set.exe");
  ExpectReportsManifest(m, report);
  ASSERT_EQ(report["volumes"].size(), 3u);
  const char* names[] = {"set.exe", "set.exe.002", "set.exe.003"};
  for (size_t i = 0; i < 3; ++i) {
    const json& v = report["volumes"][i];
    EXPECT_EQ(v["path"], names[i]);
    EXPECT_EQ(v["multi_volume"], i < 2) << i;
    EXPECT_LE(v["size"].get<int64_t>(), 100000) << i;
    EXPECT_EQ(v["blocks_offset"], i == 0 ? 0x400 : 0) << i;
  }
  EXPECT_EQ(Run("verify set.exe").code, 0);
  ExpectExtracts(m, "set.exe");

  // Without its last volume the set does not verify, and says which is missing.
  fs::rename(dir_ / "set.exe.003", dir_ / "elsewhere");
  Result r = Run("verify set.exe");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("set.exe.003 is missing"), std::string::npos) << r.err;
}

TEST_F(Mksetup, RoundTripWebDownload) {
  Write(dir_ / "real-setup.exe", Payload(123457, true));
  json m = json::parse(R"({
    "stub": "stub.bin",
    "strings": [{"language": "English", "Charset": "0", "FontSize": "8", "FontName": "Tahoma",
                 "keys": {"s10": "Downloading...", "s11": "Download <SIZE> MB?"}}],
    "options": {"project_token": "TOKEN-42"},
    "download": {"url": "http://downloads.example.com/acme", "setup_file_name": "real-setup.exe",
                 "always_download": true, "token": "TOKEN-42", "size_of": "real-setup.exe"},
    "trailer": {"web_download": 1, "confirm_download": 1}
  })");
  Build(m, "web.exe");
  json report = Inspect("web.exe");
  ExpectReportsManifest(m, report);
  EXPECT_EQ(report["download"]["size"], 123457);
  EXPECT_EQ(report["trailer"]["package_version"], 3);
  EXPECT_TRUE(report["chunks"].empty());
  // Stored scrambled: the plain token is not in the file.
  EXPECT_EQ(Read(dir_ / "web.exe").find("TOKEN-42"), std::string::npos);
  EXPECT_EQ(Run("verify web.exe").code, 0);
}

TEST_F(Mksetup, RoundTripPackageEndFollowedByExtraBytes) {
  json m = FullManifest();
  m["package_end_in_stub"] = true;
  Build(m, "pe.exe");
  const auto built = fs::file_size(dir_ / "pe.exe");
  Write(dir_ / "pe.exe", Read(dir_ / "pe.exe") + Payload(7000, true, 99));  // e.g. a signature
  json report = Inspect("pe.exe");
  ExpectReportsManifest(m, report);
  EXPECT_EQ(report["volumes"][0]["package_end"], built);
  EXPECT_EQ(report["volumes"][0]["size"], built + 7000);
  EXPECT_EQ(Run("verify pe.exe").code, 0);
  ExpectExtracts(m, "pe.exe");
}

// A setup whose one chunk carries `name`, written with the library (mksetup
// itself refuses such names).
std::string SetupWithName(const std::string& name) {
  std::string stub = SyntheticStub(0x400), data = "payload";
  MemorySource stubSource(stub), dataSource(data);
  PackagePlan plan;
  plan.stub = &stubSource;
  plan.options_block = "|http://|.info|.exe||0|";
  plan.files.push_back({name, 0, &dataSource});
  struct One : VolumeSinks {
    std::string bytes;
    std::unique_ptr<ByteSink> Open(int, std::string*) override {
      struct Keep : MemorySink {
        std::string* out;
        bool Finish() override {
          *out = bytes();
          return true;
        }
      };
      auto* k = new Keep;
      k->out = &bytes;
      return std::unique_ptr<ByteSink>(k);
    }
  } sinks;
  std::string error;
  EXPECT_TRUE(WritePackage(plan, &sinks, nullptr, nullptr, &error)) << error;
  return sinks.bytes;
}

TEST_F(Mksetup, VerifyRejectsDamagedSetups) {
  // Small (summed) and large (not summed) setups of the same files.
  json small = json::parse(R"({"stub": "stub.bin",
      "engine": {"path": "Engine.exe", "stamp": 0},
      "files": [{"path": "readme.txt", "stamp": 0}]})");
  Build(small, "small.exe");
  ASSERT_LE(fs::file_size(dir_ / "small.exe"), 51200u);
  Write(dir_ / "big.txt", Payload(400000, false, 5));
  json large = small;
  large["files"].push_back({{"path", "big.txt"}, {"stamp", 0}});
  Build(large, "large.exe");
  ASSERT_GT(fs::file_size(dir_ / "large.exe"), 51200u);
  const json chunks = Inspect("large.exe")["chunks"];
  const json& bigChunk = chunks[2];
  ASSERT_EQ(bigChunk["name"], "00001#big.txt");

  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
  };
  std::string flipped = Read(dir_ / "small.exe");
  flipped[flipped.size() - 200] ^= 0x04;
  std::string corrupt = Read(dir_ / "large.exe");
  corrupt[bigChunk["offset"].get<size_t>() + 4 + bigChunk["stored_size"].get<size_t>() / 2] ^= 0x5A;
  std::string cut = Read(dir_ / "large.exe");
  cut.resize(cut.size() / 2);
  std::string lost = Read(dir_ / "large.exe");
  Put32(&lost, lost.size() - 74 + 4, 0xFFFFFF00);  // BlocksOffset past the data
  Case cases[] = {
      {"one flipped byte, at most 51200 bytes", flipped, "checksum mismatch"},
      {"a corrupted zlib chunk in a large setup", corrupt, "do not inflate"},
      {"a file cut short", cut, "no package trailer"},
      {"header blocks outside the file", lost, "holds no header blocks"},
      {"a chunk name with a backslash path", SetupWithName("..\\evil.txt"), "unsafe file name"},
      {"a chunk name with a slash path", SetupWithName("../evil.txt"), "unsafe file name"},
      {"a chunk name with a drive", SetupWithName("C:evil.txt"), "unsafe file name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Write(dir_ / "bad.exe", c.bytes);
    Result v = Run("verify bad.exe");
    EXPECT_EQ(v.code, 1);
    EXPECT_NE(v.err.find(c.message), std::string::npos) << v.err;
    EXPECT_EQ(std::count(v.err.begin(), v.err.end(), '\n'), 1) << v.err;
    // extract refuses too and writes nothing beside its folder.
    fs::create_directory(dir_ / "sub");
    Result x = Run("extract bad.exe sub/x");
    EXPECT_NE(x.code, 0);
    EXPECT_FALSE(fs::exists(dir_ / "sub" / "evil.txt"));
    EXPECT_FALSE(fs::exists(dir_ / "evil.txt"));
    fs::remove_all(dir_ / "sub");
  }
}

TEST_F(Mksetup, SignedAfterBuilding) {
  if (Shell("command -v osslsigncode >/dev/null && command -v openssl >/dev/null") != 0)
    GTEST_SKIP() << "osslsigncode or openssl is not installed";
  // The real stub when its Windows tree was built, else a minimal PE image.
  std::string stub = STUB_EXE;
  bool real = !stub.empty() && fs::exists(stub);
  Write(dir_ / "pe.bin", real ? Read(stub) : MinimalPe());
  RecordProperty("stub", real ? stub : "minimal PE image");
  json m = FullManifest();
  m["stub"] = "pe.bin";
  m["package_end_in_stub"] = true;
  Build(m, "tosign.exe");
  ASSERT_EQ(Shell("openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem "
                  "-days 2 -subj '/CN=Throwaway mksetup test' "
                  "-addext extendedKeyUsage=codeSigning >/dev/null 2>&1"),
            0);
  ASSERT_EQ(Shell("osslsigncode sign -certs cert.pem -key key.pem -in tosign.exe "
                  "-out signed.exe >/dev/null 2>&1"),
            0);
  ASSERT_GT(fs::file_size(dir_ / "signed.exe"), fs::file_size(dir_ / "tosign.exe"));
  EXPECT_EQ(Shell("osslsigncode verify -CAfile cert.pem -in signed.exe >verify.txt 2>&1"), 0)
      << Read(dir_ / "verify.txt");
  Result v = Run("verify signed.exe");
  EXPECT_EQ(v.code, 0) << v.err;
  ExpectExtracts(m, "signed.exe");

  // The signature covers the package: one changed byte in a chunk breaks it.
  json report = Inspect("signed.exe");
  std::string bytes = Read(dir_ / "signed.exe");
  bytes[report["chunks"][1]["offset"].get<size_t>() + 6] ^= 1;
  Write(dir_ / "tampered.exe", bytes);
  EXPECT_NE(Shell("osslsigncode verify -CAfile cert.pem -in tampered.exe >/dev/null 2>&1"), 0);
}

TEST_F(Mksetup, MoreFilesThanOpenDescriptors) {
  // Payload files are opened one at a time, not all at once.
  json m = {{"stub", "stub.bin"}, {"files", json::array()}};
  fs::create_directory(dir_ / "many");
  for (int i = 0; i < 150; ++i) {
    std::string name = "many/f" + std::to_string(i) + ".txt";
    Write(dir_ / name, "file " + std::to_string(i));
    m["files"].push_back({{"path", name}, {"stamp", 0}});
  }
  Write(dir_ / "m.json", m.dump());
  EXPECT_EQ(Shell("ulimit -n 40 && " + Quote(MKSETUP_EXE) + " build -q m.json -o many.exe"), 0);
  json report = Inspect("many.exe");
  ASSERT_EQ(report["files"].size(), 150u);
  EXPECT_EQ(report["files"][149]["size"], 8);
}

TEST_F(Mksetup, BadInputsGiveOneClearLine) {
  struct Case {
    const char* what;
    std::string manifest;  // "" = none written
    std::string args;
    const char* message;
  } cases[] = {
      {"missing manifest", "", "build nothing.json -o out.exe", "cannot open nothing.json"},
      {"not JSON", "{\"stub\": ", "build m.json -o out.exe", "not valid JSON"},
      {"unknown key", R"({"stub": "stub.bin", "volume": 5})", "build m.json -o out.exe",
       "unknown key \"volume\""},
      {"missing payload", R"({"stub": "stub.bin", "files": [{"path": "gone.txt", "stamp": 0}]})",
       "build m.json -o out.exe", "cannot open"},
      {"unknown string key", R"({"stub": "stub.bin", "strings": [{"language": "English",
        "keys": {"s9": "x"}}]})", "build m.json -o out.exe", "\"s9\" is not a key"},
      {"payload name with a path",
       R"({"stub": "stub.bin", "files": [{"path": "readme.txt", "name": "../x", "stamp": 0}]})",
       "build m.json -o out.exe", "unsafe file name"},
      {"odd seconds", R"({"stub": "stub.bin", "engine": {"path": "Engine.exe",
        "stamp": "2024-01-01 10:00:01"}})", "build m.json -o out.exe", "even seconds"},
      {"stub that is no stub", R"({"stub": "readme.txt"})", "build m.json -o out.exe",
       "not an executable"},
      {"volume too small", R"({"stub": "stub.bin", "volume_size": 900,
        "engine": {"path": "Engine.exe", "stamp": 0}})", "build m.json -o out.exe", "volume size"},
      {"unwritable output", R"({"stub": "stub.bin"})", "build m.json -o no/such/dir/out.exe",
       "cannot write"},
      {"no subcommand", "", "", "subcommand"},
      {"inspect of a missing file", "", "inspect gone.exe", "cannot open"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(dir_ / "m.json");
    if (!c.manifest.empty()) Write(dir_ / "m.json", c.manifest);
    Result r = Run(c.args);
    EXPECT_NE(r.code, 0);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "out.exe"));
    EXPECT_FALSE(fs::exists(dir_ / "out.exe.partial"));
  }
  Result help = Run("--help");
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("Examples:"), std::string::npos);
}

}  // namespace
