#include "platform/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lumarik::platform {
namespace {

bool refuse(QString* reason, const QString& why) {
    if (reason != nullptr) {
        *reason = why;
    }
    return false;
}

} // namespace

bool openRegularFile(QFile& file, const QString& path, QString* reason) {
#ifdef _WIN32
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        return refuse(reason, file.errorString());
    }
    return true;
#else
    // Opened without waiting and checked on the open file, so that no pipe can be put
    // in place between a look at the name and the open.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return refuse(reason, QString::fromLocal8Bit(std::strerror(errno)));
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return refuse(reason, QStringLiteral("not a regular file"));
    }
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuse(reason, file.errorString());
    }
    return true;
#endif
}

} // namespace lumarik::platform
