// Path texts: a folder separator is "\" or "/".
#pragma once

#include <string>

std::string FileNameOf(const std::string& path);  // text after the last separator
std::string FolderOf(const std::string& path);    // text before it ("" when none)
std::string RemoveLastExtension(const std::string& name);  // file name cut at its last "."
