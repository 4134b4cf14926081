// Linked into the DLL only. The plug-in throws nothing and catches nothing:
// an exception must never unwind into the host. The standard library's few
// throw points (a string past max_size, an allocation that fails) therefore
// end the process at once, which keeps the unwinder, the exception classes
// and the symbol demangler of the static C++ runtime out of the DLL.
#include <cstdlib>
#include <new>

namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
}  // namespace std

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// Allocation without the throwing operator new of the runtime: a plug-in that
// cannot get a few bytes of memory has nothing sensible left to do.
void* operator new(std::size_t size) {
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    std::abort();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

// The C runtime's start-up applies pseudo-relocations, the fix-ups of data a
// DLL reaches in other DLLs without importing it by name. The plug-in
// imports no data, so the linker's list of them is empty, and the runtime's
// relocator (a walk of the sections, with its error reporting) would take
// 2 KB to do nothing. Should a change ever need one, the DLL stops at load
// rather than run with addresses left unfixed.
extern "C" char __RUNTIME_PSEUDO_RELOC_LIST__[];
extern "C" char __RUNTIME_PSEUDO_RELOC_LIST_END__[];
extern "C" void _pei386_runtime_relocator() {
    if (&__RUNTIME_PSEUDO_RELOC_LIST__[0] != &__RUNTIME_PSEUDO_RELOC_LIST_END__[0]) std::abort();
}
