#include "kit/Licence.h"

#include "kit/LicenceDlg.h"
#include "win/TextFile.h"

namespace {

// The largest agreement shown, in bytes of file: far beyond any real one, and
// still a text the box holds.
const ULONGLONG kMaxLicenceSize = 16 * 1024 * 1024;

// The box wraps its lines itself, at a cost that grows with the square of a
// line's length: a line of a megabyte would take it minutes, or under Wine
// an hour. Longer lines than this are shown as several lines of this length,
// a few screens each, which no paragraph of an agreement reaches.
const size_t kLongestShownLine = 2000;

// Appends `line` to `text` as lines of at most kLongestShownLine characters,
// each ending in CR LF, as the box needs.
void AppendShown(std::string& text, const std::string& line)
{
    size_t start = 0;
    size_t count = 0;
    for (size_t at = 0; at < line.size(); ++at) {
        // Bytes that continue a character.
        if (((unsigned char)line[at] & 0xC0) == 0x80)
            continue;
        if (count == kLongestShownLine) {
            text.append(line, start, at - start).append("\r\n");
            start = at;
            count = 0;
        }
        ++count;
    }
    text.append(line, start, std::string::npos).append("\r\n");
}

} // namespace

bool ShowLicence(LicenceAnswer answer, const LogLine& log, const std::function<void()>& whileReading)
{
    CLicenceDlg dialog;
    {
        // The whole agreement is read, and the file closed, before the dialog opens.
        TextFile file;
        if (!file.Open("license.txt")) {
            // An agreement that is there but cannot be opened must not be
            // passed over as if the kit had none.
            if (!file.IsMissing())
                return false;
            log("No licence file supplied");
            return true;
        }
        ULONGLONG size = 0;
        if (!file.GetSize(size))
            return false;
        // Refused from its size alone: such a file is not read at all.
        if (size > kMaxLicenceSize) {
            log("Licence file too large");
            return false;
        }
        // Shown whole, however long its lines (none is longer than the file);
        // the wizard stays drawn while a large one is read.
        file.SetLineLimit((size_t)kMaxLicenceSize);
        file.SetBlockRead(whileReading);
        // Half an agreement is never offered for acceptance.
        bool read = file.ForEachLine([&](const std::string& line) {
            AppendShown(dialog.m_text, line);
            return true;
        });
        if (!read)
            return false;
    }
    // Read all the same: an agreement that cannot be read cannot be accepted.
    switch (answer) {
    case LicenceAnswer::CommandLine:
        log("Licence accepted on the command line");
        return true;
    case LicenceAnswer::NotOnCommandLine:
        log("Licence not accepted on the command line");
        return false;
    case LicenceAnswer::User:
        break;
    }
    if (dialog.DoModal() != IDOK) {
        log("User rejected licence");
        return false;
    }
    log("User accepted licence");
    return true;
}
