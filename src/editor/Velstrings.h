#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lumarik::platform {
class SafeFileWriter;
}

namespace lumarik::editor {

// Raised for an index outside the list. Its message is the one users of the store
// have always seen.
class VelStringsError : public std::out_of_range {
public:
    VelStringsError();
};

inline constexpr const char* kListIndexError =
    "\xE3\x82\xA4\xE3\x83\xB3\xE3\x83\x87\xE3\x83\x83\xE3\x82\xAF\xE3\x82\xB9\xE3\x81\x8C"
    "\xE3\x83\xAA\xE3\x82\xB9\xE3\x83\x88\xE3\x81\xAE\xE7\xAF\x84\xE5\x9B\xB2\xE3\x82\x92"
    "\xE8\xB6\x85\xE3\x81\x88\xE3\x81\xA6\xE3\x81\x84\xE3\x81\xBE\xE3\x81\x99";

// Line-break style of a file, as DetectLineBreak classifies it.
enum LineBreakKind : int {
    kBreakCRLF = 0,
    kBreakCR = 1,
    kBreakLF = 2,
    kBreakEmpty = 4,
};

// The list of byte strings behind an editor: one entry per display line, each with
// its terminator (CR LF ends a logical line, NUL NUL ends the text, nothing on a
// line that word wrap continues). The store never interprets double-byte bytes.
class TVelStrings {
public:
    static constexpr int kMaxListSize = 134217727;

    TVelStrings();
    virtual ~TVelStrings();
    TVelStrings(const TVelStrings&) = delete;
    TVelStrings& operator=(const TVelStrings&) = delete;

    int Count() const;
    int Capacity() const;
    // Sum of the lengths of all lines, terminators included.
    int64_t ByteCount() const;

    const std::string& Get(int index) const;
    virtual void Put(int index, std::string s);
    int Add(std::string s);
    void Insert(int index, std::string s);
    void Delete(int index);
    void Clear();
    virtual void SetCount(int n);
    virtual void SetCapacity(int n);
    void AddStrings(const std::vector<std::string>& list);
    void Assign(const std::vector<std::string>& list);

    // Inserts lines at index, moving the lines behind them once.
    void InsertRange(int index, std::vector<std::string> lines);
    // Removes count lines from index.
    void DeleteRange(int index, int count);

    // Splits text into lines (each CR or NUL takes the byte after it as its second
    // terminator byte) and inserts them at index; index ends on the last line inserted.
    void InsertText(int& index, std::string_view text);
    virtual std::string GetTextStr() const;
    virtual void SetTextStr(std::string_view text);
    virtual std::string GetCommaText() const;
    virtual void SetCommaText(std::string_view text);
    virtual int IndexOf(std::string_view s) const;

    // Detects the line-break style and loads the file. On failure answers false, sets
    // LastError() and leaves the store exactly as it was.
    virtual bool LoadFromFile(const std::filesystem::path& fileName);
    // Writes the text with each line's own terminators and without the end-of-text
    // mark, to a new file that replaces the old one only once it is complete. On
    // failure answers false, sets LastError() and leaves any old file untouched.
    virtual bool SaveToFile(const std::filesystem::path& fileName) const;
    // As SaveToFile, through a writer that already names the target file.
    bool SaveTo(platform::SafeFileWriter& writer) const;
    virtual void LoadFromStream(std::istream& stream);
    virtual void SaveToStream(std::ostream& stream) const;

    bool LoadCRLF(const std::filesystem::path& fileName);
    bool LoadLF(const std::filesystem::path& fileName);
    bool LoadCR(const std::filesystem::path& fileName);

    const std::string& LastError() const;

    // Exchanges contents with another store (used to swap in a finished load or layout).
    void Swap(TVelStrings& other) noexcept;

    [[noreturn]] virtual void Error() const;

private:
    // Logical capacity before one more line is stored (may raise Error when full).
    void growForOne();
    // Logical capacity for `extra` more lines; raises Error beyond kMaxListSize.
    void growFor(std::size_t extra);
    void checkIndex(int index) const;
    // Replaces the whole content with rows holding `bytes` bytes in total.
    void adoptRows(std::vector<std::string> rows, int64_t bytes);
    // Loads with the given break rule, or with the one the file's first break implies.
    bool loadRows(const std::filesystem::path& fileName, std::optional<LineBreakKind> kind);

    std::vector<std::string> lines_;
    int capacity_ = 0;
    int64_t bytes_ = 0;
    mutable std::string lastError_;
};

// Classifies a file's line breaks from its first break: kBreakEmpty for an empty
// file, kBreakLF for LF, kBreakCRLF for CR LF, kBreakCR for a lone CR or no break at
// all before the end or a NUL. Answers -1 when the file cannot be read.
int DetectLineBreak(const std::filesystem::path& fileName);

} // namespace lumarik::editor
