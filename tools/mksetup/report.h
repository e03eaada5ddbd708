// Reading a setup file back: its fields, blocks, volumes and chunks as JSON,
// and the verdict of verify (checksum rule, every chunk inside its volume and
// inflating completely, every name safe to write).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

struct Inspection {
  nlohmann::ordered_json report;
  bool ok = false;
  std::string problem;  // one line; empty when ok
};

// Reads the setup file at `path` (and the volumes that follow it). Every
// chunk is inflated, nothing is written.
Inspection InspectSetup(const std::string& path);

// The report as text for a reader.
std::string InspectText(const nlohmann::ordered_json& report);

// The first volume that holds chunks: the file itself, or "<file>.001" when
// the file is the launcher of a spanned-CD set.
std::string FirstDataVolume(const std::string& path);
