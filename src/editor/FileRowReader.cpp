#include "editor/FileRowReader.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <new>
#include <string_view>
#include <system_error>
#include <utility>

#include "editor/TextRows.h"

namespace lumarik::editor {

namespace {

// Files of this size or more are refused: rows and columns are 32-bit.
constexpr int64_t kMaxFileSize = int64_t{1} << 31;
constexpr std::size_t kReadBlockSize = std::size_t{1} << 20;
constexpr std::size_t kRunRows = TVelStrings::kFilledChunkRows;
// Bytes looked at to tell the break style, and to find where a part starts.
constexpr std::size_t kProbeSize = std::size_t{64} << 10;

// Ends a load with a short reason for the user.
struct LoadFailure {
    std::string reason;
};

LoadFailure readFailure() {
    return {std::generic_category().message(errno)};
}

LoadFailure fileTooLarge() {
    return {"the file is 2 GiB or larger"};
}

bool isPairStart(char c) {
    return c == kCR || c == '\0';
}

// Builds the rows of a file from its bytes, fed block by block. In CR LF mode each CR
// or NUL ends a row with the byte after it. In LF and CR mode the break byte, and a
// CR LF pair, become CR LF and NUL bytes are dropped. The last row always ends with
// the end-of-text mark; a CR or NUL as the last byte of a CR LF file stays an ordinary
// byte of it, so the file saves back unchanged.
//
// Without a given mode the file's first break decides it, as DetectLineBreak does:
// the bytes in front of it are ordinary in every mode, so one pass suffices.
//
// A line lies either in the block fed or, when it spans blocks, in pending_, which
// keeps its buffer from line to line: each row costs one allocation, its own. The rows
// are counted into their run while they are at hand, so that the store need not read
// them again.
class RowBuilder {
public:
    RowBuilder(std::optional<LineBreakKind> kind, const LineCutter* cutter)
        : kind_(kind), cutter_(cutter) {}

    void feed(const char* p, const char* end) {
        if (!kind_) {
            p = detect(p, end);
        }
        if (!kind_) {
            return;
        }
        switch (*kind_) {
        case kBreakCRLF:
            feedCRLF(p, end);
            break;
        case kBreakLF:
            feedLF(p, end);
            break;
        default:
            feedCR(p, end);
            break;
        }
    }

    // Hands over all rows; with `endOfText` the last row, with the end-of-text mark,
    // is added first. Without it the bytes fed must have ended on a row end.
    FileRows finish(bool endOfText) {
        if (!endOfText && (!pending_.empty() || pairOpen_ || crAtEnd_)) {
            throw LoadFailure{"the file changed while it was read"};
        }
        if (!kind_ && crAtEnd_) {
            // The file's one break is a CR as its last byte: a CR file.
            emitPendingWithBreak();
        }
        if (endOfText) {
            pending_.append(kEndMark);
            emitPending();
        }
        FileRows rows;
        rows.runs = std::move(runs_);
        rows.bytes = bytes_;
        return rows;
    }

private:
    void feedCRLF(const char* p, const char* end) {
        if (p < end && pairOpen_) {
            pending_.push_back(*p++);
            emitPending();
            pairOpen_ = false;
        }
        StopScanner scan(p, end, kCR);
        while (p < end) {
            const char* stop = scan.next(p);
            if (stop == end || stop + 1 == end) {
                pending_.append(p, end);
                pairOpen_ = stop + 1 == end;
                return;
            }
            if (pending_.empty()) {
                emit({p, static_cast<std::size_t>(stop + 2 - p)});
            } else {
                pending_.append(p, stop + 2);
                emitPending();
            }
            p = stop + 2;
        }
    }

    void feedLF(const char* p, const char* end) {
        StopScanner scan(p, end, kLF);
        while (p < end) {
            const char* stop = scan.next(p);
            if (stop == end) {
                pending_.append(p, end);
                return;
            }
            if (*stop == '\0') {
                pending_.append(p, stop);
            } else if (pending_.empty() && stop > p && stop[-1] == kCR) {
                // Already a CR LF row.
                emit({p, static_cast<std::size_t>(stop + 1 - p)});
            } else {
                // A CR right before the LF (also one carried over) makes one break.
                pending_.append(p, stop);
                if (pending_.empty() || pending_.back() != kCR) {
                    pending_.push_back(kCR);
                }
                pending_.push_back(kLF);
                emitPending();
            }
            p = stop + 1;
        }
    }

    void feedCR(const char* p, const char* end) {
        if (afterBreak_) {
            p = skipBreakLF(p, end);
        }
        StopScanner scan(p, end, kCR);
        while (p < end) {
            const char* stop = scan.next(p);
            pending_.append(p, stop);
            if (stop == end) {
                return;
            }
            if (*stop == '\0') {
                p = stop + 1;
                continue;
            }
            emitPendingWithBreak();
            p = skipBreakLF(stop + 1, end);
        }
    }

    // Takes bytes up to the first NUL, LF or CR, which sets the mode; a CR at the end
    // of the block waits for the next byte. Answers where the mode's rules start.
    const char* detect(const char* p, const char* end) {
        if (crAtEnd_) {
            crAtEnd_ = false;
            if (*p == kLF) {
                kind_ = kBreakCRLF;
                pending_.push_back(kCR);
                pairOpen_ = true;
            } else {
                kind_ = kBreakCR;
                emitPendingWithBreak();
                afterBreak_ = true;
            }
            return p;
        }
        const char* hit =
            std::find_if(p, end, [](char c) { return c == '\0' || c == kLF || c == kCR; });
        if (hit == end) {
            pending_.append(p, end);
            return end;
        }
        pending_.append(p, hit);
        if (*hit == kLF) {
            kind_ = kBreakLF;
        } else if (*hit == '\0') {
            kind_ = kBreakCR;
        } else if (hit + 1 == end) {
            crAtEnd_ = true;
            return end;
        } else {
            kind_ = hit[1] == kLF ? kBreakCRLF : kBreakCR;
        }
        return hit;
    }

    // In CR mode an LF right after a CR break belongs to it (NULs between are dropped).
    const char* skipBreakLF(const char* p, const char* end) {
        while (p < end && *p == '\0') {
            ++p;
        }
        afterBreak_ = p == end;
        if (p < end && *p == kLF) {
            ++p;
        }
        return p;
    }

    void emitPendingWithBreak() {
        pending_.append("\r\n");
        emitPending();
    }

    void emitPending() {
        emit(pending_);
        pending_.clear();
    }

    void emit(std::string_view line) {
        if (cutter_ != nullptr) {
            lineRows_.clear();
            cutter_->cut(line, lineRows_);
            for (std::string& row : lineRows_) {
                add(std::move(row));
            }
        } else {
            add(std::string(line));
        }
        if (rowCount_ > static_cast<std::size_t>(TVelStrings::kMaxListSize)) {
            throw LoadFailure{"the file has too many lines"};
        }
        bytes_ += static_cast<int64_t>(line.size());
    }

    void add(std::string row) {
        if (runs_.empty() || runs_.back().rows.size() >= kRunRows) {
            runs_.emplace_back().rows.reserve(kRunRows);
        }
        LoadedRun& run = runs_.back();
        run.bytes += static_cast<int64_t>(row.size());
        run.lfRows.set(run.rows.size(), EndsWithLf(row));
        run.rows.push_back(std::move(row));
        ++rowCount_;
    }

    std::optional<LineBreakKind> kind_;
    const LineCutter* cutter_;
    std::vector<LoadedRun> runs_;
    std::vector<std::string> lineRows_; // the rows the cutter made of one line
    std::size_t rowCount_ = 0;
    int64_t bytes_ = 0;
    std::string pending_;
    bool pairOpen_ = false;   // CR LF mode: a CR or NUL ended the last block
    bool afterBreak_ = false; // CR mode: the last block ended right after a CR break
    bool crAtEnd_ = false;    // no mode yet: the last block ended with the first CR
};

// Reads up to `size` bytes from the file's current position.
std::string readProbe(std::FILE* file, std::size_t size) {
    std::string bytes(size, '\0');
    bytes.resize(std::fread(bytes.data(), 1, size, file));
    if (std::ferror(file) != 0) {
        throw readFailure();
    }
    return bytes;
}

// The mode the first break of the bytes sets, as RowBuilder decides it; nothing when
// they hold no break or end with the first CR.
std::optional<LineBreakKind> firstBreakKind(std::string_view bytes) {
    const std::size_t hit = bytes.find_first_of(std::string_view("\0\n\r", 3));
    if (hit == std::string_view::npos || hit + 1 == bytes.size()) {
        return std::nullopt;
    }
    if (bytes[hit] == kLF) {
        return kBreakLF;
    }
    if (bytes[hit] == '\0') {
        return kBreakCR;
    }
    return bytes[hit + 1] == kLF ? kBreakCRLF : kBreakCR;
}

// The first offset in `bytes`, read from anywhere in a file, at which a row starts
// whatever came before them; npos when they do not show one.
std::size_t rowStartIn(std::string_view bytes, LineBreakKind kind) {
    const std::size_t size = bytes.size();
    if (kind == kBreakLF) {
        // Every LF ends a row.
        const std::size_t lf = bytes.find(kLF);
        return lf == std::string_view::npos ? lf : lf + 1;
    }
    if (kind == kBreakCR) {
        // Every CR ends a row; NULs and then one LF behind it still belong to it.
        for (std::size_t cr = bytes.find(kCR); cr != std::string_view::npos;
             cr = bytes.find(kCR, cr + 1)) {
            std::size_t q = cr + 1;
            while (q < size && bytes[q] == '\0') {
                ++q;
            }
            if (q < size) {
                return bytes[q] == kLF ? q + 1 : q;
            }
        }
        return std::string_view::npos;
    }
    // CR LF mode: which CR or NUL starts a pair depends on all bytes in front, except
    // behind two ordinary bytes. The first CR or NUL after those starts a pair.
    for (std::size_t q = 1; q < size; ++q) {
        if (!isPairStart(bytes[q - 1]) && !isPairStart(bytes[q])) {
            const auto pair = std::find_if(bytes.begin() + static_cast<std::ptrdiff_t>(q),
                                           bytes.end(), isPairStart);
            const auto at = static_cast<std::size_t>(pair - bytes.begin());
            return at + 1 < size ? at + 2 : std::string_view::npos;
        }
    }
    return std::string_view::npos;
}

bool seekTo(std::FILE* file, int64_t offset) {
    // Offsets stay below kMaxFileSize, which fits a long everywhere.
    return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

// Offsets that cut the file into parts of about partSize bytes, each at a row start
// that the bytes there show; the first is 0. Leaves the file at its start.
std::vector<int64_t> partStarts(std::FILE* file, int64_t size, LineBreakKind kind,
                                int64_t partSize) {
    std::vector<int64_t> starts{0};
    for (int64_t at = partSize; at < size; at += partSize) {
        if (at <= starts.back() || !seekTo(file, at)) {
            continue;
        }
        const auto probe =
            static_cast<std::size_t>(std::min(static_cast<int64_t>(kProbeSize), size - at));
        const std::size_t start = rowStartIn(readProbe(file, probe), kind);
        if (start != std::string_view::npos && at + static_cast<int64_t>(start) < size) {
            starts.push_back(at + static_cast<int64_t>(start));
        }
    }
    if (!seekTo(file, 0)) {
        throw readFailure();
    }
    return starts;
}

// Reads the file from its current position `from` up to `to` (-1: its end) into rows.
// The part up to `to` must end on a row end; the part up to the end holds the last row.
FileRows readPart(std::FILE* file, std::vector<char>& block, int64_t from, int64_t to,
                  std::optional<LineBreakKind> kind, const LineCutter* cutter) {
    RowBuilder builder(kind, cutter);
    int64_t total = from;
    while (to < 0 || total < to) {
        std::size_t want = block.size();
        if (to >= 0) {
            want = std::min(want, static_cast<std::size_t>(to - total));
        }
        const std::size_t got = std::fread(block.data(), 1, want, file);
        if (got == 0) {
            break;
        }
        total += static_cast<int64_t>(got);
        if (total >= kMaxFileSize) {
            throw fileTooLarge();
        }
        builder.feed(block.data(), block.data() + got);
    }
    if (std::ferror(file) != 0) {
        throw readFailure();
    }
    if (to >= 0 && total != to) {
        throw LoadFailure{"the file changed while it was read"};
    }
    return builder.finish(to < 0);
}

// The parts of a file, read by whichever thread is free next: a thread slowed down by
// other work leaves more parts to the other.
class PartReader {
public:
    PartReader(std::vector<int64_t> starts, LineBreakKind kind, const LineCutter* cutter)
        : starts_(std::move(starts)), parts_(starts_.size()), kind_(kind), cutter_(cutter) {}

    // Reads parts through `file` until none is left or another thread failed.
    void work(std::FILE* file) {
        try {
            std::vector<char> block(kReadBlockSize);
            while (!failed_.load(std::memory_order_relaxed)) {
                const std::size_t part = next_.fetch_add(1);
                if (part >= starts_.size()) {
                    return;
                }
                const bool last = part + 1 == starts_.size();
                if (!seekTo(file, starts_[part])) {
                    throw readFailure();
                }
                parts_[part] = readPart(file, block, starts_[part], last ? -1 : starts_[part + 1],
                                        kind_, cutter_);
            }
        } catch (...) {
            failed_ = true;
            throw;
        }
    }

    // All rows, once every part is read.
    FileRows join() {
        FileRows rows;
        std::size_t count = 0;
        for (FileRows& part : parts_) {
            for (LoadedRun& run : part.runs) {
                count += run.rows.size();
                rows.runs.push_back(std::move(run));
            }
            rows.bytes += part.bytes;
        }
        if (count > static_cast<std::size_t>(TVelStrings::kMaxListSize)) {
            throw LoadFailure{"the file has too many lines"};
        }
        return rows;
    }

private:
    std::vector<int64_t> starts_;
    std::vector<FileRows> parts_;
    LineBreakKind kind_;
    const LineCutter* cutter_;
    std::atomic<std::size_t> next_{0};
    std::atomic<bool> failed_{false};
};

// The parts a second thread reads, through a handle of its own; without one it leaves
// them all to the first.
void helpRead(const std::filesystem::path& fileName, PartReader& reader) {
    const FileHandle file = OpenForReading(fileName);
    if (file) {
        reader.work(file.get());
    }
}

// Reads the whole file; one bigger than partSize in parts, on two threads, when the
// cutter allows it and the break style is known from the file's start.
FileRows readAll(const std::filesystem::path& fileName, std::FILE* file, int64_t size,
                 std::optional<LineBreakKind> kind, const LineCutter* cutter, int64_t partSize) {
    if (size > partSize && (cutter == nullptr || cutter->threadSafe) && !kind) {
        kind = firstBreakKind(readProbe(file, kProbeSize));
        if (!seekTo(file, 0)) {
            throw readFailure();
        }
    }
    std::vector<int64_t> starts;
    if (size > partSize && (cutter == nullptr || cutter->threadSafe) && kind) {
        starts = partStarts(file, size, *kind, partSize);
    }
    if (starts.size() < 2) {
        std::vector<char> block(kReadBlockSize);
        return readPart(file, block, 0, -1, kind, cutter);
    }
    PartReader reader(std::move(starts), *kind, cutter);
    std::future<void> helper;
    try {
        helper = std::async(std::launch::async, helpRead, fileName, std::ref(reader));
    } catch (const std::system_error&) {
        // No second thread: this one reads every part.
    }
    try {
        reader.work(file);
    } catch (...) {
        if (helper.valid()) {
            helper.wait();
        }
        throw;
    }
    if (helper.valid()) {
        helper.get();
    }
    return reader.join();
}

} // namespace

FileHandle OpenForReading(const std::filesystem::path& fileName) {
#ifdef _WIN32
    FileHandle file(_wfopen(fileName.c_str(), L"rb"));
#else
    FileHandle file(std::fopen(fileName.c_str(), "rb"));
#endif
    if (file) {
        std::setvbuf(file.get(), nullptr, _IONBF, 0);
    }
    return file;
}

bool ReadFileRows(const std::filesystem::path& fileName, std::optional<LineBreakKind> kind,
                  const LineCutter* cutter, FileRows& rows, std::string& error, int64_t partSize) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(fileName, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    if (size >= static_cast<std::uintmax_t>(kMaxFileSize)) {
        error = fileTooLarge().reason;
        return false;
    }
    FileHandle file = OpenForReading(fileName);
    if (!file) {
        error = std::generic_category().message(errno);
        return false;
    }
    try {
        rows = readAll(fileName, file.get(), static_cast<int64_t>(size), kind, cutter, partSize);
    } catch (const LoadFailure& failure) {
        error = failure.reason;
        return false;
    } catch (const std::bad_alloc&) {
        error = "not enough memory to load the file";
        return false;
    } catch (const std::exception& failure) {
        // Raised by a cutter.
        error = failure.what();
        return false;
    }
    return true;
}

} // namespace lumarik::editor
