// File contents for tests that copy many files, and the bytes of programs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// `size` bytes that differ with `seed`, so that a mixed-up or cut copy shows.
std::string SeededBytes(int seed, size_t size);

// Where the security directory entry of the program `program` (its bytes)
// says its certificate table lies, and how long it is: 0 and 0 unsigned.
void CertificateTable(const std::string& program, uint32_t& offset, uint32_t& size);
// The program with that entry made to say `offset` and `size`.
std::string WithCertificateTable(std::string program, uint32_t offset, uint32_t size);
