// The wizard's speed, start-up and memory against yardsticks measured in the
// same run: the system's xcopy on the same trees, the platform's limit (a bare
// FindFirstFile and CopyFile loop, bench_copyloop), and a minimal dialog
// program built the same way; and the kit packed into one setup program: the
// packing, the unpacking against the copy stage, the size against zip -9's.
// Prints one table, ratios first.
//
//   fernwick_bench [--runs N] [--starts N] [--out FILE] FILES...
//   fernwick_bench --against EXE [--runs N] [--out FILE] FILES...
//
// For each number of files it builds a kit, runs the real wizard on it with
// logging on (median of N runs), xcopy and the copy loop on the same eight
// trees and the unpacking of the packed kit (as many runs, taking turns), each
// into empty targets, then the wizard and the copy loop once more over what
// they copied, replacing every file; and starts the wizard and the two
// minimal dialogs --starts times each, in turn.
//
// With --against, it compares the wizard with another build of it, EXE (a
// Windows path), on the copy stage alone: in each run both install the kit,
// then both install it again over their own copies, the two taking turns at
// going first. Runs of one program spread more than builds differ; taken in
// pairs, a slow spell of the machine falls on both.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <memory>

#include "App.h"
#include "KitMaker.h"
#include "Measure.h"
#include "Unix.h"
#include "World.h"
#include "pack/KitPacker.h"
#include "pack/UnpackedKit.h"

namespace bench {
namespace {

// Long enough for the largest kit on a slow machine.
const DWORD kCopyTimeoutMs = 30 * 60 * 1000;
// Fine enough for copy stages of a second or more, rare enough not to slow them.
const DWORD kCopyPollMs = 10;

const char* const kKinds[] = {"themes", "pages", "webs", "frames"};

struct Options {
    int runs = 4;
    int starts = 30;
    std::string out;
    std::string against;
    std::vector<int> sizes;
};

struct Result {
    int files = 0;
    double wizardCopy = 0;
    double xcopy = 0;
    double copyLoop = 0;
    double wizardReplace = 0;
    double copyLoopReplace = 0;
    double wizardStart = 0;
    double dialogStart = 0;
    double controlsDialogStart = 0;
    PeakMemory memory;
    long long exeBytes = 0;
    double packing = 0;
    double unpacking = 0;
    long long kitBytes = 0;
    long long packedBytes = 0; // the setup without the program
    long long zipBytes = 0;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool Fail(const std::string& what)
{
    std::fprintf(stderr, "bench: %s\n", what.c_str());
    return false;
}

int CountLines(const std::string& text, const std::string& start)
{
    int count = 0;
    for (size_t at = 0; at < text.size();) {
        if (text.compare(at, start.size(), start) == 0)
            ++count;
        size_t end = text.find('\n', at);
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return count;
}

long long FileBytes(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

// Waits until what was written so far is on the disk.
bool SettleDisk()
{
    return RunShell("sync", kCopyTimeoutMs);
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

// One installation through the wizard's pages; the copy stage is timed from
// the third "Next >" until the final page shows. Leaves the wizard's targets.
bool RunWizard(const std::string& program, const e2e::World& world, int files, const std::string& shots,
               double& seconds, PeakMemory& memory)
{
    e2e::App app(program, world.KitFolder(), shots);
    if (!app.WaitForWizard() || !app.PassStart() || !app.PassLicence())
        return Fail("the wizard did not reach the ready prompt\n" + app.Describe());

    Stopwatch clock;
    app.Control(IDC_NEXT).Click();
    if (!e2e::WaitUntil([&] { return app.IsFinalPage(); }, kCopyTimeoutMs, kCopyPollMs))
        return Fail("the wizard did not reach the final page\n" + app.Describe());
    seconds = clock.Seconds();

    if (!ReadPeakMemory(app.Wizard().ProcessId(), memory))
        return Fail("the wizard's memory could not be read");
    if (app.StatusText().rfind(e2e::kDoneText, 0) != 0)
        return Fail("the installation did not succeed\n" + app.Describe());
    app.Control(IDOK).Click();
    if (!app.WaitForExit())
        return Fail("the wizard did not end after \"Finish\"");
    const int copied = CountLines(e2e::ReadFileBytes(world.LogPath()), "Copied file: ");
    if (copied != files)
        return Fail("the log shows " + std::to_string(copied) + " copied files, not " + std::to_string(files));
    return true;
}

bool Measure(const Options& options, int files, Result& result)
{
    result.files = files;
    e2e::World world;
    std::printf("%d files: making the kit...\n", files);
    std::fflush(stdout);
    if (!world.IsReady() || !MakeKit(world.KitFolder(), files))
        return Fail("the world or the kit could not be made");

    const std::string program = e2e::ExeFolder() + "\\fernwick.exe";
    const std::string shots = e2e::ExeFolder() + "\\bench-screenshots\\" + std::to_string(files);
    std::vector<double> wizard, xcopy, loop, packing, unpacking, wizardReplace, loopReplace;
    std::vector<double> workingSet, pagefile;
    auto runWizard = [&](std::vector<double>& times) {
        double seconds = 0;
        PeakMemory memory;
        if (!RunWizard(program, world, files, shots, seconds, memory))
            return false;
        times.push_back(seconds);
        workingSet.push_back(memory.workingSetMiB);
        pagefile.push_back(memory.pagefileMiB);
        return true;
    };
    // What the unpacking made stays until every run is done, as the copies do.
    std::vector<std::unique_ptr<UnpackedKit>> unpacked;
    for (int run = 0; run < options.runs; ++run) {
        // Each run writes into folders of its own, and nothing is deleted
        // until all runs are done: after a mass deletion this disk creates
        // files several times slower for minutes, which would fall on
        // whatever comes next.
        const std::string folder = "run" + std::to_string(run + 1);
        // The wizard's eight passes, each yardstick into targets of its own;
        // the copy loop makes one level of folder, as the wizard makes those
        // of the kit's trees.
        std::vector<Copy> copies, loopCopies;
        for (const char* kind : kKinds) {
            for (const char* root : {"fp98", "common"}) {
                copies.push_back({std::string(root) + "\\" + kind, world.Path(folder + "\\xcopy\\" + kind)});
                loopCopies.push_back({std::string(root) + "\\" + kind, world.Path(folder + "\\loop\\" + kind)});
            }
        }
        if (!world.InstallFrontPage98(folder + "\\FrontPage") || !e2e::MakeFolders(world.Path(folder + "\\loop")))
            return Fail("the run's folders could not be made");
        // A kit of another name has a journal of its own: each run is a first
        // installation, without deleting the last run's journal and backups.
        if (!NameKit(world.KitFolder(), "Benchmark kit, run " + std::to_string(run + 1)))
            return Fail("the kit could not be named");

        // The setup to unpack, packed first.
        const std::string setup = world.Path(folder + "\\setup.exe");
        std::string reason;
        Stopwatch packClock;
        if (!PackKit(program, world.KitFolder(), setup, nullptr, reason))
            return Fail("packing failed: " + reason);
        packing.push_back(packClock.Seconds());

        // Take turns at going first, and each starts once the writes of the
        // one before are on the disk: they would fall on whatever comes next,
        // hardest on the wizard, whose journal waits for the disk.
        for (int turn = 0; turn < 4; ++turn) {
            if (!SettleDisk())
                return Fail("sync failed");
            switch ((turn + run) % 4) {
            case 0:
                if (!runWizard(wizard))
                    return false;
                break;
            case 1: {
                double seconds = SecondsOfXcopy(world.KitFolder(), copies);
                if (seconds < 0)
                    return Fail("xcopy failed");
                xcopy.push_back(seconds);
                break;
            }
            case 2: {
                double seconds = SecondsOfCopyLoop(world.KitFolder(), loopCopies);
                if (seconds < 0)
                    return Fail("the copy loop failed");
                loop.push_back(seconds);
                break;
            }
            default: {
                unpacked.push_back(std::make_unique<UnpackedKit>());
                Stopwatch clock;
                if (unpacked.back()->Unpack(setup, nullptr) != UnpackedKit::kUnpacked)
                    return Fail("unpacking failed: " + unpacked.back()->Reason());
                unpacking.push_back(clock.Seconds());
                break;
            }
            }
        }
        // The same kit again over what each copied: every file is replaced,
        // and the wizard keeps each in its backup first.
        for (int turn = 0; turn < 2; ++turn) {
            if (!SettleDisk())
                return Fail("sync failed");
            if ((turn + run) % 2 == 0) {
                if (!runWizard(wizardReplace))
                    return false;
                continue;
            }
            double seconds = SecondsOfCopyLoop(world.KitFolder(), loopCopies);
            if (seconds < 0)
                return Fail("the copy loop failed");
            loopReplace.push_back(seconds);
        }
        std::printf("  run %d: wizard %.3f s, xcopy %.3f s, copy loop %.3f s, packing %.3f s, unpacking %.3f s; "
                    "replacing: wizard %.3f s, copy loop %.3f s\n",
                    run + 1, wizard.back(), xcopy.back(), loop.back(), packing.back(), unpacking.back(),
                    wizardReplace.back(), loopReplace.back());
        std::fflush(stdout);
    }

    // zip stores what deflate cannot shrink, as the packer does.
    if (!RunShell("cd " + ShellQuote(UnixPath(world.KitFolder())) + " && zip -9 -r -q -X ../kit.zip .",
                  kCopyTimeoutMs))
        return Fail("zip -9 failed");
    result.kitBytes = TreeBytes(world.KitFolder());
    result.packedBytes = FileBytes(world.Path("run1\\setup.exe")) - FileBytes(program);
    result.zipBytes = FileBytes(world.Path("kit.zip"));
    result.packing = Median(packing);
    result.unpacking = Median(unpacking);

    const std::string exe = e2e::ExeFolder() + "\\fernwick.exe";
    const std::string programs[] = {exe, e2e::ExeFolder() + "\\bench_dialog.exe",
                                    e2e::ExeFolder() + "\\bench_dialog_controls.exe"};
    std::vector<double> starts[3];
    for (int start = 0; start < options.starts; ++start) {
        for (int program = 0; program < 3; ++program) {
            double seconds = SecondsToFirstDialog(programs[program], world.KitFolder());
            if (seconds < 0)
                return Fail(programs[program] + " did not show its dialog");
            starts[program].push_back(seconds);
        }
    }

    result.wizardCopy = Median(wizard);
    result.xcopy = Median(xcopy);
    result.copyLoop = Median(loop);
    result.wizardReplace = Median(wizardReplace);
    result.copyLoopReplace = Median(loopReplace);
    result.wizardStart = Median(starts[0]);
    result.dialogStart = Median(starts[1]);
    result.controlsDialogStart = Median(starts[2]);
    result.memory.workingSetMiB = *std::max_element(workingSet.begin(), workingSet.end());
    result.memory.pagefileMiB = *std::max_element(pagefile.begin(), pagefile.end());
    result.exeBytes = FileBytes(exe);
    return true;
}

// The copy stage of this wizard and of the build `options.against` on a kit
// of `files` files, first installations and installations replacing every
// file; appends their medians and ratios to `text`.
bool Compare(const Options& options, int files, std::string& text)
{
    e2e::World world;
    std::printf("%d files: making the kit...\n", files);
    std::fflush(stdout);
    if (!world.IsReady() || !MakeKit(world.KitFolder(), files))
        return Fail("the world or the kit could not be made");
    const std::string programs[] = {e2e::ExeFolder() + "\\fernwick.exe", options.against};
    const char* const labels[] = {"this build", "the other build"};
    const int kPrograms = (int)(sizeof programs / sizeof programs[0]);
    const std::string shots = e2e::ExeFolder() + "\\bench-screenshots\\against";
    std::vector<double> times[kPrograms][2];
    for (int run = 0; run < options.runs; ++run) {
        for (int replacing = 0; replacing < 2; ++replacing) {
            for (int turn = 0; turn < kPrograms; ++turn) {
                const int program = (turn + run) % kPrograms;
                // Each program's own FrontPage and kit name, nothing deleted
                // until all runs are done, as in the full benchmark.
                const std::string folder = "run" + std::to_string(run + 1) + "-" + std::to_string(program + 1);
                if (!world.InstallFrontPage98(folder + "\\FrontPage") ||
                    !NameKit(world.KitFolder(), "Benchmark kit, " + folder))
                    return Fail("the kit could not be pointed at the run's FrontPage");
                if (!SettleDisk())
                    return Fail("sync failed");
                double seconds = 0;
                PeakMemory memory;
                if (!RunWizard(programs[program], world, files, shots, seconds, memory))
                    return false;
                times[program][replacing].push_back(seconds);
            }
        }
        std::printf("  run %d: first installation %.3f s / %.3f s, replacing %.3f s / %.3f s\n", run + 1,
                    times[0][0].back(), times[1][0].back(), times[0][1].back(), times[1][1].back());
        std::fflush(stdout);
    }
    const char* const kinds[] = {"first installation", "replacing every file"};
    for (int replacing = 0; replacing < 2; ++replacing) {
        char line[256];
        for (int program = 0; program < kPrograms; ++program) {
            std::snprintf(line, sizeof line, "| %d files, %s, %s (s) | %.2f |\n", files, kinds[replacing],
                          labels[program], Median(times[program][replacing]));
            text += line;
        }
        std::vector<double> ratios;
        for (size_t run = 0; run < times[0][replacing].size(); ++run)
            ratios.push_back(times[0][replacing][run] / times[1][replacing][run]);
        std::snprintf(line, sizeof line,
                      "| **%d files, %s, this build / the other, median of the runs' ratios** | **%.3f** |\n", files,
                      kinds[replacing], Median(ratios));
        text += line;
    }
    return true;
}

// The table of Compare for every size.
bool CompareTable(const Options& options, std::string& table)
{
    table = "| Copy stage | |\n|---|---:|\n";
    for (int files : options.sizes) {
        if (!Compare(options, files, table))
            return false;
    }
    table += "\nMedian of " + std::to_string(options.runs) +
             " runs; in each run both builds install the kit into a FrontPage of their own, then again over it, "
             "taking turns at going first, each after a sync.\n";
    return true;
}

std::string Table(const Options& options, const std::vector<Result>& results)
{
    std::string text = "| |";
    std::string rule = "|---|";
    char cell[64];
    for (const Result& result : results) {
        std::snprintf(cell, sizeof cell, " %d files |", result.files);
        text += cell;
        rule += "---:|";
    }
    text += "\n" + rule + "\n";

    auto row = [&](const char* label, const char* format, const std::function<double(const Result&)>& value) {
        text += std::string("| ") + label + " |";
        for (const Result& result : results) {
            std::snprintf(cell, sizeof cell, format, value(result));
            text += std::string(" ") + cell + " |";
        }
        text += "\n";
    };
    row("**Copy stage, wizard / xcopy**", "**%.2f**", [](const Result& r) { return r.wizardCopy / r.xcopy; });
    row("**Copy stage, wizard / CopyFile loop**", "**%.2f**", [](const Result& r) { return r.wizardCopy / r.copyLoop; });
    row("**Copy stage replacing every file, wizard / CopyFile loop**", "**%.2f**",
        [](const Result& r) { return r.wizardReplace / r.copyLoopReplace; });
    row("**Start to first page, wizard / minimal dialog**", "**%.2f**",
        [](const Result& r) { return r.wizardStart / r.dialogStart; });
    row("**Unpacking the packed kit / copy stage, wizard**", "**%.2f**",
        [](const Result& r) { return r.unpacking / r.wizardCopy; });
    row("**Packed kit / zip -9 of the kit**", "**%.3f**",
        [](const Result& r) { return (double)r.packedBytes / r.zipBytes; });
    row("Start to first page, wizard / minimal dialog with common controls and icon", "%.2f",
        [](const Result& r) { return r.wizardStart / r.controlsDialogStart; });
    row("Packed kit / kit", "%.3f", [](const Result& r) { return (double)r.packedBytes / r.kitBytes; });
    row("Copy stage, wizard (s)", "%.2f", [](const Result& r) { return r.wizardCopy; });
    row("Copy, xcopy (s)", "%.2f", [](const Result& r) { return r.xcopy; });
    row("Copy, CopyFile loop (s)", "%.2f", [](const Result& r) { return r.copyLoop; });
    row("Copy stage replacing every file, wizard (s)", "%.2f", [](const Result& r) { return r.wizardReplace; });
    row("Copy replacing every file, CopyFile loop (s)", "%.2f", [](const Result& r) { return r.copyLoopReplace; });
    row("Packing (s)", "%.2f", [](const Result& r) { return r.packing; });
    row("Unpacking (s)", "%.2f", [](const Result& r) { return r.unpacking; });
    row("Wizard, ms per file", "%.3f", [](const Result& r) { return 1000 * r.wizardCopy / r.files; });
    row("xcopy, ms per file", "%.3f", [](const Result& r) { return 1000 * r.xcopy / r.files; });
    row("Start to first page, wizard (ms)", "%.0f", [](const Result& r) { return 1000 * r.wizardStart; });
    row("Start to first page, minimal dialog (ms)", "%.0f", [](const Result& r) { return 1000 * r.dialogStart; });
    row("Start to first page, minimal dialog with common controls and icon (ms)", "%.0f",
        [](const Result& r) { return 1000 * r.controlsDialogStart; });
    row("Peak working set, wizard (MiB)", "%.1f", [](const Result& r) { return r.memory.workingSetMiB; });
    row("Peak pagefile usage, wizard (MiB)", "%.1f", [](const Result& r) { return r.memory.pagefileMiB; });
    row("Executable size (bytes)", "%.0f", [](const Result& r) { return (double)r.exeBytes; });
    row("Kit (bytes)", "%.0f", [](const Result& r) { return (double)r.kitBytes; });
    row("Packed kit, without the program (bytes)", "%.0f", [](const Result& r) { return (double)r.packedBytes; });
    row("zip -9 of the kit (bytes)", "%.0f", [](const Result& r) { return (double)r.zipBytes; });

    std::snprintf(cell, sizeof cell, "%d", options.runs);
    text += std::string("\nCopy, unpacking and packing times: median of ") + cell +
            " runs each; in each run the packing first, then the copy stage, xcopy, the copy loop and the unpacking "
            "taking turns at going first, each after a sync and into folders of its own, the wizard's a first "
            "installation (a kit of another name), then the wizard and the copy loop again over their copies, "
            "replacing every file; nothing deleted until all runs are done. ";
    std::snprintf(cell, sizeof cell, "%d", options.starts);
    text += std::string("Start-up: median of ") + cell + " starts each. Memory: the largest peak of the runs.\n";
    return text;
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--runs") == 0 && hasValue)
            options.runs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--starts") == 0 && hasValue)
            options.starts = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--out") == 0 && hasValue)
            options.out = argv[++i];
        else if (std::strcmp(argv[i], "--against") == 0 && hasValue)
            options.against = argv[++i];
        else if (std::atoi(argv[i]) >= kMinFiles)
            options.sizes.push_back(std::atoi(argv[i]));
        else
            return false;
    }
    return options.runs > 0 && options.starts > 0 && !options.sizes.empty();
}

} // namespace
} // namespace bench

int main(int argc, char** argv)
{
    bench::Options options;
    if (!bench::ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: fernwick_bench [--runs N] [--starts N] [--out FILE] FILES...\n"
                             "       fernwick_bench --against EXE [--runs N] [--out FILE] FILES...\n"
                             "  FILES: kit sizes, each at least %d\n",
                     bench::kMinFiles);
        return 2;
    }
    std::string table;
    if (!options.against.empty()) {
        if (!bench::CompareTable(options, table))
            return 1;
    } else {
        std::vector<bench::Result> results;
        for (int files : options.sizes) {
            bench::Result result;
            if (!bench::Measure(options, files, result))
                return 1;
            results.push_back(result);
        }
        table = bench::Table(options, results);
    }
    std::printf("\n%s", table.c_str());
    if (!options.out.empty() && !e2e::WriteFileBytes(options.out, table)) {
        bench::Fail("cannot write " + options.out);
        return 1;
    }
    return 0;
}
