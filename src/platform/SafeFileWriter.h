#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace lumarik::platform {

// Writes a new version of a file without ever leaving a half-written one: the bytes
// go to a temporary file beside the target, which takes the target's place only after
// every byte was written, flushed to disk and the file closed. On any failure the
// temporary file is removed and the target stays as it was.
//
// Once the new file is in place, the folder is synced too, so that a power cut after
// a reported success cannot bring the old file back.
//
// A symbolic link is followed to its final target, so the link stays a link. The new
// file keeps the target's permission bits, and its owner and group where the process
// may set them. An existing file is refused as read-only when the process may not
// write it, or when no one may (no write permission bit at all), which holds even
// for the superuser, as the read-only mark does on Windows.
class SafeFileWriter {
public:
    // Writes up to size bytes to an open file descriptor like POSIX write(): answers
    // the number of bytes written, or -1 with errno set.
    using WriteFunction = std::function<std::ptrdiff_t(int fd, const char* data, std::size_t size)>;
    // Flushes an open file or folder to the disk like POSIX fsync(): answers 0, or -1
    // with errno set.
    using SyncFunction = std::function<int(int fd)>;

    // `write` and `sync` stand in for the system calls, so that tests can simulate a
    // full disk or see what is synced when.
    explicit SafeFileWriter(std::filesystem::path target, WriteFunction write = systemWrite,
                            SyncFunction sync = systemSync);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Checks that the target may be replaced and creates the temporary file.
    bool open();
    // Appends bytes to the new version (buffered).
    bool write(std::string_view bytes);
    // Writes out the buffer, syncs and closes the temporary file, then puts it in the
    // target's place.
    bool commit();

    // Why the last call failed, as a short English reason.
    const std::string& error() const { return error_; }

    // The operating system's write and sync calls.
    static std::ptrdiff_t systemWrite(int fd, const char* data, std::size_t size);
    static int systemSync(int fd);

private:
    bool writeAll(const char* data, std::size_t size);
    bool flushBuffer();
    bool fail(std::string reason);
    void discard();
    // Gives the temporary file the target's owner, group and permission bits.
    bool takeOverAttributes();
    bool syncFolder();

    std::filesystem::path target_;
    std::filesystem::path resolved_;
    std::filesystem::path temp_;
    WriteFunction write_;
    SyncFunction sync_;
    std::string buffer_;
    std::string error_;
    int fd_ = -1;
};

} // namespace lumarik::platform
