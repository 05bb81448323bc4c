// What an uncaught exception does in the program: end it at once. The C++
// library's own handler would first print the exception's type to standard
// error, which a windowed program does not have, and it brings a name
// demangler that would be a sixth of the executable. Linked into the program
// only; the tests keep the library's handler.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    std::abort();
}

} // namespace __gnu_cxx
