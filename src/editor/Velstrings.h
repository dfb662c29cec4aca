#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "editor/LfRowBits.h"

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

// Turns one line of a file, terminator included, into the rows it is stored as and
// appends them. A load runs it on two threads at once when it is thread-safe.
struct LineCutter {
    std::function<void(std::string_view line, std::vector<std::string>& rows)> cut;
    bool threadSafe = false;
};

struct FileRows;

// What the store knows of a run of consecutive rows without reading them (see
// TVelStrings::Run).
struct RowRun {
    int firstRow = 0;
    int rows = 0;
    int64_t bytes = 0;
    int lfRowsBefore = 0;              // rows ending with LF in all runs in front
    const LfRowBits* lfRows = nullptr; // which of the run's rows end with LF
};

// The list of byte strings behind an editor: one entry per display line, each with
// its terminator (CR LF ends a logical line, NUL NUL ends the text, nothing on a
// line that word wrap continues). The store never interprets double-byte bytes.
class TVelStrings {
public:
    static constexpr int kMaxListSize = 134217727;
    // Rows per run (chunk) at most: inserting or deleting a row moves at most this many
    // row handles.
    static constexpr std::size_t kChunkRows = 1024;
    // Rows per run made from many rows at once (a load, a layout, a long insert),
    // leaving room for rows typed later.
    static constexpr std::size_t kFilledChunkRows = kChunkRows * 3 / 4;

    TVelStrings();
    virtual ~TVelStrings();
    TVelStrings(const TVelStrings&) = delete;
    TVelStrings& operator=(const TVelStrings&) = delete;

    int Count() const;
    int Capacity() const;
    // Sum of the lengths of all lines, terminators included.
    int64_t ByteCount() const;

    // The row at index. The reference lasts until rows are inserted or deleted or the
    // row is replaced with Put; the in-place edits below change it where it stands.
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

    // Inserts lines at index in one pass; the rows behind them stay where they are.
    void InsertRange(int index, std::vector<std::string> lines);
    // Removes count lines from index.
    void DeleteRange(int index, int count);

    // Inserts bytes into row index at byte col (clamped to the row), in place.
    void InsertBytes(int index, int col, std::string_view bytes);
    // Removes up to count bytes of row index from byte col (both clamped), in place.
    void EraseBytes(int index, int col, int count);
    // Appends bytes to row index, in place.
    void AppendBytes(int index, std::string_view bytes);

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
    // As LoadFromFile, each line stored as the rows `cutter` makes of it.
    bool LoadCutFromFile(const std::filesystem::path& fileName, const LineCutter& cutter);
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

    // Lays the text out again: each logical line (the rows up to and including one with
    // a terminator, or up to the last row) is joined and replaced by the rows `cutter`
    // makes of it. Goes through the rows in order and releases the old rows of each
    // line once its new rows are made, so that the old and the new layout are never
    // held whole at once. When the cutter or an allocation fails, the lines already laid
    // out are laid out again by `restore` and the failure is passed on; the store then
    // holds every byte in order, in the old rows or in the ones `restore` made.
    void RecutLines(const LineCutter& cutter, const LineCutter& restore);

    // The rows are kept in runs of at most kChunkRows; an edit changes one run. Each run
    // knows its byte count and which of its rows end with LF, so that positions can be
    // converted between rows and logical lines without reading the rows in front.
    std::size_t RunCount() const;
    // Run `run` (< RunCount()); its lfRows lasts until the store changes.
    RowRun Run(std::size_t run) const;
    // The run holding row `index` (0 <= index < Count()).
    std::size_t RunOfRow(int index) const;
    // The run holding the n-th row (n >= 1) that ends with LF; RunCount() when fewer
    // rows end with LF.
    std::size_t RunOfLfRow(int n) const;

    [[noreturn]] virtual void Error() const;

private:
    using Rows = std::vector<std::string>;

    // A run of consecutive rows with their byte count and their LF bits. Rows taken
    // over whole from a long insert stay in their block, which the chunks cut from it
    // share; a chunk moves its rows into a vector of its own the first time it gains
    // rows or loses inner ones.
    class Chunk {
    public:
        Chunk() = default;
        // Rows [first, first + count) of a block.
        Chunk(std::shared_ptr<Rows> block, std::size_t first, std::size_t count);
        // Rows of its own that already come with their byte count and LF bits.
        Chunk(Rows rows, int64_t bytes, const LfRowBits& lf) noexcept;

        std::size_t size() const { return size_; }
        const std::string* begin() const { return rows_; }
        const std::string* end() const { return rows_ + size_; }
        const std::string& operator[](std::size_t i) const { return rows_[i]; }
        int64_t bytes() const { return bytes_; }
        const LfRowBits& lf() const { return lf_; }
        int lfCount() const { return lfCount_; }

        // Changes row i through `edit`; answers whether the row's LF bit changed.
        template <class Edit> bool editRow(std::size_t i, Edit&& edit);
        // Frees the bytes of row i, leaving it empty, ahead of its removal.
        void releaseRow(std::size_t i) noexcept;
        // Inserts rows at `at`, moving them in.
        void insert(std::size_t at, std::string row);
        void insert(std::size_t at, Rows::iterator first, Rows::iterator last);
        // Removes rows [from, to) and frees their bytes.
        void erase(std::size_t from, std::size_t to);
        // Moves the rows from `at` on into a new chunk.
        Chunk splitOff(std::size_t at);
        // Moves the rows of `next` behind these, leaving `next` empty.
        void append(Chunk& next);

    private:
        // Makes the chunk hold its rows in own_ and answers them.
        Rows& owned();
        // Points rows_ and size_ at own_ again after own_ changed.
        void ownChanged();
        // Takes rows [from, to) into the byte count and the LF bits.
        void countRows(std::size_t from, std::size_t to);
        int64_t bytesOf(std::size_t from, std::size_t to) const;

        // What a walk over the chunks reads comes first, in one cache line.
        std::string* rows_ = nullptr; // own_.data() or the chunk's piece of block_
        std::size_t size_ = 0;
        int lfCount_ = 0;
        int64_t bytes_ = 0;
        Rows own_;
        std::shared_ptr<Rows> block_;
        LfRowBits lf_;
    };
    static_assert(kChunkRows <= LfRowBits::kMaxRows);

    // Where a chunk starts: its first row, and the rows ending with LF in front of it.
    struct ChunkStart {
        int row = 0;
        int lfRows = 0;
    };

    // Where a row lives: its chunk and its offset in that chunk.
    struct RowPlace {
        std::size_t chunk = 0;
        std::size_t offset = 0;
    };

    // Cuts rows into chunks that share them as one block, moving no row.
    static std::vector<Chunk> cutIntoChunks(Rows rows);

    // Logical capacity before one more line is stored (may raise Error when full).
    void growForOne();
    // Logical capacity for `extra` more lines; raises Error beyond kMaxListSize.
    void growFor(std::size_t extra);
    void checkIndex(int index) const;
    // Replaces the whole content with rows holding `bytes` bytes in total.
    void adoptRows(std::vector<std::string> rows, int64_t bytes);
    // Replaces the whole content with the runs of a load, each becoming one chunk.
    void adoptRuns(FileRows& rows);
    // Lays out again the logical lines held by chunks [0, end), which end with a whole
    // logical line (or the text). `made` follows the number of chunks in front that
    // hold new rows: on failure those stand in front of the old rows not yet cut.
    void recut(std::size_t end, const LineCutter& cutter, std::size_t& made);
    // Sets count, byte count and capacity from the chunks after they were replaced.
    void chunksReplaced();
    // Loads with the given break rule, or with the one the file's first break implies;
    // each line is stored as is or as the rows `cutter` makes of it.
    bool loadRows(const std::filesystem::path& fileName, std::optional<LineBreakKind> kind,
                  const LineCutter* cutter = nullptr);

    // Finds a row in one chunk, when that chunk's start row is known.
    bool findInChunk(std::size_t chunk, int index, std::size_t& offset) const;
    // The chunk and offset of an existing row (index already checked).
    RowPlace locate(int index) const;
    // Where a row inserted at index (0 to Count()) goes; opens the first chunk of an
    // empty store and makes room in a full chunk.
    RowPlace placeForOne(int index);
    // Changes the row at index through `edit`; raises Error for a bad index.
    template <class Edit> void editRow(int index, Edit&& edit);
    // Recomputes the chunk starts that are out of date.
    void refreshStarts() const;
    // Marks the starts of the chunks from `chunk` on as out of date.
    void startsChangedFrom(std::size_t chunk);
    // Drops the chunk when empty; joins it with a neighbour when it is small and both
    // fit in one chunk.
    void tidyChunk(std::size_t chunk);

    std::vector<Chunk> chunks_;              // the rows in order; no chunk is empty
    mutable std::vector<ChunkStart> starts_; // of each chunk, valid below staleFrom_
    mutable std::size_t staleFrom_ = 0;
    mutable std::size_t hint_ = 0; // chunk of the last row looked up
    int count_ = 0;
    int capacity_ = 0;
    int64_t bytes_ = 0;
    mutable std::string lastError_;
};

// Classifies a file's line breaks from its first break: kBreakEmpty for an empty
// file, kBreakLF for LF, kBreakCRLF for CR LF, kBreakCR for a lone CR or no break at
// all before the end or a NUL. Answers -1 when the file cannot be read.
int DetectLineBreak(const std::filesystem::path& fileName);

} // namespace lumarik::editor
