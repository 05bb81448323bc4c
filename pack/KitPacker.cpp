#include "pack/KitPacker.h"

#include <zlib.h>

#include <iterator>
#include <vector>

#include "kit/KitName.h"
#include "pack/EntryName.h"
#include "pack/FileStreams.h"
#include "pack/PackDigest.h"
#include "pack/ProgramImage.h"
#include "win/FileSystem.h"
#include "win/Handle.h"
#include "win/Strings.h"
#include "win/SystemError.h"
#include "win/Unicode.h"

namespace {

const size_t kChunkSize = 256 * 1024;
// As zip -9: the smallest deflate output, whatever it costs.
const int kLevel = 9;

const char* const kKitFiles[] = {"intro.txt", "license.txt", "readme.txt"};
const char* const kKitTrees[] = {"common", "fp98", "fp2000", "fp2003"};

// True when `name` is one of the `count` `names`, in any letter case (they are ASCII).
bool IsOneOf(const std::wstring& name, const char* const* names, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (EqualNoCase(Utf8(name), names[i]))
            return true;
    }
    return false;
}

uint64_t Join(DWORD high, DWORD low)
{
    return (uint64_t)high << 32 | low;
}

class KitPacker {
public:
    KitPacker(const std::string& kitFolder, const PackProgress& progress, std::string& reason)
        : m_kit(Wide(kitFolder)), m_kitFolder(KitFolderName(kitFolder)), m_progress(progress), m_reason(reason), m_buffer(kChunkSize),
          m_packed(kChunkSize)
    {
    }
    ~KitPacker()
    {
        if (m_deflating)
            deflateEnd(&m_stream);
    }

    bool ListKit();
    // Writes the whole packed program to `out`, which is empty.
    bool Write(const std::string& program, HANDLE out, const std::string& outPath);

private:
    bool Fail(const std::string& what, const std::wstring& path);
    bool Fail(const std::string& what, const std::string& path);
    bool Add(const WIN32_FIND_DATAW& found, const std::wstring& name);
    bool ListTree(const std::wstring& name);
    bool CopyImage(const std::string& program, FileWriter& writer);
    bool PackFile(PackEntry& entry, FileWriter& writer, uint64_t dataStart);
    bool Compress(HANDLE source, PackEntry& entry, FileWriter& writer);
    bool Store(HANDLE source, PackEntry& entry, FileWriter& writer);

    std::wstring m_kit;
    std::string m_kitFolder;
    const PackProgress& m_progress;
    std::string& m_reason;
    std::vector<PackEntry> m_entries;
    int m_files = 0;
    std::vector<char> m_buffer;
    std::vector<char> m_packed;
    z_stream m_stream = {};
    bool m_deflating = false;
    std::string m_outPath;
};

bool KitPacker::Fail(const std::string& what, const std::wstring& path)
{
    return Fail(what, Utf8(path));
}

bool KitPacker::Fail(const std::string& what, const std::string& path)
{
    m_reason = Format("%s %s: %s", what.c_str(), path.c_str(), SystemErrorText(GetLastError()).c_str());
    return false;
}

// Adds the entry found as `name`; false when the unpacker would refuse its name
// (Windows holds such names only when reached by special paths).
bool KitPacker::Add(const WIN32_FIND_DATAW& found, const std::wstring& name)
{
    PackEntry entry;
    entry.name = Utf8(name);
    std::string fault = entry.name.size() > kPackMaxNameSize ? "a name too long" : EntryNameFault(entry.name);
    if (!fault.empty()) {
        m_reason = Format("Cannot pack %s\\%s: %s", Utf8(m_kit).c_str(), entry.name.c_str(), fault.c_str());
        return false;
    }
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        entry.kind = kPackFolder;
    } else {
        entry.attributes = found.dwFileAttributes & kPackedAttributes;
        entry.written = Join(found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime);
        entry.size = Join(found.nFileSizeHigh, found.nFileSizeLow);
        ++m_files;
    }
    m_entries.push_back(entry);
    return true;
}

bool KitPacker::ListKit()
{
    std::vector<std::wstring> trees;
    const Listing listing = FindEntries(m_kit + L"\\*", [&](const WIN32_FIND_DATAW& found) {
        bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        bool tree = folder && IsOneOf(found.cFileName, kKitTrees, std::size(kKitTrees));
        if ((tree || (!folder && IsOneOf(found.cFileName, kKitFiles, std::size(kKitFiles)))) &&
            !Add(found, found.cFileName))
            return false;
        if (tree)
            trees.push_back(found.cFileName);
        return true;
    });
    if (listing == Listing::Stopped)
        return false;
    if (listing == Listing::Failed)
        return Fail("Cannot read folder", m_kit);
    for (const std::wstring& tree : trees) {
        if (!ListTree(tree))
            return false;
    }
    return true;
}

// Lists what is below the folder `name` of the kit, each folder before what it holds.
bool KitPacker::ListTree(const std::wstring& name)
{
    const std::wstring folder = m_kit + L"\\" + name;
    std::vector<std::wstring> folders;
    const Listing listing = FindEntries(folder + L"\\*", [&](const WIN32_FIND_DATAW& found) {
        const std::wstring child = name + L"\\" + found.cFileName;
        if (!Add(found, child))
            return false;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            folders.push_back(child);
        return true;
    });
    if (listing == Listing::Stopped)
        return false;
    if (listing == Listing::Failed)
        return Fail("Cannot read folder", folder);
    for (const std::wstring& sub : folders) {
        if (!ListTree(sub))
            return false;
    }
    return true;
}

bool KitPacker::Write(const std::string& program, HANDLE out, const std::string& outPath)
{
    m_outPath = outPath;
    if (deflateInit2(&m_stream, kLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return Fail("Cannot pack into", outPath);
    }
    m_deflating = true;

    FileWriter writer(out);
    if (!CopyImage(program, writer))
        return false;
    const uint64_t payloadStart = writer.Position();
    PackHeader header;
    // A name no folder can have (a drive's root) keeps the default.
    if (EntryNameFault(m_kitFolder).empty())
        header.kitFolder = m_kitFolder;
    header.entryCount = (uint32_t)m_entries.size();
    for (const PackEntry& entry : m_entries)
        header.tableSize += kPackEntryFixedSize + entry.name.size();

    // The data first, after room for the header and table, which need its sizes.
    const std::string headerBytes = EncodePackHeader(header);
    const uint64_t dataStart = payloadStart + headerBytes.size() + header.tableSize;
    if (!writer.Seek(dataStart, false))
        return Fail("Cannot write", outPath);
    int done = 0;
    if (m_progress)
        m_progress(done, m_files);
    for (PackEntry& entry : m_entries) {
        if (entry.kind != kPackFile)
            continue;
        if (!PackFile(entry, writer, dataStart))
            return false;
        if (m_progress)
            m_progress(++done, m_files);
    }
    header.dataSize = writer.Position() - dataStart;
    const uint64_t padding = (kPackAlignment - (writer.Position() + kPackTrailerSize) % kPackAlignment) % kPackAlignment;
    if (!writer.Write(std::string((size_t)padding, '\0').data(), (size_t)padding))
        return Fail("Cannot write", outPath);
    PackTrailer trailer;
    trailer.payloadSize = writer.Position() - payloadStart;

    if (!writer.Seek(payloadStart, false) || !writer.Write(EncodePackHeader(header).data(), headerBytes.size()))
        return Fail("Cannot write", outPath);
    for (const PackEntry& entry : m_entries) {
        std::string bytes = EncodePackEntry(entry);
        if (!writer.Write(bytes.data(), bytes.size()))
            return Fail("Cannot write", outPath);
    }
    if (!writer.Flush())
        return Fail("Cannot write", outPath);

    // The digest in the order of the file: read back what was written.
    std::string trailerBytes = EncodePackTrailer(trailer);
    const uint64_t trailerStart = payloadStart + trailer.payloadSize;
    ProgramLayout layout;
    if (!writer.Seek(trailerStart, false) || !writer.Write(trailerBytes.data(), 8) || !writer.Flush())
        return Fail("Cannot write", outPath);
    if (!ReadProgramLayout(out, layout))
        return Fail("Cannot read", outPath);
    trailer.digest = PackDigest(out, layout, trailerStart);
    if (trailer.digest.empty())
        return Fail("Cannot read", outPath);
    trailerBytes = EncodePackTrailer(trailer);
    if (!writer.Seek(trailerStart, false) || !writer.Write(trailerBytes.data(), trailerBytes.size()) ||
        !writer.Flush())
        return Fail("Cannot write", outPath);
    return true;
}

bool KitPacker::CopyImage(const std::string& program, FileWriter& writer)
{
    ScopedFile source(CreateFileW(Wide(program).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    bool readFailed = true;
    if (source.IsValid() && CopyProgramImage(source.Get(), writer, readFailed))
        return true;
    return readFailed ? Fail("Cannot read the program", program) : Fail("Cannot write", m_outPath);
}

bool KitPacker::PackFile(PackEntry& entry, FileWriter& writer, uint64_t dataStart)
{
    const std::wstring path = m_kit + L"\\" + Wide(entry.name);
    ScopedFile source(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source.IsValid())
        return Fail("Cannot read file", path);
    entry.offset = writer.Position() - dataStart;
    if (!Compress(source.Get(), entry, writer))
        return false;
    if (entry.packedSize < entry.size)
        return true;
    // Data that deflate cannot make smaller is stored as it is, as zip does.
    LARGE_INTEGER start = {};
    if (!writer.Seek(dataStart + entry.offset, true) || !SetFilePointerEx(source.Get(), start, nullptr, FILE_BEGIN))
        return Fail("Cannot write", m_outPath);
    return Store(source.Get(), entry, writer);
}

// Deflates the file into the data, and notes its size, packed size and CRC-32.
bool KitPacker::Compress(HANDLE source, PackEntry& entry, FileWriter& writer)
{
    deflateReset(&m_stream);
    entry.method = kPackDeflated;
    entry.size = 0;
    entry.packedSize = 0;
    entry.crc = crc32(0, nullptr, 0);
    for (int flush = Z_NO_FLUSH; flush != Z_FINISH;) {
        DWORD read = 0;
        if (!ReadFile(source, m_buffer.data(), (DWORD)m_buffer.size(), &read, nullptr))
            return Fail("Cannot read file", m_kit + L"\\" + Wide(entry.name));
        flush = read == 0 ? Z_FINISH : Z_NO_FLUSH;
        entry.size += read;
        entry.crc = crc32(entry.crc, (const Bytef*)m_buffer.data(), read);
        m_stream.next_in = (Bytef*)m_buffer.data();
        m_stream.avail_in = read;
        do {
            m_stream.next_out = (Bytef*)m_packed.data();
            m_stream.avail_out = (uInt)m_packed.size();
            deflate(&m_stream, flush);
            size_t size = m_packed.size() - m_stream.avail_out;
            if (!writer.Write(m_packed.data(), size))
                return Fail("Cannot write", m_outPath);
            entry.packedSize += size;
        } while (m_stream.avail_out == 0);
    }
    return true;
}

bool KitPacker::Store(HANDLE source, PackEntry& entry, FileWriter& writer)
{
    entry.method = kPackStored;
    entry.size = 0;
    entry.crc = crc32(0, nullptr, 0);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(source, m_buffer.data(), (DWORD)m_buffer.size(), &read, nullptr))
            return Fail("Cannot read file", m_kit + L"\\" + Wide(entry.name));
        if (read == 0)
            break;
        entry.size += read;
        entry.crc = crc32(entry.crc, (const Bytef*)m_buffer.data(), read);
        if (!writer.Write(m_buffer.data(), read))
            return Fail("Cannot write", m_outPath);
    }
    entry.packedSize = entry.size;
    return true;
}

// A new empty file beside `output`, named by the system so it is no one else's.
std::string TemporaryBeside(const std::string& output)
{
    size_t slash = output.find_last_of('\\');
    std::wstring folder = Wide(slash == std::string::npos ? "." : output.substr(0, slash));
    wchar_t name[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"fwk", 0, name))
        return std::string();
    return Utf8(name, wcslen(name));
}

} // namespace

bool PackKit(const std::string& program, const std::string& kitFolder, const std::string& output,
             const PackProgress& progress, std::string& reason)
{
    KitPacker packer(kitFolder, progress, reason);
    if (!packer.ListKit())
        return false;
    const std::string temporary = TemporaryBeside(output);
    if (temporary.empty()) {
        reason = Format("Cannot create a file beside %s: %s", output.c_str(), SystemErrorText(GetLastError()).c_str());
        return false;
    }
    ScopedFile out(CreateFileW(Wide(temporary).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    bool written = false;
    if (!out.IsValid())
        reason = Format("Cannot write %s: %s", temporary.c_str(), SystemErrorText(GetLastError()).c_str());
    else
        written = packer.Write(program, out.Get(), temporary);
    if (written && !FlushFileBuffers(out.Get())) {
        reason = Format("Cannot write %s: %s", temporary.c_str(), SystemErrorText(GetLastError()).c_str());
        written = false;
    }
    out.Reset();
    if (written && !MoveFileExW(Wide(temporary).c_str(), Wide(output).c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        reason = Format("Cannot replace %s: %s", output.c_str(), SystemErrorText(GetLastError()).c_str());
        written = false;
    }
    if (!written)
        DeleteFileW(Wide(temporary).c_str());
    return written;
}
