// File contents for tests that copy many files.
#pragma once
#include <cstddef>
#include <string>

// `size` bytes that differ with `seed`, so that a mixed-up or cut copy shows.
std::string SeededBytes(int seed, size_t size);
