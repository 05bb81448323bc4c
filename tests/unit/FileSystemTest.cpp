// The folder listing every walk of the program's own folders goes through.
#include <gtest/gtest.h>

#include <set>

#include "Support.h"
#include "win/FileSystem.h"
#include "win/Unicode.h"

namespace {

TEST(FindEntries, EveryEntryButDotsUntilStopped)
{
    TempFolder folder;
    folder.Write("a.txt", "a");
    folder.Write("b\\inner.txt", "b");
    folder.MakeDir("empty");
    const std::set<std::string> all = {"a.txt", "b", "empty"};
    struct Case {
        const char* what;
        std::string pattern;
        size_t stopAfter; // entries taken before `each` says stop; 0: never
        Listing listing;
        size_t seen;
    };
    const Case cases[] = {
        {"whole folder", folder / "*", 0, Listing::Whole, all.size()},
        {"stopped at the second", folder / "*", 2, Listing::Stopped, 2},
        {"a pattern", folder / "a*", 0, Listing::Whole, 1},
        {"an empty folder", folder / "empty\\*", 0, Listing::Whole, 0},
        {"a missing folder", folder / "missing\\*", 0, Listing::Failed, 0},
    };
    for (const Case& c : cases) {
        std::set<std::string> seen;
        const Listing listing = FindEntries(Wide(c.pattern), [&](const WIN32_FIND_DATAW& entry) {
            seen.insert(Utf8(entry.cFileName));
            return seen.size() != c.stopAfter;
        });
        EXPECT_EQ(c.listing, listing) << c.what;
        EXPECT_EQ(c.seen, seen.size()) << c.what;
        for (const std::string& name : seen)
            EXPECT_EQ(1u, all.count(name)) << c.what << ": " << name;
        if (c.listing == Listing::Failed) {
            EXPECT_EQ((DWORD)ERROR_PATH_NOT_FOUND, GetLastError()) << c.what;
        }
    }
}

} // namespace
