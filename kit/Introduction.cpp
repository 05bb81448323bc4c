// The introduction on the wizard's first page: the head of the kit's "intro.txt".
#include <new>

#include "app/InstallDlg.h"
#include "res/resource.h"
#include "win/Strings.h"
#include "win/TextFile.h"

namespace {

const int kIntroLines = 5;

// Appends the first lines of `file` to `text`, each ending in a line feed.
// False on a read error or exhausted memory.
bool ReadHead(TextFile& file, std::string& text)
{
    try {
        std::string line;
        // One line past those shown is read and dropped: a read error there
        // still counts as an unreadable introduction.
        for (int count = 0; count <= kIntroLines; ++count) {
            TextFile::Result result = file.ReadLine(line);
            if (result == TextFile::End)
                return true;
            if (result == TextFile::Error)
                return false;
            if (count < kIntroLines)
                text += line + "\n";
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace

std::string CInstallDlg::ReadIntroduction()
{
    std::string text;
    TextFile file;
    // An introduction that is there but cannot be opened (held by another
    // program, refused) is as unreadable as one that fails a read.
    bool readable = file.Open("intro.txt") ? ReadHead(file, text) : file.IsMissing();
    if (!readable)
        text = LoadResString(IDS_INTRO_READ_ERROR);
    return text + "\n" + LoadResString(IDS_INTRO);
}
