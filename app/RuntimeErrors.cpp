// The standard library reports its own errors through these. Its definitions
// share one object with the exception classes of its old string ABI, which
// bring a second whole string implementation into the program (some 47 KB,
// nearly a quarter of it). The program neither throws nor catches these errors: they
// end it, as an uncaught exception does. An allocation that fails is thrown
// as before, for the settings file's reader to catch.
#include <exception>
#include <new>
#include <string>

namespace std {

void __throw_bad_alloc()
{
    throw bad_alloc();
}

void __throw_length_error(const char*)
{
    terminate();
}

void __throw_logic_error(const char*)
{
    terminate();
}

void __throw_out_of_range_fmt(const char*, ...)
{
    terminate();
}

}  // namespace std
