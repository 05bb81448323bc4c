// What the journal costs the copy stage, per operation, against the copy of
// one file: a journal line gathered for the next commit, a commit (one write
// and one flush to disk), keeping a replaced file in the backup, and the
// SHA-256 digest of an installed file read back, for files of the
// benchmark's mean size and of its largest size. Prints one table.
//
//   journal_cost [REPEATS]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "digest/FileDigest.h"
#include "digest/Sha256.h"
#include "journal/DataFolder.h"
#include "journal/Journal.h"

namespace {

// The benchmark kit's sizes are spread evenly over the powers of two from 4
// bytes to 64 KiB: their mean is 1.5 * (2^16 - 4) / 14 bytes.
const int kMeanSize = 7021;
const int kLargestSize = 64 * 1024;

double Now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart / (double)frequency.QuadPart;
}

bool WriteBytes(const std::string& path, int size)
{
    std::string bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = (char)(i * 7919 >> 3);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool whole = file != INVALID_HANDLE_VALUE && WriteFile(file, bytes.data(), size, &written, nullptr) &&
                 written == (DWORD)size;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return whole;
}

std::string Target(const std::string& folder, int i)
{
    return folder + "\\file" + std::to_string(i) + ".css";
}

void Row(const std::string& what, double seconds, int repeats)
{
    std::printf("| %s | %.1f |\n", what.c_str(), seconds * 1e6 / repeats);
}

void RemoveFolder(const std::string& folder, int files)
{
    for (int i = 0; i < files; ++i)
        DeleteFileA(Target(folder, i).c_str());
    RemoveDirectoryA(folder.c_str());
}

bool Measure(const std::string& base, int repeats)
{
    const std::string data = base + "\\Fernwick\\Cost";
    const std::string targets = base + "\\targets";
    CreateDirectoryA(base.c_str(), nullptr);
    CreateDirectoryA(targets.c_str(), nullptr);
    Journal journal;
    if (!CreateDataFolder(data) || !journal.Begin(data, {targets}))
        return false;
    const int root = 1;

    std::printf("| Operation | µs each |\n|---|---:|\n");
    double start = Now();
    for (int i = 0; i < repeats; ++i)
        journal.AddNewFile(Target(targets, i));
    double gathered = Now() - start;
    start = Now();
    if (!journal.Commit())
        return false;
    Row("Journal line, gathered and written with the others", gathered + Now() - start, repeats);

    start = Now();
    for (int i = 0; i < repeats; ++i) {
        journal.AddReplacedFile(root, Target(targets, i));
        if (!journal.Commit())
            return false;
    }
    Row("Commit of one line: one write, one flush", Now() - start, repeats);

    for (int size : {kMeanSize, kLargestSize}) {
        const std::string bytes = std::to_string(size) + " bytes";
        const std::string source = base + "\\source.css";
        const std::string copies = base + "\\copies";
        if (!WriteBytes(source, size) || !CreateDirectoryA(copies.c_str(), nullptr))
            return false;
        start = Now();
        for (int i = 0; i < repeats; ++i) {
            if (!CopyFileA(source.c_str(), Target(copies, i).c_str(), FALSE))
                return false;
        }
        Row("CopyFile of " + bytes + " to a new file, for scale", Now() - start, repeats);

        start = Now();
        for (int i = 0; i < repeats; ++i) {
            unsigned long long read = 0;
            std::string digest;
            if (!DigestFile(Target(copies, i), read, digest))
                return false;
        }
        Row("Digest of " + bytes + ", read back from the file", Now() - start, repeats);

        const std::string block(size, 'x');
        start = Now();
        for (int i = 0; i < repeats; ++i) {
            Sha256 sha;
            sha.Add(block.data(), block.size());
            sha.Finish();
        }
        Row("Digest of " + bytes + " in memory, as a copy could make it", Now() - start, repeats);
        RemoveFolder(copies, repeats);
        DeleteFileA(source.c_str());
    }

    for (int i = 0; i < repeats; ++i) {
        if (!WriteBytes(Target(targets, i), kMeanSize))
            return false;
    }
    start = Now();
    for (int i = 0; i < repeats; ++i) {
        if (!journal.Keep(root, Target(targets, i)))
            return false;
    }
    Row("Keep: a replaced file moved into the backup", Now() - start, repeats);
    // The undo puts the kept files back; then they go too.
    KeptFiles kept;
    bool undone = journal.Undo([](const std::string&) {}, kept);
    RemoveFolder(targets, repeats);
    RemoveDirectoryA(base.c_str());
    return undone;
}

} // namespace

int main(int argc, char** argv)
{
    const int repeats = argc > 1 ? std::atoi(argv[1]) : 1000;
    const std::string base = "C:\\fwjournalcost";
    if (repeats < 1 || !Measure(base, repeats)) {
        std::fprintf(stderr, "journal_cost: failed (%lu)\n", GetLastError());
        return 1;
    }
    return 0;
}
