// The C library routines that the compiler calls on its own for record copies and fills: the
// program links no C runtime, so it carries these itself. Built without builtins, so that the
// loops are not turned back into calls to themselves.
#include <cstddef>

extern "C" void* memcpy(void* destination, const void* source, size_t count)
{
    auto* to = static_cast<unsigned char*>(destination);
    const auto* from = static_cast<const unsigned char*>(source);
    while (count-- > 0)
        *to++ = *from++;
    return destination;
}

extern "C" void* memset(void* destination, int value, size_t count)
{
    auto* to = static_cast<unsigned char*>(destination);
    while (count-- > 0)
        *to++ = static_cast<unsigned char>(value);
    return destination;
}
