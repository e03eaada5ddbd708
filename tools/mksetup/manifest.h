// The build manifest of mksetup: a JSON file that names the stub image, the
// engine, the payload files, the strings, options and download blocks, the
// trailer's flags and bytes, compression and volume size. The format is
// described, with an example, in docs/mksetup.md.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "env/file_source.h"
#include "package/writer.h"

// A fault in the manifest or in a file it names; what() is one line.
class ManifestError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A loaded manifest: the plan for the writer and the files it reads. The
// files are opened one at a time as the writer reaches them, so a manifest
// may name more files than a process may hold open.
struct Manifest {
  PackagePlan plan;
  std::vector<std::unique_ptr<ByteSource>> sources;  // stub and payload
  std::vector<std::string> file_paths;               // parallel to plan.files
};

// Reads and checks a manifest; relative paths are taken from the manifest's
// folder. Throws ManifestError.
std::unique_ptr<Manifest> LoadManifest(const std::string& path);

// The name of payload file `index` as the engine expects it: five digits,
// "#", and the file's own name.
std::string PayloadChunkName(size_t index, const std::string& name);
