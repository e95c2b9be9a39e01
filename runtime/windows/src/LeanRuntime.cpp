// Keeps the setup programs small. They are built without exceptions, yet the static C++
// library's containers still name its throw helpers, and through them the verbose terminate
// handler with its symbol demangler (about 50 KB). A container failure here can only mean
// memory is exhausted, so every one of them ends the process at once.

#include <windows.h>
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    ExitProcess(255);
}
}  // namespace __gnu_cxx

namespace std {
[[noreturn]] void __throw_bad_alloc() {
    ExitProcess(255);
}
[[noreturn]] void __throw_bad_array_new_length() {
    ExitProcess(255);
}
[[noreturn]] void __throw_length_error(const char*) {
    ExitProcess(255);
}
[[noreturn]] void __throw_logic_error(const char*) {
    ExitProcess(255);
}
[[noreturn]] void __throw_out_of_range(const char*) {
    ExitProcess(255);
}
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) {
    ExitProcess(255);
}
[[noreturn]] void __throw_invalid_argument(const char*) {
    ExitProcess(255);
}
}  // namespace std

// The library's operator new throws std::bad_alloc, which links the whole exception machinery
// (unwinder, personality routine, emergency pool: about 10 KB). Running out of memory ends the
// setup programs at once instead, as the throw helpers above do.
void* operator new(std::size_t size) {
    if (void* p = HeapAlloc(GetProcessHeap(), 0, size ? size : 1)) return p;
    ExitProcess(255);
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    if (p) HeapFree(GetProcessHeap(), 0, p);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}
