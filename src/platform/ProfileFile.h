#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace lumarik::platform {

// The settings file: an INI text file with "[section]" lines and "key=value" lines.
// Section and key names match without regard to case, and the first match wins.
// Names and values are trimmed of blanks, and a value loses one pair of enclosing
// double quotes. The file is read as UTF-8 when it is valid UTF-8, otherwise as the
// ANSI code page (CP932), so files from the Windows version keep their text.

// One reading of the settings file, for a group of reads.
class ProfileReader {
public:
    // Reads the file now. A missing or unreadable file reads as empty.
    explicit ProfileReader(QString path);

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
    QStringList lines_;
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
