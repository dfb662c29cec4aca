#include "platform/ProfileFile.h"

#include "platform/CodePage.h"
#include "platform/MessageReporter.h"
#include "platform/RegularFile.h"
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

void writeValue(QStringList& lines, ProfileIndex& index, const QString& section, const QString& key,
                const QString& value) {
    const qsizetype existing = index.findKey(section, key);
    if (existing >= 0) {
        const QString spelling = keyLine(lines[existing])->key.toString();
        lines[existing] = spelling + u'=' + value;
        return;
    }
    qsizetype position = index.newKeyPosition(section);
    if (position < 0) {
        lines.append(u'[' + section + u']');
        index.addSection(section, lines.size() - 1);
        position = lines.size();
    }
    lines.insert(position, key + u'=' + value);
    index.addKey(section, key, position);
}

QString decodeCodePage(QByteArrayView bytes) {
    return QString::fromStdU16String(
        CodePage::ansi().toPlainUnicode(std::string_view(bytes.data(), size_t(bytes.size()))));
}

// The text of the file: UTF-8 when it is valid UTF-8, otherwise the ANSI code page.
QString decodeText(const QByteArray& bytes) {
    // The decoder drops a leading byte order mark.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    // Decoded line by line: LF is never the second byte of a double-byte character,
    // and a lead byte left without its trail byte then cannot swallow a line end.
    QStringList lines;
    for (const QByteArrayView line : bytes.split('\n')) {
        lines.append(decodeCodePage(line));
    }
    return lines.join(u'\n');
}

// The lines of a text, without their line ends (CR LF or LF); views into the text.
std::vector<QStringView> splitLines(QStringView text) {
    std::vector<QStringView> lines;
    for (const QStringView line : text.tokenize(u'\n')) {
        lines.push_back(line.endsWith(u'\r') ? line.chopped(1) : line);
    }
    // The last line end closes the last line; it does not start another one.
    if (!lines.empty() && lines.back().isEmpty()) {
        lines.pop_back();
    }
    return lines;
}

std::vector<QStringView> viewsOf(const QStringList& lines) {
    return {lines.begin(), lines.end()};
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

// The bytes of a settings file. Only a regular file up to kMaxProfileFileSize is read:
// opening a pipe or a device could block start-up or never reach its end.
struct ProfileBytes {
    enum class State { Missing, Read, Refused };
    State state = State::Missing;
    QByteArray bytes;
    QString reason;
};

ProfileBytes refused(QString reason) {
    return {ProfileBytes::State::Refused, {}, std::move(reason)};
}

QString tooLarge() {
    return QStringLiteral("the settings file is larger than %1 MiB").arg(kMaxProfileFileSize >> 20);
}

ProfileBytes readProfileBytes(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return {};
    }
    if (!info.isFile()) {
        return refused(QStringLiteral("not a regular file"));
    }
    if (info.size() > kMaxProfileFileSize) {
        return refused(tooLarge());
    }
    QFile file;
    QString reason;
    if (!openRegularFile(file, path, &reason)) {
        return refused(reason);
    }
    // One byte more than allowed tells a file that grew since it was measured.
    QByteArray bytes = file.read(kMaxProfileFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        return refused(file.errorString());
    }
    if (bytes.size() > kMaxProfileFileSize) {
        return refused(tooLarge());
    }
    return {ProfileBytes::State::Read, std::move(bytes), {}};
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
std::optional<QString> lookUp(const std::vector<QStringView>& lines, const ProfileIndex& index,
                              QStringView section, QStringView key) {
    const qsizetype line = index.findKey(section, key);
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

ProfileIndex::ProfileIndex(const std::vector<QStringView>& lines) {
    Section* current = nullptr;
    bool firstOfName = false;
    QString folded;
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        if (const auto name = sectionName(lines[i])) {
            foldInto(folded, *name);
            firstOfName = !sections_.contains(folded);
            current = &sections_[folded];
            if (firstOfName) {
                current->newKeyPosition = i + 1;
            }
        } else if (current != nullptr) {
            if (const auto entry = keyLine(lines[i])) {
                foldInto(folded, entry->key);
                current->keys.try_emplace(folded, i);
                if (firstOfName) {
                    current->newKeyPosition = i + 1;
                }
            }
        }
    }
}

size_t ProfileIndex::NameHash::operator()(const QString& name) const noexcept {
    return qHash(QStringView(name), 0);
}

void ProfileIndex::foldInto(QString& folded, QStringView name) {
    // Folds in the buffer's own storage, ASCII names without a table lookup: most
    // lines name a key already seen, whose folded name then costs no new string.
    folded.resize(name.size());
    QChar* out = folded.data();
    for (const QChar ch : name) {
        const char16_t unit = ch.unicode();
        if (unit >= 0x80) {
            folded = name.toString().toCaseFolded();
            return;
        }
        *out++ = QChar(unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit);
    }
}

const ProfileIndex::Section* ProfileIndex::section(QStringView name) const {
    QString folded;
    foldInto(folded, name);
    const auto found = sections_.find(folded);
    return found == sections_.end() ? nullptr : &found->second;
}

qsizetype ProfileIndex::findKey(QStringView sectionName, QStringView key) const {
    const Section* found = section(sectionName);
    if (found == nullptr) {
        return -1;
    }
    QString folded;
    foldInto(folded, key);
    const auto line = found->keys.find(folded);
    return line == found->keys.end() ? -1 : line->second;
}

qsizetype ProfileIndex::newKeyPosition(QStringView sectionName) const {
    const Section* found = section(sectionName);
    return found == nullptr ? -1 : found->newKeyPosition;
}

void ProfileIndex::addSection(QStringView name, qsizetype headingLine) {
    QString folded;
    foldInto(folded, name);
    sections_[folded].newKeyPosition = headingLine + 1;
}

void ProfileIndex::addKey(QStringView sectionName, QStringView key, qsizetype line) {
    // Every line from there on moves down by one; the new line ends its section.
    for (auto& entry : sections_) {
        Section& other = entry.second;
        if (other.newKeyPosition >= line) {
            ++other.newKeyPosition;
        }
        for (auto& keyEntry : other.keys) {
            if (keyEntry.second >= line) {
                ++keyEntry.second;
            }
        }
    }
    QString folded;
    foldInto(folded, sectionName);
    Section& target = sections_[folded];
    foldInto(folded, key);
    target.keys.insert_or_assign(folded, line);
    target.newKeyPosition = line + 1;
}

ProfileReader::ProfileReader(QString path)
    : path_(std::move(path)), text_(decodeText(readProfileBytes(path_).bytes)),
      lines_(splitLines(text_)), index_(lines_) {}

QString ProfileReader::readString(QStringView section, QStringView key,
                                  const QString& fallback) const {
    return lookUp(lines_, index_, section, key).value_or(fallback);
}

int ProfileReader::readInt(QStringView section, QStringView key, int fallback) const {
    const auto value = lookUp(lines_, index_, section, key);
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
    const ProfileBytes current = readProfileBytes(path_);
    if (current.state == ProfileBytes::State::Refused) {
        return failed(current.reason);
    }
    QStringList lines = [&current] {
        const QString text = decodeText(current.bytes);
        QStringList copies;
        for (const QStringView line : splitLines(text)) {
            copies.append(line.toString());
        }
        return copies;
    }();
    ProfileIndex index(viewsOf(lines));
    for (const Change& change : changes_) {
        if (change.key.isEmpty()) {
            removeSection(lines, change.section);
            index = ProfileIndex(viewsOf(lines));
        } else {
            writeValue(lines, index, change.section, change.key, change.value);
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

void reportUnwritable(const ProfileWriteResult& result) {
    if (!result) {
        currentReporter().show({result.path + QStringLiteral(" に書き込めません"),
                                applicationTitle(), MessageIcon::Error});
    }
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
