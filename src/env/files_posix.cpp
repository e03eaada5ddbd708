#include "env/files.h"

// Native tools handle paths as plain bytes: no double-byte code page.
bool IsLeadByte(unsigned char) { return false; }
