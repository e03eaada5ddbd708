// Libraries loaded by name come from the system folder only.
//
// A setup file is usually started from a downloads folder, where a web page can
// leave a DLL named like a system one (version.dll, WinINet.dll, ...). The
// default search order looks in the program's own folder first, which would
// load that DLL into an elevated process (DLL planting).
#pragma once

#include <string>

// Restricts the search for every later load by bare name to the system folder
// (SetDefaultDllDirectories with LOAD_LIBRARY_SEARCH_SYSTEM32, looked up at run
// time). Where the system lacks it, removes the current folder from the search
// instead and returns false; LoadSystemLibrary still loads by full path then.
// Call first thing at process start.
bool RestrictDllSearchToSystem();

// Loads `name` from the system folder by its full path (a name that already
// holds a folder is loaded as given). Its own dependencies are searched from
// the system folder too. Returns the module handle, nullptr on failure.
void* LoadSystemLibrary(const std::string& name);

// The system folder without a trailing backslash ("" if the system says none).
std::string SystemFolder();
