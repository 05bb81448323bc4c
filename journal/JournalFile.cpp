#include "journal/JournalFile.h"

#include "journal/DataFolder.h"
#include "win/Handle.h"
#include "win/ProtectedFolder.h"
#include "win/Unicode.h"

const char kJournalFile[] = "journal.txt";
const char kJournalHeader[] = "Fernwick journal 1";

const char kRecordBegin[] = "begin";
const char kRecordFolder[] = "folder";
const char kRecordFile[] = "file";
const char kRecordReplace[] = "replace";
const char kRecordDigest[] = "digest";
const char kRecordUndone[] = "undone";
const char kRecordEnd[] = "end";
const char kRecordKitName[] = "kit";
const char kRecordHanded[] = "handed";
const char kRecordGone[] = "gone";

namespace {

std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
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

// A backup lies below the data folder's backup folder, and nowhere else.
bool IsBackupPath(const std::string& path)
{
    return path.compare(0, 7, "backup\\") == 0 && path.find(':') == std::string::npos &&
           path.find("\\..") == std::string::npos && path.find("\\\\") == std::string::npos;
}

JournalSession* FindSession(JournalContents& contents, int number)
{
    for (JournalSession& session : contents.sessions)
        if (session.number == number)
            return &session;
    return nullptr;
}

// Applies one line to what was read so far; false when it is no valid record
// in that place.
bool ApplyLine(const std::string& line, LONGLONG offset, JournalContents& contents)
{
    const std::vector<std::string> fields = Split(line);
    const std::string& kind = fields[0];
    JournalSession* current = contents.sessions.empty() ? nullptr : &contents.sessions.back();
    int number = 0;
    if (kind == kRecordBegin && fields.size() == 3 && ParseIndex(fields[1], number)) {
        if (FindSession(contents, number))
            return false;
        JournalSession session;
        session.number = number;
        session.offset = offset;
        contents.sessions.push_back(session);
        return true;
    }
    if (kind == kRecordUndone && fields.size() == 3 && ParseIndex(fields[1], number)) {
        JournalSession* session = FindSession(contents, number);
        int entry = 0;
        if (!session || !ParseIndex(fields[2], entry) || entry > (int)session->entries.size())
            return false;
        session->entries[entry - 1].undone = true;
        return true;
    }
    if (kind == kRecordKitName && fields.size() == 2 && !fields[1].empty()) {
        contents.kitName = fields[1];
        return true;
    }
    if (kind == kRecordHanded && fields.size() == 2 && !fields[1].empty()) {
        contents.handedFolders.push_back(fields[1]);
        return true;
    }
    if (kind == kRecordGone && fields.size() == 2 && !fields[1].empty()) {
        contents.goneFiles.push_back(fields[1]);
        return true;
    }
    if (!current || current->closed)
        return false;
    JournalEntry entry;
    if (kind == kRecordFolder && fields.size() == 2 && !fields[1].empty()) {
        entry.kind = JournalEntry::Folder;
    } else if (kind == kRecordFile && fields.size() == 2 && !fields[1].empty()) {
        entry.kind = JournalEntry::NewFile;
    } else if (kind == kRecordReplace && fields.size() == 3 && !fields[1].empty() && IsBackupPath(fields[2])) {
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

} // namespace

std::string JournalLine(const std::vector<std::string>& fields)
{
    std::string line;
    for (const std::string& field : fields) {
        if (!line.empty())
            line += '\t';
        line += field;
    }
    return line + "\r\n";
}

bool ReadJournal(HANDLE file, JournalContents& contents)
{
    contents = JournalContents();
    std::string data;
    if (!ReadWhole(file, data))
        return false;
    bool header = true;
    for (size_t start = 0, end; (end = data.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = data.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (header) {
            if (line != kJournalHeader) {
                SetLastError(ERROR_INVALID_DATA);
                return false;
            }
            header = false;
        } else if (!ApplyLine(line, (LONGLONG)start, contents)) {
            return true;
        }
        contents.end = (LONGLONG)(end + 1);
    }
    return true;
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
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                       access == JournalAccess::Create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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

bool AppendJournalRecord(const std::string& dataFolder, const std::vector<std::string>& fields)
{
    ScopedFile file(OpenJournal(dataFolder, JournalAccess::Write));
    JournalContents contents;
    if (!file.IsValid() || !ReadJournal(file.Get(), contents) || !CutJournal(file.Get(), contents.end))
        return false;
    const std::string line = JournalLine(fields);
    DWORD written = 0;
    if (!WriteFile(file.Get(), line.data(), (DWORD)line.size(), &written, nullptr))
        return false;
    if (written != line.size()) {
        CutJournal(file.Get(), contents.end);
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    return FlushFileBuffers(file.Get()) != FALSE;
}
