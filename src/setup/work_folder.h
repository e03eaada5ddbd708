// The work folder a setup stub extracts into: the temporary folder, "SETUP_"
// and the time-of-day half of the running file's DOS date-time, so that a
// restarted copy of the same file finds the same folder.
#pragma once

#include <cstdint>
#include <string>

// `tempFolder` with one trailing "\", "SETUP_" and the low 16 bits of
// `dosDateTime` in decimal.
std::string WorkFolderName(const std::string& tempFolder, uint32_t dosDateTime);

// ---- Windows builds ----

// The work folder of this process. The first call empties and removes a
// folder of that name left by an earlier run, then creates it with its
// parents; later calls return the same path.
std::string WorkFolder();
// Whether WorkFolder has been called in this process.
bool WorkFolderChosen();
// Deletes the work folder with everything in it (choosing it first when no
// call has yet). True when it is gone.
bool DeleteWorkFolder();
