// mksetup: builds setup files from a manifest and reads them back.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <iostream>
#include <set>
#include <string>

#include "disk.h"
#include "manifest.h"
#include "package/file_info.h"
#include "package/package_reader.h"
#include "report.h"
#include "setup/extract.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

int Fail(const std::string& line) {
  std::fprintf(stderr, "mksetup: %s\n", line.c_str());
  return 1;
}

// A percentage on the terminal while a long build runs.
class TerminalProgress : public WriteProgress {
 public:
  void Advance(int64_t done, int64_t total) override {
    int percent = total > 0 ? int(done * 100 / total) : 100;
    if (percent == last_) return;
    last_ = percent;
    std::fprintf(stderr, "\rmksetup: packing %3d%% (%lld of %lld MiB)", percent,
                 (long long)(done >> 20), (long long)(total >> 20));
    std::fflush(stderr);
    shown_ = true;
  }
  ~TerminalProgress() override {
    if (shown_) std::fputs("\n", stderr);
  }

 private:
  int last_ = -1;
  bool shown_ = false;
};

int Build(const std::string& manifestPath, const std::string& out, bool quiet) {
  std::unique_ptr<Manifest> manifest;
  try {
    manifest = LoadManifest(manifestPath);
  } catch (const ManifestError& e) {
    return Fail(e.what());
  }
  std::string folder = FolderOfPath(out);
  if (!folder.empty() && !IsDirectory(folder)) return Fail("cannot write " + out + ": no folder " + folder);
  DiskVolumeSinks sinks(out, manifest->plan.spanned_cd);
  std::unique_ptr<TerminalProgress> progress;
  if (!quiet && isatty(fileno(stderr))) progress.reset(new TerminalProgress);
  std::vector<WrittenVolume> volumes;
  std::string error;
  bool ok = WritePackage(manifest->plan, &sinks, progress.get(), &volumes, &error) &&
            sinks.Commit(&error);
  progress.reset();
  if (!ok) return Fail(error);
  if (!quiet)
    for (size_t i = 0; i < volumes.size(); ++i)
      std::printf("%s: %lld bytes, %d chunks, checksum %s\n", sinks.names()[i].c_str(),
                  (long long)volumes[i].size, volumes[i].chunks,
                  volumes[i].checksum == layout::kNoChecksum
                      ? "1234 (not compared)"
                      : std::to_string(volumes[i].checksum).c_str());
  return 0;
}

int Inspect(const std::string& path, bool asJson) {
  Inspection in = InspectSetup(path);
  if (asJson)
    std::cout << in.report.dump(2) << "\n";
  else
    std::cout << InspectText(in.report);
  if (!in.report.contains("trailer")) return Fail(in.problem);  // nothing to show
  return 0;
}

int Verify(const std::string& path) {
  Inspection in = InspectSetup(path);
  if (!in.ok) return Fail("verify " + path + ": " + in.problem);
  size_t volumes = in.report["volumes"].size();
  size_t files = in.report["files"].size() + (in.report["engine"].is_null() ? 0 : 1);
  std::printf("%s: OK (%zu volume%s, %zu files, %zu chunks)\n", path.c_str(), volumes,
              volumes == 1 ? "" : "s", files, in.report["chunks"].size());
  return 0;
}

class ConsoleHost : public ExtractHost {
 public:
  std::set<int> volumes_with_blocks;
  void ChunkRead(const ChunkReport& c) override { volumes_with_blocks.insert(c.volume); }
  bool AskOkCancel(const std::string&) override { return false; }  // a missing volume ends it
  void FolderNotCreated(const std::string& folder) override {
    std::fprintf(stderr, "mksetup: cannot create %s: %s\n", folder.c_str(), ErrnoText().c_str());
  }
  void SaveFailed(const SaveFailure& f) override {
    std::fprintf(stderr, "mksetup: cannot write %s (%lld bytes)\n", f.path.c_str(),
                 (long long)f.data_size);
  }
};

int ExtractTo(const std::string& path, const std::string& dir) {
  if (FileSize(path) < 0) return Fail("cannot open " + path + ": " + ErrnoText());
  if (!IsEmptyDirectory(dir)) return Fail(dir + " is not empty (extraction appends to files)");
  std::string first = FirstDataVolume(path);
  TGFileInfo info = TGFileInfo::FromPath(first);
  if (!info.trailer().HasPackage())
    return Fail("no package trailer at the end of " + first + " (not a setup file, or cut short)");
  DiskVolumes volumes;
  DiskTarget target(dir);
  ConsoleHost host;
  ExtractRequest request;
  request.source = first;
  // As the stub does: the agent file only when the package asks for it.
  if (info.MakeAgentCopy()) request.agent_file_name = info.AgentFileName();
  ExtractResult r = Extract(request, &volumes, &target, &host);
  if (r.cancelled) return Fail("volume " + r.missing_volume + " is missing");
  if (!r.ok) return Fail(r.reason);
  if (r.volumes_without_package) return Fail("a volume has no package trailer");
  if (int(host.volumes_with_blocks.size()) < r.volumes_read)
    return Fail("a volume holds no header blocks where its trailer says (offset beyond its data)");
  if (r.save_failures) return Fail(std::to_string(r.save_failures) + " file(s) could not be written");
  std::printf("%s: %d files extracted to %s", path.c_str(), r.files, dir.c_str());
  if (!r.engine_head.empty()) std::printf(" (engine: %s)", r.engine_head.c_str());
  std::printf("\n");
  return 0;
}

int Run(int argc, char** argv) {
  CLI::App app{"mksetup: builds self-extracting setup files and reads them back."};
  app.require_subcommand(1);
  app.footer(
      "Examples:\n"
      "  mksetup build setup.json -o dist/setup.exe   build from a manifest\n"
      "  mksetup inspect dist/setup.exe --json        every field, as JSON\n"
      "  mksetup verify dist/setup.exe                checksum, chunks, names\n"
      "  mksetup extract dist/setup.exe out/          the files, as the stub writes them\n"
      "The manifest format is described in docs/mksetup.md.");

  std::string manifest, out, file, dir;
  bool quiet = false, asJson = false;
  CLI::App* build = app.add_subcommand("build", "Build a setup file (or a volume set) from a manifest");
  build->add_option("MANIFEST", manifest, "JSON manifest")->required();
  build->add_option("-o,--output", out, "The setup file to write (volumes get .002, .003 ...)")
      ->required();
  build->add_flag("-q,--quiet", quiet, "No progress and no summary");
  CLI::App* inspect = app.add_subcommand("inspect", "Show the trailer, blocks, volumes and chunks");
  inspect->add_option("FILE", file, "Setup file")->required();
  inspect->add_flag("--json", asJson, "Print JSON");
  CLI::App* verify = app.add_subcommand("verify", "Check a setup file; non-zero exit with the reason");
  verify->add_option("FILE", file, "Setup file")->required();
  CLI::App* extract = app.add_subcommand("extract", "Extract the files of a setup file into a folder");
  extract->add_option("FILE", file, "Setup file (the first of a set)")->required();
  extract->add_option("DIR", dir, "Empty or new folder")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  if (*build) return Build(manifest, out, quiet);
  if (*inspect) return Inspect(file, asJson);
  if (*verify) return Verify(file);
  if (*extract) return ExtractTo(file, dir);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    return Fail(e.what());
  } catch (...) {
    return Fail("unexpected failure");
  }
}
