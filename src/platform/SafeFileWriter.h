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
// A symbolic link is followed to its final target, so the link stays a link. The new
// file keeps the target's permission bits. An existing file without write permission
// for its owner is refused.
class SafeFileWriter {
public:
    // Writes up to size bytes to an open file descriptor like POSIX write(): answers
    // the number of bytes written, or -1 with errno set.
    using WriteFunction = std::function<std::ptrdiff_t(int fd, const char* data, std::size_t size)>;

    // `write` stands in for the system call, so that tests can simulate a full disk.
    explicit SafeFileWriter(std::filesystem::path target, WriteFunction write = systemWrite);
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

    // The operating system's write call.
    static std::ptrdiff_t systemWrite(int fd, const char* data, std::size_t size);

private:
    bool writeAll(const char* data, std::size_t size);
    bool flushBuffer();
    bool fail(std::string reason);
    void discard();

    std::filesystem::path target_;
    std::filesystem::path resolved_;
    std::filesystem::path temp_;
    WriteFunction write_;
    std::string buffer_;
    std::string error_;
    int fd_ = -1;
};

} // namespace lumarik::platform
