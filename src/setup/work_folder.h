// The work folder a setup stub extracts into: the temporary folder, "SETUP_"
// and the time-of-day half of the running file's DOS date-time, so that a
// restarted copy of the same file finds the same folder. When its drive is
// short of space, the alternative work folder on the fixed drive among C:,
// D: and E: with the most free space.
#pragma once

#include <cstdint>
#include <string>

class TGFileInfo;

// `tempFolder` with one trailing "\", "SETUP_" and the low 16 bits of
// `dosDateTime` in decimal.
std::string WorkFolderName(const std::string& tempFolder, uint32_t dosDateTime);

// The work folder's name once folders held by other running stubs are
// skipped: `base`, then `base` + "_2", "_3", ... (at most `limit` tries; ""
// when all are held).
std::string FirstFreeFolderName(const std::string& base, int limit,
                                bool (*held)(const std::string& folder, void* context),
                                void* context);

// Megabytes with "." as separator: 1 decimal above 10 MB, 3 below 1 MB, 2
// otherwise; negative counts as 0.
std::string Megabytes(int64_t bytes);

// The drive with the most free space among C:, D: and E: (`freeBytes` in that
// order; 0 for a drive not probed), starting from `currentDrive` with 0: its
// letter when that is another drive than the current one, else 0.
char BestOtherDrive(char currentDrive, const int64_t freeBytes[3]);

// The package texts of the free-space question (keys "s2" to "s6").
struct SpaceTexts {
  std::string notice, shortOfSpace, required, available, question;
};
SpaceTexts SpaceTextsOf(const TGFileInfo& info);

// The free-space question for `folder`, or "" when nothing needs asking: the
// notice when the package asks for one, the short-of-space text instead when
// the required space is not below the free space; then the other three, with
// "<DRIVE>", "<SPACE_REQ>" and "<SPACE_AVAIL>" filled in.
std::string FreeSpaceQuestion(bool showNotice, const SpaceTexts& texts, const std::string& folder,
                              int64_t requiredBytes, int64_t freeBytes);

// ---- Windows builds ----

// The work folder of this process. The first call empties and removes a
// folder of that name left by an earlier run, then creates it with its
// parents, and holds it (an open handle without delete sharing) so that
// another stub mapping to the same name leaves it alone and takes the name
// with a suffix instead. Later calls return the same path.
std::string WorkFolder();
// Whether WorkFolder has been called in this process.
bool WorkFolderChosen();
// Lets go of the work folder's hold (a copy restarted from it reuses it).
void ReleaseWorkFolder();
// Deletes the work folder with everything in it (choosing it first when no
// call has yet). True when it is gone.
bool DeleteWorkFolder();

// The drive probe, once per process: true when an alternative temporary
// root on another fixed drive was chosen.
bool FindAlternativeTempRoot();
std::string AlternativeTempRoot();
// "" without an alternative root; otherwise the root, "_" and a random
// number, emptied and created (and held) on the first call.
std::string AlternativeWorkFolder();
void RemoveAlternativeWorkFolder();

// The space the package of `setupFile` needs on the drive of `folder`, and
// the free bytes there (0 when unknown).
int64_t SpaceRequiredOn(const std::string& folder, const std::string& setupFile);
int64_t FreeBytesOn(const std::string& folder);
// The required space is below the free space and the folder exists.
bool EnoughSpace(const std::string& folder, const std::string& setupFile);
// Asks the user when the package wants a notice or the space is short; true
// when nothing was asked or the answer was Yes.
bool ConfirmSpace(const std::string& folder, const std::string& setupFile, const TGFileInfo& info);
// "ForcePrompt" under HKCU\Software\Brontale\Velkor\SpanDisk is "1".
bool ForcePrompt();
