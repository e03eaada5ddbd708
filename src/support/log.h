// The agent's log file and the watcher notification. Like the trace device,
// neither ever fails visibly.
//
// A log line is "dd/mm/yy HH:NN:SS" (the user's date and time separators), a
// blank, the thread id padded to 5, the log prefix and the message, ended by
// CR LF. The file lies beside the running program: "X_" + its name (unless
// the name already begins with "X_") with the extension replaced by ".log".
#pragma once

#include <cstdint>
#include <string>

// Off until the program entry has read the package trailer.
void SetLogEnabled(bool enabled);
bool LogEnabled();
// Text between the thread id and the message; three blanks until set.
void SetLogPrefix(const std::string& prefix);
std::string LogPrefix();

// The log file name for a program at `programPath` (folder and name split at
// the last backslash or slash); "X_" is added unless the name begins with it
// (case-sensitive), the extension becomes ".log", and exactly one backslash
// separates the folder from the name. A path without a folder gives the name
// alone.
std::string LogFileNameFor(const std::string& programPath);
// One log line: timeText, " ", threadId left-padded with blanks to 5 (longer
// ids whole), prefix, message, CR LF.
std::string ComposeLogLine(const std::string& timeText, uint32_t threadId,
                           const std::string& prefix, const std::string& message);

// ---- Windows builds only ----

// The running program's log file, computed on the first call and kept.
std::string LogFileName();
// Appends one line to the log file when the log is enabled; nothing
// otherwise. The message may be empty. The file is opened and closed per
// line, so other programs can read it meanwhile.
void WriteLog(const std::string& message);

// Registers the watcher window and message (both 0 until set).
void SetWatcher(uintptr_t window, uint32_t messageId);
// Posts the watcher message with wParam = code and lParam = value when both
// the watcher window and message are set; the post's result is ignored.
void NotifyWatcher(uint32_t code, intptr_t value);
