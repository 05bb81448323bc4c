// What the benchmark measures, each from outside the program measured.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace bench {

// Wall-clock time from the performance counter.
class Stopwatch {
public:
    Stopwatch() { Restart(); }
    void Restart() { QueryPerformanceCounter(&m_start); }
    double Seconds() const;

private:
    LARGE_INTEGER m_start;
};

// Starts `exe` with `folder` as its current folder and returns the seconds
// until it shows a dialog whose thread answers messages: the user sees the
// first page and can use it. Ends the program afterwards. -1 when it did not
// show one in time.
double SecondsToFirstDialog(const std::string& exe, const std::string& folder);

struct Copy {
    std::string source;
    std::string target;
};

// Runs the system's "xcopy /e /i /y /q" for each copy in turn, with `folder`
// as the current folder and its output discarded. The seconds for them all,
// or -1 when one could not start or failed.
double SecondsOfXcopy(const std::string& folder, const std::vector<Copy>& copies);

// Runs bench_copyloop (beside this program) once over all copies, with
// `folder` as the current folder. Its seconds, or -1 when it failed.
double SecondsOfCopyLoop(const std::string& folder, const std::vector<Copy>& copies);

struct PeakMemory {
    double workingSetMiB = 0;
    double pagefileMiB = 0;
};

// The peak working set and peak committed memory of a running process so far.
bool ReadPeakMemory(DWORD processId, PeakMemory& peak);

} // namespace bench
