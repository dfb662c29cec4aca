#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <unordered_map>
#include <vector>

namespace lumarik::platform {

// The settings file: an INI text file with "[section]" lines and "key=value" lines.
// Section and key names match without regard to case, and the first match wins.
// Names and values are trimmed of blanks, and a value loses one pair of enclosing
// double quotes. The file is read as UTF-8 when it is valid UTF-8, otherwise as the
// ANSI code page (CP932), so files from the Windows version keep their text.

// A settings file larger than this, or anything but a regular file (a pipe, a device),
// reads as empty and is never replaced by a write.
constexpr qint64 kMaxProfileFileSize = qint64{8} << 20;

// Where the keys of a settings file's lines are, found in one pass so that a read
// costs a lookup rather than a scan of the file.
class ProfileIndex {
public:
    explicit ProfileIndex(const std::vector<QStringView>& lines);

    // The line holding the key in a section of that name (sections of one name count
    // as one, in file order; the first line of a key wins), or -1.
    qsizetype findKey(QStringView section, QStringView key) const;
    // Where a new key of the section goes: after the last key line of the first
    // section of that name, or right after its heading when it has none. -1 when there
    // is no such section.
    qsizetype newKeyPosition(QStringView section) const;

    // Records a section heading added as the last line.
    void addSection(QStringView section, qsizetype headingLine);
    // Records a key line inserted at `line` (the lines from there on move down by one)
    // as the last key of its section.
    void addKey(QStringView section, QStringView key, qsizetype line);

private:
    // Qt's own table hashes with a per-process seed, which costs more than the lookup
    // saves on a file of a million lines.
    struct NameHash {
        size_t operator()(const QString& name) const noexcept;
    };
    struct Section {
        qsizetype newKeyPosition = -1;
        std::unordered_map<QString, qsizetype, NameHash> keys;
    };

    // Names match without regard to case: they are stored case-folded.
    static void foldInto(QString& folded, QStringView name);
    const Section* section(QStringView name) const;

    std::unordered_map<QString, Section, NameHash> sections_;
};

// One reading of the settings file, for a group of reads.
class ProfileReader {
public:
    // Reads the file now. A missing or unreadable file reads as empty.
    explicit ProfileReader(QString path);
    ProfileReader(const ProfileReader&) = delete;
    ProfileReader& operator=(const ProfileReader&) = delete;
    ProfileReader(ProfileReader&&) = default;
    ProfileReader& operator=(ProfileReader&&) = default;

    const QString& path() const { return path_; }

    // The value, at most 2047 characters long; fallback when the section or the key
    // is missing. A key present with an empty value answers "".
    QString readString(QStringView section, QStringView key, const QString& fallback) const;
    // The value as decimal digits with an optional sign, or "0x" and hexadecimal
    // digits; fallback when missing, malformed or out of range.
    int readInt(QStringView section, QStringView key, int fallback) const;
    // An int value: anything but zero is true.
    bool readBool(QStringView section, QStringView key, bool fallback) const;

private:
    QString path_;
    QString text_;
    // Views into text_, whose buffer a move keeps.
    std::vector<QStringView> lines_;
    ProfileIndex index_;
};

// The result of writing the settings file. On failure the file is as it was before,
// and the caller tells the user that `path` cannot be written.
struct ProfileWriteResult {
    bool succeeded = true;
    QString path;
    // Why the write failed, in English, for logs.
    QString reason;

    explicit operator bool() const { return succeeded; }
};

// Tells the user in the standard error box that the settings file could not be
// written; a write that succeeded tells nothing.
void reportUnwritable(const ProfileWriteResult& result);

// Changes to the settings file, collected and then written in one go: either all of
// them reach the file or none does.
//
// Section and key names must be non-empty and hold no line break, "]" or "=".
class ProfileWriteBatch {
public:
    explicit ProfileWriteBatch(QString path);

    const QString& path() const { return path_; }
    bool isEmpty() const { return changes_.empty(); }

    // An existing key gets the new value in its line. A new key goes at the end of its
    // section; a new section goes at the end of the file, spelled as given here. A
    // value keeps only its first line.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInt(const QString& section, const QString& key, int value);
    // Written as "1" or "0".
    void writeBool(const QString& section, const QString& key, bool value);
    // Removes every section of that name with all its lines.
    void eraseSection(const QString& section);

    // Reads the file as it is now, applies the changes in the order they were made and
    // replaces the file with the result (a temporary file renamed over it). Lines the
    // changes do not touch keep their text; every line ends in CR LF. An empty batch
    // leaves the file alone.
    ProfileWriteResult commit() const;

private:
    struct Change {
        QString section;
        QString key; // empty: erase the section
        QString value;
    };

    QString path_;
    std::vector<Change> changes_;
};

// The settings file name of a program: its file name with the last extension replaced
// by ".ini" ("lumarik.exe" and "lumarik" both give "lumarik.ini").
QString settingsFileName(const QString& programPath);

// The settings file of a program: beside the program when the program's folder is
// writable, otherwise in configFolder, which is created when missing.
QString settingsFilePath(const QString& programPath, const QString& configFolder);

// The settings file of the running program, with the user's configuration folder as
// the fallback. Compute it once and pass it to everything that reads or writes it.
QString defaultSettingsFilePath();

// True when a file can be created in the folder (tried, not guessed from permission
// bits, which do not bind the superuser).
bool isWritableFolder(const QString& folder);

} // namespace lumarik::platform
