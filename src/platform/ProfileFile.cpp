#include "platform/ProfileFile.h"

#include "platform/CodePage.h"
#include "platform/SafeFileWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace lumarik::platform {

namespace {

// Values are read into a buffer of 2048 characters, the last one for the terminator.
constexpr qsizetype kMaxValueLength = 2047;

bool isBlank(QChar ch) {
    const char16_t unit = ch.unicode();
    return unit == u' ' || unit == u'\t' || unit == u'\r' || unit == u'\v' || unit == u'\f';
}

// Trims ASCII blanks only: a full-width space is part of the text.
QStringView trimBlanks(QStringView text) {
    while (!text.isEmpty() && isBlank(text.front())) {
        text = text.mid(1);
    }
    while (!text.isEmpty() && isBlank(text.back())) {
        text.chop(1);
    }
    return text;
}

bool isQuoted(QStringView text) {
    return text.size() >= 2 && text.front() == u'"' && text.back() == u'"';
}

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The name of a "[name]" line; a line without the closing bracket names a section too.
std::optional<QStringView> sectionName(QStringView line) {
    QStringView text = trimBlanks(line);
    if (!text.startsWith(u'[')) {
        return std::nullopt;
    }
    text = text.mid(1);
    const qsizetype close = text.indexOf(u']');
    if (close >= 0) {
        text = text.left(close);
    }
    return trimBlanks(text);
}

struct KeyLine {
    QStringView key;
    QStringView value;
};

// A "key=value" line, trimmed; the value still has its quotes.
std::optional<KeyLine> keyLine(QStringView line) {
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0) {
        return std::nullopt;
    }
    return KeyLine{trimBlanks(line.left(equals)), trimBlanks(line.mid(equals + 1))};
}

// The first line holding the key in a section of that name (sections of one name
// count as one, in file order), or -1.
qsizetype findKey(const QStringList& lines, QStringView section, QStringView key) {
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionName(lines[i])) {
            inSection = sameName(*name, section);
        } else if (inSection) {
            const auto entry = keyLine(lines[i]);
            if (entry && sameName(entry->key, key)) {
                return i;
            }
        }
    }
    return -1;
}

// Where a new key of the section goes: after the last key line of the first section
// of that name, or right after its heading when it has none. -1 when there is no such
// section.
qsizetype newKeyPosition(const QStringList& lines, QStringView section) {
    qsizetype position = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionName(lines[i])) {
            if (position >= 0) {
                break;
            }
            if (sameName(*name, section)) {
                position = i + 1;
            }
        } else if (position >= 0 && keyLine(lines[i])) {
            position = i + 1;
        }
    }
    return position;
}

void removeSection(QStringList& lines, QStringView section) {
    bool inSection = false;
    QStringList kept;
    kept.reserve(lines.size());
    for (const QString& line : std::as_const(lines)) {
        if (const auto name = sectionName(line)) {
            inSection = sameName(*name, section);
        }
        if (!inSection) {
            kept.append(line);
        }
    }
    lines = std::move(kept);
}

// The text to store for a value. Only the first line fits in the file. A value that
// reading would change (blanks at either end, or enclosing quotes) is put in quotes,
// which reading removes again.
QString storedValue(const QString& value) {
    const auto lineBreak = std::find_if(value.begin(), value.end(),
                                        [](QChar ch) { return ch == u'\r' || ch == u'\n'; });
    QString text = value.left(lineBreak - value.begin());
    if (!text.isEmpty() && (isBlank(text.front()) || isBlank(text.back()) || isQuoted(text))) {
        return u'"' + text + u'"';
    }
    return text;
}

void writeValue(QStringList& lines, const QString& section, const QString& key,
                const QString& value) {
    const qsizetype existing = findKey(lines, section, key);
    if (existing >= 0) {
        const QString spelling = keyLine(lines[existing])->key.toString();
        lines[existing] = spelling + u'=' + value;
        return;
    }
    const qsizetype position = newKeyPosition(lines, section);
    if (position >= 0) {
        lines.insert(position, key + u'=' + value);
        return;
    }
    lines.append(u'[' + section + u']');
    lines.append(key + u'=' + value);
}

QString decodeCodePage(QByteArrayView bytes) {
    return QString::fromStdU16String(
        CodePage::ansi().toPlainUnicode(std::string_view(bytes.data(), size_t(bytes.size()))));
}

// The lines of the file, without their line ends (CR LF or LF).
QStringList decodeLines(const QByteArray& bytes) {
    QStringList lines;
    // The decoder drops a leading byte order mark.
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (!utf8.hasError()) {
        lines = text.split(u'\n');
    } else {
        // Split on the bytes: LF is never the second byte of a double-byte character,
        // and a lead byte left without its trail byte then cannot swallow a line end.
        for (const QByteArrayView line : bytes.split('\n')) {
            lines.append(decodeCodePage(line));
        }
    }
    for (QString& line : lines) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
    }
    // The last line end closes the last line; it does not start another one.
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

// The Windows version keeps the ANSI code page for its settings; elsewhere UTF-8
// holds every path.
QByteArray encodeLines(const QStringList& lines) {
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
#ifdef _WIN32
    const std::string bytes = CodePage::ansi().fromUnicode(text.toStdU16String());
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
#else
    return text.toUtf8();
#endif
}

std::filesystem::path filesystemPath(const QString& path) {
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

bool isDecimal(QStringView digits) {
    return !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar ch) {
        return ch.isDigit() && ch.unicode() < 0x80;
    });
}

bool isHexadecimal(QStringView digits) {
    return !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar ch) {
        const char16_t unit = ch.unicode();
        return (unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'f') ||
               (unit >= u'A' && unit <= u'F');
    });
}

std::optional<int> parseInt(QStringView text) {
    bool ok = false;
    int value = 0;
    if (text.startsWith(u"0x", Qt::CaseInsensitive)) {
        const QStringView digits = text.mid(2);
        if (isHexadecimal(digits)) {
            value = digits.toInt(&ok, 16);
        }
    } else {
        const bool signedNumber = text.startsWith(u'+') || text.startsWith(u'-');
        if (isDecimal(text.mid(signedNumber ? 1 : 0))) {
            value = text.toInt(&ok, 10);
        }
    }
    return ok ? std::optional<int>(value) : std::nullopt;
}

// The value of a key, unquoted and cut to the longest value a read answers.
std::optional<QString> lookUp(const QStringList& lines, QStringView section, QStringView key) {
    const qsizetype line = findKey(lines, section, key);
    if (line < 0) {
        return std::nullopt;
    }
    QStringView value = keyLine(lines[line])->value;
    if (isQuoted(value)) {
        value = value.mid(1, value.size() - 2);
    }
    if (value.size() > kMaxValueLength) {
        // Never keep half of a surrogate pair.
        value = value.left(value.at(kMaxValueLength - 1).isHighSurrogate() ? kMaxValueLength - 1
                                                                           : kMaxValueLength);
    }
    return value.toString();
}

} // namespace

ProfileReader::ProfileReader(QString path) : path_(std::move(path)) {
    QFile file(path_);
    if (file.open(QIODevice::ReadOnly)) {
        lines_ = decodeLines(file.readAll());
    }
}

QString ProfileReader::readString(QStringView section, QStringView key,
                                  const QString& fallback) const {
    return lookUp(lines_, section, key).value_or(fallback);
}

int ProfileReader::readInt(QStringView section, QStringView key, int fallback) const {
    const auto value = lookUp(lines_, section, key);
    return value ? parseInt(*value).value_or(fallback) : fallback;
}

bool ProfileReader::readBool(QStringView section, QStringView key, bool fallback) const {
    return readInt(section, key, fallback ? 1 : 0) != 0;
}

ProfileWriteBatch::ProfileWriteBatch(QString path) : path_(std::move(path)) {}

void ProfileWriteBatch::writeString(const QString& section, const QString& key,
                                    const QString& value) {
    changes_.push_back({section, key, storedValue(value)});
}

void ProfileWriteBatch::writeInt(const QString& section, const QString& key, int value) {
    changes_.push_back({section, key, QString::number(value)});
}

void ProfileWriteBatch::writeBool(const QString& section, const QString& key, bool value) {
    changes_.push_back({section, key, value ? QStringLiteral("1") : QStringLiteral("0")});
}

void ProfileWriteBatch::eraseSection(const QString& section) {
    changes_.push_back({section, QString(), QString()});
}

ProfileWriteResult ProfileWriteBatch::commit() const {
    const auto failed = [this](const QString& reason) {
        return ProfileWriteResult{false, path_, reason};
    };
    if (changes_.empty()) {
        return {true, path_, QString()};
    }

    // A file that exists but cannot be read must not be replaced by the changes alone.
    QStringList lines;
    QFile current(path_);
    if (current.exists()) {
        if (!current.open(QIODevice::ReadOnly)) {
            return failed(current.errorString());
        }
        const QByteArray bytes = current.readAll();
        if (current.error() != QFileDevice::NoError) {
            return failed(current.errorString());
        }
        lines = decodeLines(bytes);
    }

    for (const Change& change : changes_) {
        if (change.key.isEmpty()) {
            removeSection(lines, change.section);
        } else {
            writeValue(lines, change.section, change.key, change.value);
        }
    }

    const QByteArray bytes = encodeLines(lines);
    SafeFileWriter writer(filesystemPath(path_));
    if (!writer.open() || !writer.write(std::string_view(bytes.data(), size_t(bytes.size()))) ||
        !writer.commit()) {
        return failed(QString::fromStdString(writer.error()));
    }
    return {true, path_, QString()};
}

QString settingsFileName(const QString& programPath) {
    QString name = QFileInfo(programPath).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0) {
        name.truncate(dot);
    }
    return name + QStringLiteral(".ini");
}

QString settingsFilePath(const QString& programPath, const QString& configFolder) {
    const QString name = settingsFileName(programPath);
    const QString programFolder = QFileInfo(programPath).absolutePath();
    if (isWritableFolder(programFolder)) {
        return QDir(programFolder).filePath(name);
    }
    // A missing folder would make every write fail.
    QDir().mkpath(configFolder);
    return QDir(configFolder).filePath(name);
}

QString defaultSettingsFilePath() {
    return settingsFilePath(QCoreApplication::applicationFilePath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

bool isWritableFolder(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        return false;
    }
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".lumarik-probe-XXXXXX")));
    return probe.open();
}

} // namespace lumarik::platform
