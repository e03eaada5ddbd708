#include <cstdlib>
#include <cstring>

#include "env/registry.h"

bool IsDeveloperMode() {
  static const bool on = [] {
    const char* value = std::getenv("DVX");
    return value != nullptr && std::strcmp(value, "619") == 0;
  }();
  return on;
}
