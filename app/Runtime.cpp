// What the C++ runtime would link into the program for errors that it never
// reports: each of these library functions drags in a chain of others (the
// exception classes with their own copy of the string code, the symbol
// demangler), which together made up a third of the executable.
//
// The library keeps all its reports in one file, which the linker takes as
// soon as the code needs a report not defined here; then each report below is
// defined twice, and the link fails with "multiple definition" (the build
// points here when it does). That happens with the first use of a facility
// that reports another error: std::function (__throw_bad_function_call),
// std::thread (__throw_system_error), std::stoi (__throw_invalid_argument), and
// others. Then define that report here too, in the same way (std::abort(),
// unless something catches it), and the program stays as small.
#include <cstdlib>
#include <new>

namespace __gnu_cxx {

// A windowed program has nowhere to print why it was terminated.
void __verbose_terminate_handler()
{
    std::abort();
}

}  // namespace __gnu_cxx

namespace std {

// An allocation that fails must still be seen as one: the settings file's
// reading catches it.
void __throw_bad_alloc()
{
    throw std::bad_alloc();
}

void __throw_bad_array_new_length()
{
    throw std::bad_array_new_length();
}

// Nothing catches these; uncaught, they ended the program all the same.
void __throw_length_error(const char*)
{
    std::abort();
}

void __throw_logic_error(const char*)
{
    std::abort();
}

void __throw_out_of_range_fmt(const char*, ...)
{
    std::abort();
}

}  // namespace std
