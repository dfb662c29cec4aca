#include "platform/SafeFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace lumarik::platform {

namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 20;
// Largest single write handed to the system (Windows counts in 32 bits).
constexpr std::size_t kMaxWriteChunk = std::size_t{1} << 30;
constexpr int kMaxLinkHops = 40;
constexpr int kMaxNameAttempts = 100;

std::string reasonFromErrno(int err) {
    return std::generic_category().message(err);
}

// Follows symbolic links hop by hop to the file a path finally names; a link to a file
// that does not exist yet names that file.
bool resolveLinks(fs::path& path, std::string& reason) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec))) {
            return true;
        }
        const fs::path link = fs::read_symlink(path, ec);
        if (ec) {
            reason = ec.message();
            return false;
        }
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    reason = std::make_error_code(std::errc::too_many_symbolic_link_levels).message();
    return false;
}

int createExclusive(const fs::path& path) {
#ifdef _WIN32
    return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    // 0666 lets the user's umask decide the mode of a new file.
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
}

// True when the process may write the file, and someone may: a file without any write
// permission bit is marked read-only, which holds even for the superuser.
bool isWritableFile(const fs::path& path, fs::perms permissions) {
    constexpr fs::perms anyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((permissions & anyWrite) == fs::perms::none) {
        return false;
    }
#ifdef _WIN32
    return _waccess(path.c_str(), 2) == 0;
#else
    return ::access(path.c_str(), W_OK) == 0;
#endif
}

int closeFile(int fd) {
#ifdef _WIN32
    return _close(fd);
#else
    return ::close(fd);
#endif
}

} // namespace

SafeFileWriter::SafeFileWriter(fs::path target, WriteFunction write, SyncFunction sync)
    : target_(std::move(target)), write_(std::move(write)), sync_(std::move(sync)) {}

SafeFileWriter::~SafeFileWriter() {
    discard();
}

std::ptrdiff_t SafeFileWriter::systemWrite(int fd, const char* data, std::size_t size) {
    const std::size_t chunk = std::min(size, kMaxWriteChunk);
#ifdef _WIN32
    return _write(fd, data, static_cast<unsigned>(chunk));
#else
    return ::write(fd, data, chunk);
#endif
}

int SafeFileWriter::systemSync(int fd) {
#ifdef _WIN32
    return _commit(fd);
#else
    return ::fsync(fd);
#endif
}

bool SafeFileWriter::open() {
    if (fd_ >= 0) {
        return fail("the file is already open");
    }
    error_.clear();
    resolved_ = target_;
    std::string reason;
    if (!resolveLinks(resolved_, reason)) {
        return fail(reason);
    }

    std::error_code ec;
    const fs::file_status status = fs::status(resolved_, ec);
    const bool exists = fs::exists(status);
    if (!exists && status.type() != fs::file_type::not_found) {
        return fail(ec.message());
    }
    if (exists && !fs::is_regular_file(status)) {
        return fail("not a regular file");
    }
    if (exists && !isWritableFile(resolved_, status.permissions())) {
        return fail("the file is read-only");
    }

    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < kMaxNameAttempts && fd_ < 0; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
        fs::path name = ".";
        name += resolved_.filename();
        name += suffix;
        temp_ = resolved_.parent_path() / name;
        fd_ = createExclusive(temp_);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        const int err = errno;
        temp_.clear();
        return fail(reasonFromErrno(err));
    }

    return !exists || takeOverAttributes();
}

bool SafeFileWriter::takeOverAttributes() {
#ifdef _WIN32
    std::error_code ec;
    fs::permissions(temp_, fs::status(resolved_, ec).permissions() & fs::perms::mask, ec);
    return !ec || fail(ec.message());
#else
    struct stat target {};
    if (::stat(resolved_.c_str(), &target) != 0) {
        return fail(reasonFromErrno(errno));
    }
    // Owner first: giving a file away clears its set-user-ID and set-group-ID bits.
    // A process that may not give it away keeps at least the group where it may.
    if (::fchown(fd_, target.st_uid, target.st_gid) != 0) {
        [[maybe_unused]] const int groupKept = ::fchown(fd_, static_cast<uid_t>(-1), target.st_gid);
    }
    if (::fchmod(fd_, target.st_mode & 07777) != 0) {
        return fail(reasonFromErrno(errno));
    }
    return true;
#endif
}

bool SafeFileWriter::write(std::string_view bytes) {
    if (fd_ < 0) {
        return false;
    }
    if (buffer_.size() + bytes.size() > kBufferSize && !flushBuffer()) {
        return false;
    }
    if (bytes.size() >= kBufferSize) {
        return writeAll(bytes.data(), bytes.size());
    }
    buffer_.append(bytes);
    return true;
}

bool SafeFileWriter::commit() {
    if (fd_ < 0 || !flushBuffer()) {
        return false;
    }
    if (sync_(fd_) != 0) {
        return fail(reasonFromErrno(errno));
    }
    const int closed = closeFile(fd_);
    fd_ = -1;
    if (closed != 0) {
        return fail(reasonFromErrno(errno));
    }
    std::error_code ec;
    fs::rename(temp_, resolved_, ec);
    if (ec) {
        return fail(ec.message());
    }
    temp_.clear();
    return syncFolder();
}

bool SafeFileWriter::syncFolder() {
#ifdef _WIN32
    return true;
#else
    const fs::path parent = resolved_.parent_path();
    const fs::path folder = parent.empty() ? fs::path(".") : parent;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        // A folder the process may write but not read cannot be synced by it.
        return true;
    }
    const int synced = sync_(fd);
    const int err = errno;
    closeFile(fd);
    // EINVAL: the file system keeps no folder to sync.
    if (synced != 0 && err != EINVAL) {
        return fail("the folder could not be synced: " + reasonFromErrno(err));
    }
    return true;
#endif
}

bool SafeFileWriter::writeAll(const char* data, std::size_t size) {
    while (size > 0) {
        const std::ptrdiff_t written = write_(fd_, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return fail(reasonFromErrno(errno));
        }
        if (written == 0) {
            return fail(reasonFromErrno(ENOSPC));
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool SafeFileWriter::flushBuffer() {
    const bool ok = writeAll(buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok;
}

bool SafeFileWriter::fail(std::string reason) {
    error_ = std::move(reason);
    discard();
    return false;
}

void SafeFileWriter::discard() {
    if (fd_ >= 0) {
        closeFile(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        std::error_code ec;
        fs::remove(temp_, ec);
        temp_.clear();
    }
    buffer_.clear();
}

} // namespace lumarik::platform
