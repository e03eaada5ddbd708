// stub.exe is built without exceptions. libstdc++'s containers still call its
// std::__throw_* helpers on misuse (and on a failed allocation); its own
// definitions would pull in the unwinder and the demangler (about 130 KB). Here
// every such case ends the process, which is what an exception that nobody
// catches would do anyway. The stub checks every size that comes from outside
// before it allocates, so these are reached only through a bug.
#include <windows.h>

#include <cstdlib>

namespace {
[[noreturn]] void Die() { ExitProcess(255); }
}  // namespace

namespace std {
[[noreturn]] void __throw_bad_alloc() { Die(); }
[[noreturn]] void __throw_bad_array_new_length() { Die(); }
[[noreturn]] void __throw_length_error(const char*) { Die(); }
[[noreturn]] void __throw_logic_error(const char*) { Die(); }
[[noreturn]] void __throw_out_of_range(const char*) { Die(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { Die(); }
[[noreturn]] void __throw_invalid_argument(const char*) { Die(); }
[[noreturn]] void __throw_bad_function_call() { Die(); }
[[noreturn]] void __throw_system_error(int) { Die(); }
}  // namespace std

namespace __gnu_cxx {
[[noreturn]] void __verbose_terminate_handler() { Die(); }
}  // namespace __gnu_cxx
