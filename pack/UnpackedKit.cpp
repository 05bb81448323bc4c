#include "pack/UnpackedKit.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "pack/EntryName.h"
#include "pack/FileStreams.h"
#include "pack/PackDigest.h"
#include "pack/ProgramImage.h"
#include "win/FileSystem.h"
#include "win/FolderTree.h"
#include "win/Handle.h"
#include "win/ProtectedFolder.h"
#include "win/Strings.h"
#include "win/SystemError.h"
#include "win/Unicode.h"

namespace {

const size_t kChunkSize = 64 * 1024;
// The latest time a file can be given: later ones read as negative.
const uint64_t kLatestFileTime = 0x7FFFFFFFFFFFFFFFull;

// Why the table's entry may not be unpacked, or empty when it may. Its data
// must begin where the data of the file before it ends (`offset`), so no two
// entries share data and every byte of the data belongs to one entry.
std::string EntryFault(const PackEntry& entry, uint64_t offset, uint64_t dataSize)
{
    if (entry.name.size() > kPackMaxNameSize)
        return "a name too long";
    std::string nameFault = EntryNameFault(entry.name);
    if (!nameFault.empty())
        return nameFault;
    if (entry.kind == kPackFolder) {
        bool bare = entry.method == kPackStored && entry.attributes == 0 && entry.written == 0 && entry.size == 0 &&
                    entry.packedSize == 0 && entry.offset == 0 && entry.crc == 0;
        return bare ? std::string() : "a folder with data";
    }
    if (entry.kind != kPackFile)
        return "an unknown kind of entry";
    if (entry.written > kLatestFileTime)
        return "a file time the system does not take";
    if (entry.method != kPackStored && entry.method != kPackDeflated)
        return "an unknown method";
    if (entry.method == kPackStored && entry.packedSize != entry.size)
        return "stored data of another size than the file's";
    if (entry.offset != offset)
        return "data that is not where the file before it ends";
    if (entry.packedSize > dataSize - offset)
        return "data beyond the end of the data";
    return std::string();
}

// The unpack folders below the temporary folder: this prefix, the process id
// of the setup that made one, a dash and a number.
const char kFolderPrefix[] = "fernwick-kit-";

// The id of the setup whose unpack folder is named `name`; 0 when the name is
// none of an unpack folder.
DWORD SetupOfFolder(const std::string& name)
{
    const size_t prefix = sizeof kFolderPrefix - 1;
    const size_t dash = name.find('-', prefix);
    auto digits = [&](size_t from, size_t to) {
        return to > from && name.find_first_not_of("0123456789", from) >= to;
    };
    // Ten digits hold any process id, and no more than fit the number read.
    if (name.compare(0, prefix, kFolderPrefix) != 0 || dash == std::string::npos || !digits(prefix, dash) ||
        dash - prefix > 10 || !digits(dash + 1, name.size()))
        return 0;
    unsigned long long id = 0;
    for (size_t i = prefix; i < dash; ++i)
        id = id * 10 + (unsigned)(name[i] - '0');
    return id <= MAXDWORD ? (DWORD)id : 0;
}

// True while a process of id `id` runs; also when the system will not say.
bool ProcessRuns(DWORD id)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process)
        return GetLastError() != ERROR_INVALID_PARAMETER;
    const bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return runs;
}

// Removes the unpack folders in `temp` that setups ended from outside have
// left: only a folder named as one, protected as a setup makes it (no link,
// no one else may change it), whose setup no longer runs.
void RemoveAbandonedFolders(const std::string& temp)
{
    std::vector<std::string> abandoned;
    FindEntries(Wide(temp + kFolderPrefix + "*"), [&](const WIN32_FIND_DATAW& found) {
        const std::string name = Utf8(found.cFileName, wcslen(found.cFileName));
        const DWORD setup = SetupOfFolder(name);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && setup != 0 && !ProcessRuns(setup) &&
            IsProtected(temp + name))
            abandoned.push_back(temp + name);
        return true;
    });
    for (const std::string& folder : abandoned)
        RemoveFolderTree(folder);
}

// A raw deflate decoder, made once and reset for each file.
struct Inflater {
    z_stream stream = {};
    bool ready = false;
    Inflater() { ready = inflateInit2(&stream, -MAX_WBITS) == Z_OK; }
    ~Inflater()
    {
        if (ready)
            inflateEnd(&stream);
    }
};

} // namespace

UnpackedKit::~UnpackedKit()
{
    RemoveFolder();
}

bool UnpackedKit::Damaged(const std::string& reason)
{
    m_result = kDamaged;
    m_reason = reason;
    return false;
}

bool UnpackedKit::Failed(const std::string& what, const std::string& path)
{
    m_result = kFailed;
    m_reason = Format("%s %s: %s", what.c_str(), path.c_str(), SystemErrorText(GetLastError()).c_str());
    return false;
}

bool UnpackedKit::CreateFault(const std::string& what, const std::string& path)
{
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS || error == ERROR_PATH_NOT_FOUND)
        return Damaged("Entry refused, its name is taken or its folder does not come before it: " +
                       path.substr(m_folder.size() + 1));
    return Failed(what, path);
}

UnpackedKit::Result UnpackedKit::Unpack(const std::string& program, const PackProgress& progress)
{
    m_program = program;
    m_result = kUnpacked;
    // No one may change the file between the check of its digest and the unpacking.
    ScopedFile file(CreateFileW(Wide(program).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.IsValid()) {
        Failed("Cannot open", program);
        return m_result;
    }
    uint64_t tableStart = 0;
    PackHeader header;
    int files = 0;
    if (!FindPayload(file.Get(), tableStart, header) || !CheckTable(file.Get(), tableStart, header, files) ||
        !CreateFolder(header.kitFolder))
        return m_result;
    if (!UnpackEntries(file.Get(), tableStart, header, files, progress))
        RemoveFolder();
    return m_result;
}

bool UnpackedKit::FindPayload(HANDLE file, uint64_t& tableStart, PackHeader& header)
{
    ProgramLayout layout;
    if (!ReadProgramLayout(file, layout)) {
        DWORD error = GetLastError();
        if (error == ERROR_BAD_EXE_FORMAT || error == ERROR_HANDLE_EOF)
            return Damaged("The program's headers are damaged, or the file is cut short.");
        return Failed("Cannot read", m_program);
    }
    if (layout.appendedEnd == layout.imageEnd) {
        m_result = kNotPacked;
        return false;
    }
    if (!CertificateTableFits(file, layout)) {
        if (GetLastError() != ERROR_INVALID_DATA)
            return Failed("Cannot read", m_program);
        return Damaged("The certificate table does not end the file in whole entries: it is changed, or something "
                       "was added after it.");
    }
    const uint64_t appended = layout.appendedEnd - layout.imageEnd;
    if (appended < kPackHeaderFixedSize + kPackTrailerSize)
        return Damaged("The packed kit is cut short: it has no room for its header and trailer.");
    char trailerBytes[kPackTrailerSize];
    if (!ReadAt(file, layout.appendedEnd - kPackTrailerSize, trailerBytes, sizeof trailerBytes))
        return Failed("Cannot read", m_program);
    PackTrailer trailer;
    if (!DecodePackTrailer(trailerBytes, trailer) || trailer.payloadSize != appended - kPackTrailerSize)
        return Damaged("The packed kit has no trailer where the file ends: it is cut short or changed.");

    const uint64_t start = layout.imageEnd;
    const std::string digest = PackDigest(file, layout, layout.appendedEnd - kPackTrailerSize);
    if (digest.empty())
        return Failed("Cannot read", m_program);
    if (digest != trailer.digest)
        return Damaged("The packed program's digest does not match: the file is changed.");

    char headerBytes[kPackHeaderFixedSize];
    if (!ReadAt(file, start, headerBytes, sizeof headerBytes))
        return Failed("Cannot read", m_program);
    size_t nameSize = 0;
    if (!DecodePackHeader(headerBytes, header, nameSize) || nameSize > kPackMaxNameSize ||
        kPackHeaderFixedSize + nameSize > trailer.payloadSize)
        return Damaged("The packed kit's header does not match its size.");
    header.kitFolder.assign(nameSize, '\0');
    if (nameSize > 0 && !ReadAt(file, start + kPackHeaderFixedSize, &header.kitFolder[0], nameSize))
        return Failed("Cannot read", m_program);
    // One plain name: the kit's folder, in the unpack folder.
    if (header.kitFolder.find_first_of("\\/") != std::string::npos || !EntryNameFault(header.kitFolder).empty())
        return Damaged("The packed kit's folder name is refused: " + header.kitFolder);
    tableStart = start + kPackHeaderFixedSize + nameSize;
    const uint64_t afterHeader = trailer.payloadSize - kPackHeaderFixedSize - nameSize;
    if (header.tableSize > afterHeader || header.dataSize > afterHeader - header.tableSize ||
        afterHeader - header.tableSize - header.dataSize >= kPackAlignment)
        return Damaged("The packed kit's header does not match its size.");
    return true;
}

bool UnpackedKit::ReadEntry(FileReader& table, PackEntry& entry)
{
    char fixed[kPackEntryFixedSize];
    if (table.Left() < sizeof fixed)
        return Damaged("The packed kit's table ends inside an entry.");
    if (!table.Read(fixed, sizeof fixed))
        return Failed("Cannot read", m_program);
    size_t nameSize = DecodePackEntry(fixed, entry);
    if (table.Left() < nameSize)
        return Damaged("The packed kit's table ends inside an entry.");
    entry.name.assign(nameSize, '\0');
    if (nameSize > 0 && !table.Read(&entry.name[0], nameSize))
        return Failed("Cannot read", m_program);
    return true;
}

bool UnpackedKit::CheckTable(HANDLE file, uint64_t tableStart, const PackHeader& header, int& files)
{
    FileReader table(file, tableStart, header.tableSize);
    uint64_t offset = 0;
    for (uint32_t i = 0; i < header.entryCount; ++i) {
        PackEntry entry;
        if (!ReadEntry(table, entry))
            return false;
        std::string fault = EntryFault(entry, offset, header.dataSize);
        if (!fault.empty())
            return Damaged(Format("Entry %u refused, %s: %s", i + 1, fault.c_str(), entry.name.c_str()));
        offset += entry.packedSize;
        files += entry.kind == kPackFile;
    }
    if (table.Left() != 0 || offset != header.dataSize)
        return Damaged("The packed kit's table does not match its data.");
    return true;
}

bool UnpackedKit::CreateFolder(const std::string& kitFolder)
{
    wchar_t temp[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH)
        return Failed("Cannot find", "the temporary folder");
    // A setup ended from outside left its folder: the next one clears it away.
    RemoveAbandonedFolders(Utf8(temp, length));
    // A folder that exists already is someone else's: never use it.
    for (int attempt = 1;; ++attempt) {
        std::string path = Utf8(temp, length) + Format("%s%lu-%d", kFolderPrefix, GetCurrentProcessId(), attempt);
        if (CreateProtectedFolder(path, false)) {
            m_root = path;
            m_folder = path + "\\" + kitFolder;
            if (CreateProtectedFolder(m_folder, false))
                return true;
            Failed("Cannot create folder", m_folder);
            RemoveFolder();
            return false;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS || attempt == 100)
            return Failed("Cannot create folder", path);
    }
}

bool UnpackedKit::UnpackEntries(HANDLE file, uint64_t tableStart, const PackHeader& header, int files,
                                const PackProgress& progress)
{
    FileReader table(file, tableStart, header.tableSize);
    FileReader data(file, tableStart + header.tableSize, header.dataSize);
    Inflater inflater;
    if (!inflater.ready) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return Failed("Cannot unpack", m_program);
    }
    int done = 0;
    if (progress)
        progress(done, files);
    for (uint32_t i = 0; i < header.entryCount; ++i) {
        PackEntry entry;
        if (!ReadEntry(table, entry))
            return false;
        std::string path = m_folder + "\\" + entry.name;
        if (entry.kind == kPackFolder) {
            if (!CreateDirectoryW(Wide(path).c_str(), nullptr))
                return CreateFault("Cannot create folder", path);
            continue;
        }
        if (!UnpackFile(data, inflater.stream, entry, path))
            return false;
        if (progress)
            progress(++done, files);
    }
    return true;
}

bool UnpackedKit::UnpackFile(FileReader& data, z_stream_s& stream, const PackEntry& entry, const std::string& path)
{
    ScopedFile out(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
    if (!out.IsValid())
        return CreateFault("Cannot create file", path);
    uint32_t crc = crc32(0, nullptr, 0);
    if (entry.method == kPackDeflated) {
        if (!Inflate(data, stream, entry, out.Get(), path, crc))
            return false;
    } else {
        for (uint64_t left = entry.size; left > 0;) {
            const char* bytes;
            size_t size;
            if (!data.Take((size_t)std::min<uint64_t>(left, kChunkSize), bytes, size))
                return Failed("Cannot read", m_program);
            crc = crc32(crc, (const Bytef*)bytes, (uInt)size);
            if (!WriteWhole(out.Get(), bytes, size))
                return Failed("Cannot write", path);
            left -= size;
        }
    }
    if (crc != entry.crc)
        return Damaged("Entry refused, its data does not match its CRC-32: " + entry.name);
    FILETIME written = {(DWORD)entry.written, (DWORD)(entry.written >> 32)};
    if (!SetFileTime(out.Get(), nullptr, nullptr, &written))
        return Failed("Cannot write", path);
    out.Reset();
    DWORD attributes = entry.attributes & kPackedAttributes;
    if (attributes != 0 && !SetFileAttributesW(Wide(path).c_str(), attributes))
        return Failed("Cannot write", path);
    return true;
}

bool UnpackedKit::Inflate(FileReader& data, z_stream_s& stream, const PackEntry& entry, HANDLE out,
                          const std::string& path, uint32_t& crc)
{
    inflateReset(&stream);
    std::vector<char> buffer(kChunkSize);
    uint64_t left = entry.packedSize;
    uint64_t produced = 0;
    for (int status = Z_OK; status != Z_STREAM_END;) {
        if (stream.avail_in == 0 && left > 0) {
            const char* bytes;
            size_t size;
            if (!data.Take((size_t)std::min<uint64_t>(left, kChunkSize), bytes, size))
                return Failed("Cannot read", m_program);
            stream.next_in = (Bytef*)bytes;
            stream.avail_in = (uInt)size;
            left -= size;
        }
        stream.next_out = (Bytef*)buffer.data();
        stream.avail_out = (uInt)buffer.size();
        status = inflate(&stream, Z_NO_FLUSH);
        if (status == Z_MEM_ERROR) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return Failed("Cannot unpack", path);
        }
        if (status != Z_OK && status != Z_STREAM_END)
            return Damaged("Entry refused, its data is no deflate stream of its packed size: " + entry.name);
        size_t size = buffer.size() - stream.avail_out;
        produced += size;
        if (produced > entry.size)
            return Damaged("Entry refused, its data is longer than the table says: " + entry.name);
        crc = crc32(crc, (const Bytef*)buffer.data(), (uInt)size);
        if (!WriteWhole(out, buffer.data(), size))
            return Failed("Cannot write", path);
    }
    // The stream must end exactly where the entry's packed data ends.
    if (stream.avail_in != 0 || left != 0)
        return Damaged("Entry refused, its deflate stream ends before its packed data: " + entry.name);
    if (produced != entry.size)
        return Damaged("Entry refused, its data is shorter than the table says: " + entry.name);
    return true;
}

void UnpackedKit::RemoveFolder()
{
    if (m_root.empty())
        return;
    RemoveFolderTree(m_root);
    m_root.clear();
    m_folder.clear();
}
