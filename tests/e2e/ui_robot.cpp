#include "e2e/ui_robot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

namespace e2e {
namespace {

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char c = s[++i];
    out += c == 'r' ? '\r' : c == 'n' ? '\n' : c;
  }
  return out;
}

std::string RobotExe() { return Win64Dir() + "/ui_robot.exe"; }

bool WaitForFile(const std::string& path, WineProcess* process, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!FileExists(path)) {
    if (std::chrono::steady_clock::now() > deadline || !process->Running()) return FileExists(path);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace

WindowReport::WindowReport(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) fields_[line.substr(0, eq)] = Unescape(line.substr(eq + 1));
  }
}

std::string WindowReport::Get(const std::string& key) const {
  auto it = fields_.find(key);
  return it == fields_.end() ? std::string() : it->second;
}

int WindowReport::Int(const std::string& key, int index) const {
  std::string value = Get(key);
  for (int i = 0; i < index; ++i) {
    const size_t comma = value.find(',');
    if (comma == std::string::npos) return -1;
    value = value.substr(comma + 1);
  }
  return std::atoi(value.c_str());
}

std::vector<std::string> WindowReport::Buttons() const {
  std::vector<std::string> captions;
  for (int i = 0; i < Int("buttons"); ++i) {
    const std::string b = Get("button" + std::to_string(i));
    captions.push_back(b.substr(0, b.find('|')));
  }
  return captions;
}

std::string ScreenshotDir() {
  const std::string dir = BuildRoot() + "/screenshots";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return dir;
}

Robot::Robot(const std::string& dir, const std::string& name, const RobotAction& action)
    : dir_(dir), name_(name) {
  const std::string base = dir + "/" + name;
  std::vector<std::string> args = {"--class", action.windowClass,
                                   "--wait", std::to_string(action.waitMs),
                                   "--ready", ToWindowsPath(base + ".ready"),
                                   "--report", ToWindowsPath(base + ".report"),
                                   "--gone", std::to_string(action.goneMs)};
  if (action.delayMs > 0) args.insert(args.end(), {"--delay", std::to_string(action.delayMs)});
  if (action.screenshot) args.insert(args.end(), {"--shot", ToWindowsPath(base + ".bmp")});
  if (!action.key.empty()) args.insert(args.end(), {"--key", action.key});
  if (!action.press.empty()) args.insert(args.end(), {"--press", action.press});
  if (action.close) args.push_back("--close");
  process_.reset(new WineProcess(RobotExe(), args, RunOptions{dir, base + ".wine.log"}));
  ready_ = WaitForFile(base + ".ready", process_.get(), 60000);
  EXPECT_TRUE(ready_) << "the robot did not start";
}

bool Robot::Finish(int timeoutMs) {
  if (process_) {
    const RunResult r = process_->Wait(timeoutMs);
    EXPECT_FALSE(r.timedOut) << "the robot did not end";
    exitCode_ = r.exitCode;
    process_.reset();
  }
  return exitCode_ == 0;
}

bool Robot::WaitSeen(int timeoutMs) {
  return process_ && WaitForFile(dir_ + "/" + name_ + ".report", process_.get(), timeoutMs);
}

WindowReport Robot::Report() const { return WindowReport(ReadFile(dir_ + "/" + name_ + ".report")); }

std::string Robot::SavePng(const std::string& pngName) const {
  const std::string bmp = dir_ + "/" + name_ + ".bmp";
  if (!FileExists(bmp)) return std::string();
  const std::string png = ScreenshotDir() + "/" + pngName;
  const std::string command = "convert '" + bmp + "' '" + png + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0 && FileExists(png) ? png : std::string();
}

UnexpectedBoxGuard::UnexpectedBoxGuard(const std::string& dir)
    : watchFile_(dir + "/unexpected-boxes.txt"), stopFile_(dir + "/unexpected-boxes.stop") {
  std::error_code ec;
  std::filesystem::remove(watchFile_, ec);
  std::filesystem::remove(stopFile_, ec);
  const std::string ready = dir + "/unexpected-boxes.ready";
  std::filesystem::remove(ready, ec);
  process_.reset(new WineProcess(RobotExe(),
                                 {"--watch", ToWindowsPath(watchFile_), "--stop", ToWindowsPath(stopFile_),
                                  "--ready", ToWindowsPath(ready)},
                                 RunOptions{dir, dir + "/unexpected-boxes.wine.log"}));
  EXPECT_TRUE(WaitForFile(ready, process_.get(), 60000)) << "the box guard did not start";
}

UnexpectedBoxGuard::~UnexpectedBoxGuard() {
  for (const WindowReport& box : Stop())
    ADD_FAILURE() << "an unexpected box: \"" << box.caption() << "\": " << box.text();
}

std::vector<WindowReport> UnexpectedBoxGuard::Stop() {
  if (stopped_) return {};
  stopped_ = true;
  WriteFile(stopFile_, "");
  process_->Wait(15000);
  std::vector<WindowReport> boxes;
  const std::string all = ReadFile(watchFile_);
  size_t from = 0;
  for (size_t end; (end = all.find("--\n", from)) != std::string::npos; from = end + 3)
    boxes.emplace_back(all.substr(from, end - from));
  return boxes;
}

}  // namespace e2e
