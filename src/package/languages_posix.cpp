#include "package/languages.h"

// Native tools have no thread locale; they speak US English.
uint32_t ThreadLocaleId() { return 0x409; }
