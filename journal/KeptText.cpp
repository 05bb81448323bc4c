#include "journal/KeptText.h"

#include <vector>

#include "journal/DataFolder.h"
#include "res/resource.h"
#include "win/FileSystem.h"

namespace {

// The kept files the box names; the rest it counts.
const size_t kKeptNamed = 5;

// `heading`, the first few of `files` and their count (`count`).
MessageText FileList(UINT heading, const std::vector<std::string>& files, UINT count)
{
    MessageText text = LoadMessage(heading);
    for (size_t i = 0; i < files.size() && i < kKeptNamed; ++i)
        text += "\n" + files[i];
    text += "\n";
    text += FormatMessageText(count, (int)files.size());
    return text;
}

} // namespace

MessageText KeptText(const KeptFiles& kept, const std::string& dataFolder)
{
    MessageText text;
    if (!kept.changed.empty())
        text = FileList(IDS_REMOVAL_KEPT, kept.changed, IDS_REMOVAL_KEPT_COUNT);
    if (!kept.originals.empty()) {
        text += "\n";
        text += FormatMessageText(IDS_KEPT_ORIGINALS, ParentFolder(KeptOriginalsFolder(dataFolder)).c_str());
    }
    if (!kept.unrestored.empty()) {
        if (!text.shown.empty())
            text += "\n\n";
        text += FileList(IDS_REMOVAL_UNRESTORED, kept.unrestored, IDS_REMOVAL_UNRESTORED_COUNT);
    }
    return text;
}
