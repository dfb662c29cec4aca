#pragma once

#include <QString>

class QFile;

namespace lumarik::platform {

// Opens a regular file for reading without ever waiting on it: a name that is, or has
// become since it was looked at, a pipe, a device or a folder is refused instead of
// blocking the caller in open(). The file is unbuffered, so a read takes no more than
// it asks for. On failure answers false and sets reason (English, for logs) when given.
bool openRegularFile(QFile& file, const QString& path, QString* reason = nullptr);

} // namespace lumarik::platform
