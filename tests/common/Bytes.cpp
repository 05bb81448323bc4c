#include "Bytes.h"

std::string SeededBytes(int seed, size_t size)
{
    std::string bytes(size, '\0');
    unsigned value = 2166136261u ^ (unsigned)seed;
    for (char& c : bytes) {
        value = value * 16777619u + 12345u;
        c = (char)(value >> 24);
    }
    return bytes;
}
