#include "kit/Introduction.h"

#include "res/resource.h"
#include "win/Strings.h"
#include "win/TextFile.h"

namespace {

const int kIntroLines = 5;
// Characters shown of a line: the text area shows a few hundred at most.
const size_t kIntroLineLength = 1000;

// Appends the first lines of `file` to `text`, each ending in a line feed.
// False on a read error or exhausted memory.
bool ReadHead(TextFile& file, std::string& text)
{
    // One line past those shown is read and dropped: a read error there still
    // counts as an unreadable introduction.
    int count = 0;
    return file.ForEachLine([&](const std::string& line) {
        if (count < kIntroLines)
            text += line + "\n";
        return ++count <= kIntroLines;
    });
}

} // namespace

std::string ReadIntroduction()
{
    std::string text;
    TextFile file;
    file.SetLineLimit(kIntroLineLength);
    // An introduction that is there but cannot be opened (held by another
    // program, refused) is as unreadable as one that fails a read.
    bool readable = file.Open("intro.txt") ? ReadHead(file, text) : file.IsMissing();
    if (!readable)
        text = LoadResString(IDS_INTRO_READ_ERROR);
    return text + "\n" + LoadResString(IDS_INTRO);
}
