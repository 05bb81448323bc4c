#include "journal/JournalFile.h"

#include <zlib.h>

#include "journal/DataFolder.h"
#include "win/Handle.h"
#include "win/ProtectedFolder.h"
#include "win/Strings.h"
#include "win/Unicode.h"

const char kJournalFile[] = "journal.txt";
const char kJournalHeader[] = "Fernwick journal 2";
const char kJournalHeaderFirst[] = "Fernwick journal 1";

const char kRecordBegin[] = "begin";
const char kRecordFolder[] = "folder";
const char kRecordFile[] = "file";
const char kRecordReplace[] = "replace";
const char kRecordDigest[] = "digest";
const char kRecordUndone[] = "undone";
const char kRecordEnd[] = "end";
const char kRecordRestore[] = "restore";
const char kRecordKept[] = "kept";
const char kRecordUnrestored[] = "unrestored";
const char kRecordKitName[] = "kit";
const char kRecordHanded[] = "handed";
const char kRecordGone[] = "gone";

namespace {

// The journal being rewritten in the current format, beside it until whole.
const char kRewrittenFile[] = "journal.new";

std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

std::string Checksum(const std::string& text)
{
    const uLong crc = crc32(crc32(0, nullptr, 0), (const Bytef*)text.data(), (uInt)text.size());
    return Format("%08lx", (unsigned long)crc);
}

// The text of a line of the current format, without its checksum; false
// when the checksum does not match it.
bool CheckedText(const std::string& line, std::string& text)
{
    const size_t tab = line.rfind('\t');
    if (tab == std::string::npos)
        return false;
    text = line.substr(0, tab);
    return line.compare(tab + 1, std::string::npos, Checksum(text)) == 0;
}

// A decimal number of at most `digits` digits, nothing else.
bool ParseNumber(const std::string& text, size_t digits, unsigned long long& number)
{
    if (text.empty() || text.size() > digits)
        return false;
    number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (unsigned)(c - '0');
    }
    return true;
}

bool ParseIndex(const std::string& text, int& index)
{
    unsigned long long number = 0;
    if (!ParseNumber(text, 9, number) || number == 0)
        return false;
    index = (int)number;
    return true;
}

bool IsHexDigest(const std::string& text)
{
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// Parts joined by backslashes, none empty, "." or "..", none holding a slash
// or a colon (another separator, a drive, a stream): the path cannot lead
// out of the folder it starts in.
bool ArePlainParts(const std::string& parts, size_t start)
{
    for (size_t end = start; end <= parts.size(); ++end) {
        const char c = end < parts.size() ? parts[end] : '\\';
        if (c == '/' || c == ':')
            return false;
        if (c != '\\')
            continue;
        const size_t length = end - start;
        if (length == 0 || (parts[start] == '.' && (length == 1 || (length == 2 && parts[start + 1] == '.'))))
            return false;
        start = end + 1;
    }
    return true;
}

// "X:\..." or "\\server\share\...", of plain parts.
bool IsFullPath(const std::string& path)
{
    const bool drive = path.size() > 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':' &&
                       path[2] == '\\';
    const bool share = path.size() > 2 && path[0] == '\\' && path[1] == '\\';
    return (drive || share) && ArePlainParts(path, drive ? 3 : 2);
}

// A backup lies below the data folder's backup folder, and nowhere else.
bool IsBackupPath(const std::string& path)
{
    return path.compare(0, 7, "backup\\") == 0 && ArePlainParts(path, 7);
}

// How paths are compared: as written (the installation wrote its paths from
// its roots, so that is how they nearly always match), then as the file
// system compares names, which costs a conversion of both.
enum class Compare { Exactly, AnyCase };

bool Same(const std::string& a, const std::string& b, Compare compare)
{
    return compare == Compare::Exactly ? a == b : EqualNoCase(a, b);
}

// `path` lies below `folder`.
bool IsBelow(const std::string& path, const std::string& folder, Compare compare)
{
    if (path.size() <= folder.size() + 1 || path[folder.size()] != '\\')
        return false;
    return compare == Compare::Exactly ? path.compare(0, folder.size(), folder) == 0
                                       : EqualNoCase(path.substr(0, folder.size()), folder);
}

// Where an installation may have made a folder: in a target folder, the
// target folder itself, or a folder on the way to it.
bool IsFolderOfRoot(const std::string& path, const std::string& root, Compare compare)
{
    return IsBelow(path, root, compare) || IsBelow(root, path, compare) || Same(path, root, compare);
}

// The number (from 1) of the root of `session` that `path` lies below (or,
// for a `folder`, lies on the way to); 0 when none.
int RootOf(const JournalSession& session, const std::string& path, bool folder)
{
    for (Compare compare : {Compare::Exactly, Compare::AnyCase}) {
        for (size_t i = 0; i < session.roots.size(); ++i) {
            const std::string& root = session.roots[i];
            if (folder ? IsFolderOfRoot(path, root, compare) : IsBelow(path, root, compare))
                return (int)i + 1;
        }
    }
    return 0;
}

bool LiesWhereRecorded(const JournalSession& session, const std::string& path, bool folder)
{
    return session.roots.empty() || RootOf(session, path, folder) > 0;
}

// The backup of a replaced file is named after its target folder's number
// and its path there, so that it is nowhere but in the data folder.
bool IsBackupOf(const JournalSession& session, const std::string& path, const std::string& backup)
{
    if (session.roots.empty())
        return IsBackupPath(backup);
    const int root = RootOf(session, path, false);
    return root > 0 && backup == Format("backup\\%d\\%d\\", session.number, root) +
                                     path.substr(session.roots[root - 1].size() + 1);
}

// A path that belongs to no installation lies where one of them recorded.
bool LiesWhereAnyRecorded(const JournalContents& contents, const std::string& path, bool folder)
{
    bool rootsKnown = false;
    for (const JournalSession& session : contents.sessions) {
        rootsKnown = rootsKnown || !session.roots.empty();
        if (!session.roots.empty() && LiesWhereRecorded(session, path, folder))
            return true;
    }
    return !rootsKnown;
}

JournalSession* FindSession(JournalContents& contents, int number)
{
    for (JournalSession& session : contents.sessions)
        if (session.number == number)
            return &session;
    return nullptr;
}

// The entry a mark names ("<kind> <installation> <entry>"); null when none.
JournalEntry* MarkedEntry(JournalContents& contents, const std::vector<std::string>& fields)
{
    int number = 0;
    int entry = 0;
    JournalSession* session = fields.size() >= 3 && ParseIndex(fields[1], number) && ParseIndex(fields[2], entry)
                                  ? FindSession(contents, number)
                                  : nullptr;
    if (!session || entry > (int)session->entries.size())
        return nullptr;
    return &session->entries[entry - 1];
}

// Applies the record `fields` to what was read so far; false when it is no
// valid record in that place.
bool ApplyRecord(const std::vector<std::string>& fields, bool firstFormat, LONGLONG offset, JournalContents& contents)
{
    const std::string& kind = fields[0];
    JournalSession* current = contents.sessions.empty() ? nullptr : &contents.sessions.back();
    int number = 0;
    if (kind == kRecordBegin && fields.size() >= 3 && (!firstFormat || fields.size() == 3) &&
        ParseIndex(fields[1], number)) {
        if (FindSession(contents, number))
            return false;
        JournalSession session;
        session.number = number;
        session.offset = offset;
        session.roots.assign(fields.begin() + 3, fields.end());
        for (const std::string& root : session.roots) {
            if (!IsFullPath(root))
                return false;
        }
        contents.sessions.push_back(session);
        return true;
    }
    if (kind == kRecordUndone || kind == kRecordRestore || kind == kRecordKept || kind == kRecordUnrestored) {
        JournalEntry* entry = MarkedEntry(contents, fields);
        const bool kept = kind == kRecordKept && (fields.size() == 3 || (fields.size() == 4 && IsFullPath(fields[3])));
        if (!entry || (fields.size() != 3 && !kept) || (firstFormat && kind != kRecordUndone))
            return false;
        if (kind == kRecordRestore) {
            entry->restoring = true;
            return true;
        }
        entry->undone = true;
        entry->kept = entry->kept || kept;
        entry->unrestored = entry->unrestored || kind == kRecordUnrestored;
        if (kept && fields.size() == 4)
            entry->original = fields[3];
        return true;
    }
    if (kind == kRecordKitName && fields.size() == 2 && !fields[1].empty()) {
        contents.kitName = fields[1];
        return true;
    }
    if ((kind == kRecordHanded || kind == kRecordGone) && fields.size() == 2 && IsFullPath(fields[1]) &&
        LiesWhereAnyRecorded(contents, fields[1], kind == kRecordHanded)) {
        (kind == kRecordHanded ? contents.handedFolders : contents.goneFiles).push_back(fields[1]);
        return true;
    }
    if (!current || current->closed)
        return false;
    JournalEntry entry;
    if (kind == kRecordFolder && fields.size() == 2 && IsFullPath(fields[1]) &&
        LiesWhereRecorded(*current, fields[1], true)) {
        entry.kind = JournalEntry::Folder;
    } else if (kind == kRecordFile && fields.size() == 2 && IsFullPath(fields[1]) &&
               LiesWhereRecorded(*current, fields[1], false)) {
        entry.kind = JournalEntry::NewFile;
    } else if (kind == kRecordReplace && fields.size() == 3 && IsFullPath(fields[1]) &&
               IsBackupOf(*current, fields[1], fields[2])) {
        entry.kind = JournalEntry::ReplacedFile;
        entry.backup = fields[2];
    } else if (kind == kRecordDigest && fields.size() == 4 && ParseIndex(fields[1], number) &&
               number <= (int)current->entries.size() && IsHexDigest(fields[3])) {
        unsigned long long size = 0;
        if (!ParseNumber(fields[2], 19, size))
            return false;
        JournalEntry& digested = current->entries[number - 1];
        digested.hasDigest = true;
        digested.size = size;
        digested.digest = fields[3];
        return true;
    } else if (kind == kRecordEnd && fields.size() == 2 && ParseIndex(fields[1], number) &&
               number == current->number) {
        current->closed = true;
        return true;
    } else {
        return false;
    }
    entry.path = fields[1];
    current->entries.push_back(entry);
    return true;
}

bool ReadWhole(HANDLE file, std::string& data)
{
    LARGE_INTEGER size = {};
    LARGE_INTEGER start = {};
    if (!GetFileSizeEx(file, &size) || !SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return false;
    data.assign((size_t)size.QuadPart, '\0');
    size_t done = 0;
    while (done < data.size()) {
        DWORD read = 0;
        if (!ReadFile(file, &data[done], (DWORD)(data.size() - done), &read, nullptr))
            return false;
        if (read == 0)
            break;
        done += read;
    }
    data.resize(done);
    return true;
}

// Each whole line of `data` up to `end`, without its line end.
template <class Visit>
void ForEachLine(const std::string& data, size_t end, Visit visit)
{
    for (size_t start = 0, newline; start < end && (newline = data.find('\n', start)) != std::string::npos;
         start = newline + 1) {
        const size_t length = newline > start && data[newline - 1] == '\r' ? newline - 1 - start : newline - start;
        visit(data.substr(start, length));
    }
}

bool StartsWithLine(HANDLE file, const char* line)
{
    const std::string expected = std::string(line) + "\r\n";
    std::string start(expected.size(), '\0');
    DWORD read = 0;
    LARGE_INTEGER zero = {};
    const bool same = ReadFile(file, &start[0], (DWORD)start.size(), &read, nullptr) && read == start.size() &&
                      start == expected;
    SetFilePointerEx(file, zero, nullptr, FILE_BEGIN);
    return same;
}

// Rewrites the journal `file` of the first format, open to write, in the
// current one: every whole line with its checksum, under another name,
// flushed, then renamed over it. The journal open again, or
// INVALID_HANDLE_VALUE with the last error set; one that cannot be read is
// left for the caller to refuse.
HANDLE Rewrite(const std::string& dataFolder, HANDLE file)
{
    JournalContents contents;
    std::string data;
    if (!ReadJournal(file, contents) || !ReadWhole(file, data)) {
        if (GetLastError() == ERROR_INVALID_DATA)
            return file;
        DWORD error = GetLastError();
        CloseHandle(file);
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    ScopedFile journal(file);
    std::string text;
    bool header = true;
    ForEachLine(data, (size_t)contents.end, [&](const std::string& line) {
        text += header ? JournalLine({kJournalHeader}) : JournalLine(Split(line));
        header = false;
    });
    const std::wstring path = Wide(dataFolder + "\\" + kJournalFile);
    const std::wstring rewritten = Wide(dataFolder + "\\" + kRewrittenFile);
    ScopedFile out(CreateFileW(rewritten.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
    bool written = out.IsValid() && AppendToJournal(out.Get(), text, true);
    DWORD error = GetLastError();
    out.Reset();
    journal.Reset();
    if (written && MoveFileExW(rewritten.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (written)
        error = GetLastError();
    DeleteFileW(rewritten.c_str());
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

} // namespace

std::string JournalLine(const std::vector<std::string>& fields)
{
    std::string line;
    for (const std::string& field : fields) {
        if (!line.empty())
            line += '\t';
        line += field;
    }
    // The header alone carries no checksum: it tells whether the lines do.
    if (fields.size() == 1 && fields[0] == kJournalHeader)
        return line + "\r\n";
    return line + '\t' + Checksum(line) + "\r\n";
}

bool ReadJournal(HANDLE file, JournalContents& contents)
{
    contents = JournalContents();
    std::string data;
    if (!ReadWhole(file, data))
        return false;
    enum { Unknown, First, Current } format = Unknown;
    int number = 0;
    for (size_t start = 0; start < data.size(); ++number) {
        const size_t newline = data.find('\n', start);
        // Damaged as a write cut short leaves it (tolerated in the last line
        // alone), or a record that does not belong where it stands.
        bool damaged = newline == std::string::npos;
        bool invalid = false;
        if (!damaged) {
            std::string line = data.substr(start, newline - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            // Two lines run together: damage no write cut short leaves.
            invalid = line.find('\r') != std::string::npos;
            std::string text = line;
            if (format == Unknown) {
                format = line == kJournalHeader ? Current : line == kJournalHeaderFirst ? First : Unknown;
                damaged = format == Unknown;
            } else if (format == Current && !CheckedText(line, text)) {
                damaged = true;
            } else if (!invalid && !ApplyRecord(Split(text), format == First, (LONGLONG)start, contents)) {
                // A line of the first format has no checksum to tell its damage by.
                damaged = format == First;
                invalid = !damaged;
            }
        }
        const bool last = newline == std::string::npos || newline + 1 == data.size();
        if (invalid || (damaged && !last)) {
            contents = JournalContents();
            contents.damagedLine = number + 1;
            SetLastError(ERROR_INVALID_DATA);
            return false;
        }
        if (damaged)
            break;
        contents.end = (LONGLONG)(newline + 1);
        start = newline + 1;
    }
    return true;
}

std::string JournalPlace(const std::string& journal, const JournalContents& contents)
{
    return contents.damagedLine ? Format("%s, line %d", journal.c_str(), contents.damagedLine) : journal;
}

HANDLE OpenJournal(const std::string& dataFolder, JournalAccess access)
{
    const std::wstring path = Wide(dataFolder + "\\" + kJournalFile);
    const bool exists = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!IsDataFolderTrusted(dataFolder) || (exists && !IsProtected(Utf8(path)))) {
        SetLastError(ERROR_INVALID_SECURITY_DESCR);
        return INVALID_HANDLE_VALUE;
    }
    if (access == JournalAccess::Read)
        return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              access == JournalAccess::Create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE || !StartsWithLine(file, kJournalHeaderFirst))
        return file;
    return Rewrite(dataFolder, file);
}

std::wstring LongPath(const std::string& path)
{
    const bool drivePath = path.size() > 2 && path[1] == ':' && path[2] == '\\';
    return drivePath ? L"\\\\?\\" + Wide(path) : Wide(path);
}

bool CutJournal(HANDLE file, LONGLONG offset)
{
    LARGE_INTEGER position;
    position.QuadPart = offset;
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

bool AppendToJournal(HANDLE file, const std::string& text, bool flush)
{
    LARGE_INTEGER end = {};
    LARGE_INTEGER zero = {};
    if (!SetFilePointerEx(file, zero, &end, FILE_CURRENT))
        return false;
    DWORD written = 0;
    bool whole = WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr) != FALSE;
    if (whole && written != text.size()) {
        whole = false;
        SetLastError(ERROR_DISK_FULL);
    }
    if (whole && flush)
        whole = FlushFileBuffers(file) != FALSE;
    if (whole)
        return true;
    // Lines that are not on disk whole must not be taken for a record of changes.
    DWORD error = GetLastError();
    CutJournal(file, end.QuadPart);
    SetLastError(error);
    return false;
}

bool AppendJournalRecord(const std::string& dataFolder, const std::vector<std::string>& fields)
{
    ScopedFile file(OpenJournal(dataFolder, JournalAccess::Write));
    JournalContents contents;
    return file.IsValid() && ReadJournal(file.Get(), contents) && CutJournal(file.Get(), contents.end) &&
           AppendToJournal(file.Get(), JournalLine(fields), true);
}
