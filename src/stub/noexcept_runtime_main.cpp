// stub.exe is built without exceptions. libstdc++'s containers still call its
// std::__throw_* helpers on misuse (and on a failed allocation); its own
// definitions would pull in the unwinder and the demangler (about 130 KB). Here
// every such case ends the process, which is what an exception that nobody
// catches would do anyway. The stub checks every size that comes from outside
// before it allocates, so these are reached only through a bug.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {
[[noreturn]] void Die() { ExitProcess(255); }
}  // namespace

// libstdc++'s operator new throws bad_alloc, which brings the exception
// runtime; a failed allocation here ends the process the same way.
void* operator new(std::size_t size) {
  if (void* p = std::malloc(size ? size : 1)) return p;
  Die();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

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

// libstdc++ ships std::string compiled with exceptions and unwind tables; its
// copy would bring the personality routine and the unwinder (about 50 KB).
// Instantiated here, without exceptions, only the members the stub uses stay
// after --gc-sections.
template class std::basic_string<char>;

namespace __gnu_cxx {
[[noreturn]] void __verbose_terminate_handler() { Die(); }
}  // namespace __gnu_cxx

// zlib's inflate calls crc32 only for gzip streams, which the stub never
// reads (its chunks are zlib streams, checked by Adler-32). Defined here,
// zlib's own crc32 and its 8 KiB of tables stay out of the stub.
#include "support/crc32.h"
extern "C" unsigned long crc32(unsigned long crc, const unsigned char* buf, unsigned int len) {
  return Crc32(uint32_t(crc), buf, len);
}
