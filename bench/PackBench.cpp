// Packed kits measured on the benchmark's kits: packing and unpacking time
// (median of N runs), and the packed size against the kit's and against
// "zip -9" of the same tree. Prints one line per kit; scripts/bench.sh does
// not run it yet.
//
//   fernwick_pack_bench [--runs N] FILES...
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Files.h"
#include "KitMaker.h"
#include "Measure.h"
#include "Unix.h"
#include "pack/KitPacker.h"
#include "pack/UnpackedKit.h"

namespace bench {
namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

long long FileBytes(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

long long TreeBytes(const std::string& folder)
{
    long long bytes = 0;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            bytes += TreeBytes(folder + "\\" + name);
        else
            bytes += ((long long)entry.nFileSizeHigh << 32) | entry.nFileSizeLow;
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return bytes;
}

bool Measure(int files, int runs)
{
    const std::string root = "C:\\fwpackbench";
    const std::string kit = root + "\\kit";
    const std::string packed = root + "\\setup.exe";
    const std::string program = e2e::ExeFolder() + "\\fernwick.exe";
    e2e::RemoveTree(root);
    if (!MakeKit(kit, files)) {
        std::fprintf(stderr, "pack bench: the kit could not be made\n");
        return false;
    }
    std::vector<double> packing, unpacking, removing;
    for (int run = 0; run < runs; ++run) {
        std::string reason;
        Stopwatch clock;
        if (!PackKit(program, kit, packed, nullptr, reason)) {
            std::fprintf(stderr, "pack bench: %s\n", reason.c_str());
            return false;
        }
        packing.push_back(clock.Seconds());
        {
            UnpackedKit unpacked;
            clock.Restart();
            if (unpacked.Unpack(packed, nullptr) != UnpackedKit::kUnpacked) {
                std::fprintf(stderr, "pack bench: %s\n", unpacked.Reason().c_str());
                return false;
            }
            unpacking.push_back(clock.Seconds());
            clock.Restart();
        }
        removing.push_back(clock.Seconds());
    }
    // zip stores what deflate cannot shrink, as the packer does.
    const std::string zip = root + "\\kit.zip";
    if (!RunShell("cd " + ShellQuote(UnixPath(kit)) + " && zip -9 -r -q -X ../kit.zip .", 30 * 60 * 1000)) {
        std::fprintf(stderr, "pack bench: zip -9 failed\n");
        return false;
    }
    const long long kitBytes = TreeBytes(kit);
    const long long payload = FileBytes(packed) - FileBytes(program);
    const long long zipBytes = FileBytes(zip);
    std::printf("%d files: kit %lld bytes; packed kit %lld bytes (%.3f of the kit, %.4f of zip -9's %lld); "
                "packing %.2f s, unpacking %.2f s, removing the unpacked kit %.2f s (median of %d)\n",
                files, kitBytes, payload, (double)payload / kitBytes, (double)payload / zipBytes, zipBytes,
                Median(packing), Median(unpacking), Median(removing), runs);
    std::fflush(stdout);
    e2e::RemoveTree(root);
    return true;
}

} // namespace
} // namespace bench

int main(int argc, char** argv)
{
    int runs = 3;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else
            sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty() || runs < 1) {
        std::fprintf(stderr, "usage: fernwick_pack_bench [--runs N] FILES...\n");
        return 2;
    }
    for (int files : sizes) {
        if (!bench::Measure(files, runs))
            return 1;
    }
    return 0;
}
