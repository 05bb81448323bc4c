// The kit a packed program carries, unpacked into a folder of its own for as
// long as the object lives.
#pragma once
#include <windows.h>

#include <string>

#include "pack/PackFormat.h"

class FileReader;
struct z_stream_s;

class UnpackedKit {
public:
    enum Result {
        kNotPacked, // a program without a kit: nothing done
        kUnpacked,  // Folder() holds the kit
        kDamaged,   // cut short, changed, or an entry refused: nothing left on disk
        kFailed,    // a system call failed (a full disk): nothing left on disk
    };

    UnpackedKit() = default;
    // Removes the folder with everything in it.
    ~UnpackedKit();
    UnpackedKit(const UnpackedKit&) = delete;
    UnpackedKit& operator=(const UnpackedKit&) = delete;

    // Looks for a kit packed into the program file `program` (once per object).
    // Checks the trailer, the digest and the whole table before it writes
    // anything, then unpacks into a new folder below the system's temporary
    // folder that only administrators and SYSTEM may change (into a folder of
    // the kit folder's name in it), checking each
    // file's data against its size and CRC-32 as it goes. Memory stays the same
    // whatever the kit's size. `progress` may be empty.
    Result Unpack(const std::string& program, const PackProgress& progress);

    // The kit's folder after kUnpacked; empty otherwise.
    const std::string& Folder() const { return m_folder; }
    // Why the kit is kDamaged or kFailed, for the log.
    const std::string& Reason() const { return m_reason; }

private:
    // Each sets the result and the reason, and returns false.
    bool Damaged(const std::string& reason);
    bool Failed(const std::string& what, const std::string& path);
    // Damaged when the last error says an entry's name was taken or its folder
    // not made before it; Failed otherwise.
    bool CreateFault(const std::string& what, const std::string& path);

    // Sets where the table starts.
    bool FindPayload(HANDLE file, uint64_t& tableStart, PackHeader& header);
    bool ReadEntry(FileReader& table, PackEntry& entry);
    bool CheckTable(HANDLE file, uint64_t tableStart, const PackHeader& header, int& files);
    bool CreateFolder(const std::string& kitFolder);
    bool UnpackEntries(HANDLE file, uint64_t tableStart, const PackHeader& header, int files,
                       const PackProgress& progress);
    bool UnpackFile(FileReader& data, z_stream_s& stream, const PackEntry& entry, const std::string& path);
    bool Inflate(FileReader& data, z_stream_s& stream, const PackEntry& entry, HANDLE out, const std::string& path,
                 uint32_t& crc);
    void RemoveFolder();

    std::string m_program;
    // The folder of its own, and the kit's folder in it.
    std::string m_root;
    std::string m_folder;
    std::string m_reason;
    Result m_result = kNotPacked;
};
