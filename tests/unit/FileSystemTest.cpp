// The folder listing every walk of the program's own folders goes through,
// and the rename that keeps a replaced file in its backup.
#include <gtest/gtest.h>

#include <set>

#include "Support.h"
#include "win/FileSystem.h"
#include "win/Handle.h"
#include "win/RenameFile.h"
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

TEST(RenameFileInto, IntoTheHeldFolderNeverOverAnotherOfAnyCase)
{
    struct Case {
        const char* what;
        const char* taken; // a file already in the folder, or none
        const char* name;
        bool renamed;
    };
    const Case cases[] = {
        {"a free name", nullptr, "theme.css", true},
        {"a name taken", "theme.css", "theme.css", false},
        {"a name taken in another case", "Theme.CSS", "theme.css", false},
        {"a name beside another", "other.css", "theme.css", true},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.Write("original.css", "original");
        folder.MakeDir("backup");
        if (c.taken)
            folder.Write(std::string("backup\\") + c.taken, "taken");
        ScopedFile into(CreateFileW(Wide(folder / "backup").c_str(), FILE_TRAVERSE | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        ScopedFile file(CreateFileW(Wide(folder / "original.css").c_str(), DELETE | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
        ASSERT_TRUE(into.IsValid() && file.IsValid()) << c.what;
        SetLastError(0);
        EXPECT_EQ(c.renamed, RenameFileInto(file.Get(), into.Get(), Wide(c.name))) << c.what;
        const DWORD error = GetLastError();
        file.Reset();
        if (c.renamed) {
            EXPECT_FALSE(PathExists(folder / "original.css")) << c.what;
            EXPECT_EQ("original", ReadFileBytes(folder / (std::string("backup\\") + c.name))) << c.what;
        } else {
            EXPECT_EQ((DWORD)ERROR_ALREADY_EXISTS, error) << c.what;
            EXPECT_EQ("original", ReadFileBytes(folder / "original.css")) << c.what;
        }
        if (c.taken) {
            EXPECT_EQ("taken", ReadFileBytes(folder / (std::string("backup\\") + c.taken))) << c.what;
        }
    }
}

} // namespace
