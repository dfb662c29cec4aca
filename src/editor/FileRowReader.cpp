#include "editor/FileRowReader.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <system_error>
#include <utility>

#include "editor/TextRows.h"

namespace lumarik::editor {

namespace {

// Files of this size or more are refused: rows and columns are 32-bit.
constexpr int64_t kMaxFileSize = int64_t{1} << 31;
constexpr std::size_t kReadBlockSize = std::size_t{1} << 20;

// Raised inside a load when the file has more lines than the store can hold.
struct RowLimitReached {};

// Builds the rows of a file from its bytes, fed block by block. In CR LF mode each CR
// or NUL ends a row with the byte after it. In LF and CR mode the break byte, and a
// CR LF pair, become CR LF and NUL bytes are dropped. The last row always ends with
// the end-of-text mark; a CR or NUL as the last byte of a CR LF file stays an ordinary
// byte of it, so the file saves back unchanged.
//
// Without a given mode the file's first break decides it, as DetectLineBreak does:
// the bytes in front of it are ordinary in every mode, so one pass suffices.
class RowBuilder {
public:
    explicit RowBuilder(std::optional<LineBreakKind> kind) : kind_(kind) {}

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

    // Adds the last row and hands over all rows.
    std::vector<std::string> finish(int64_t& bytes) {
        if (!kind_ && crAtEnd_) {
            // The file's one break is a CR as its last byte: a CR file.
            emitWithBreak(takePending());
        }
        pending_.append(kEndMark);
        emit(std::move(pending_));
        bytes = bytes_;
        return std::move(rows_);
    }

private:
    void feedCRLF(const char* p, const char* end) {
        if (p < end && pairOpen_) {
            pending_.push_back(*p++);
            emit(takePending());
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
                emit(std::string(p, stop + 2));
            } else {
                pending_.append(p, stop + 2);
                emit(takePending());
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
            } else {
                // A CR right before the LF (also one carried over) makes one break.
                std::string row = takeRow(p, stop);
                if (row.empty() || row.back() != kCR) {
                    row.push_back(kCR);
                }
                row.push_back(kLF);
                emit(std::move(row));
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
            if (stop == end) {
                pending_.append(p, end);
                return;
            }
            if (*stop == '\0') {
                pending_.append(p, stop);
                p = stop + 1;
                continue;
            }
            emitWithBreak(takeRow(p, stop));
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
                emitWithBreak(takePending());
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

    // The pending bytes followed by [from, to), with room for a CR LF.
    std::string takeRow(const char* from, const char* to) {
        if (!pending_.empty()) {
            pending_.append(from, to);
            return takePending();
        }
        std::string row;
        row.reserve(static_cast<std::size_t>(to - from) + 2);
        row.assign(from, to);
        return row;
    }

    std::string takePending() {
        std::string row = std::move(pending_);
        pending_.clear();
        return row;
    }

    void emitWithBreak(std::string row) {
        row.append("\r\n");
        emit(std::move(row));
    }

    void emit(std::string row) {
        if (rows_.size() >= static_cast<std::size_t>(TVelStrings::kMaxListSize)) {
            throw RowLimitReached{};
        }
        bytes_ += static_cast<int64_t>(row.size());
        rows_.push_back(std::move(row));
    }

    std::optional<LineBreakKind> kind_;
    std::vector<std::string> rows_;
    int64_t bytes_ = 0;
    std::string pending_;
    bool pairOpen_ = false;   // CR LF mode: a CR or NUL ended the last block
    bool afterBreak_ = false; // CR mode: the last block ended right after a CR break
    bool crAtEnd_ = false;    // no mode yet: the last block ended with the first CR
};

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
                  std::vector<std::string>& rows, int64_t& bytes, std::string& error) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(fileName, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    if (size >= static_cast<std::uintmax_t>(kMaxFileSize)) {
        error = "the file is 2 GiB or larger";
        return false;
    }
    FileHandle file = OpenForReading(fileName);
    if (!file) {
        error = std::generic_category().message(errno);
        return false;
    }

    try {
        RowBuilder builder(kind);
        std::vector<char> block(kReadBlockSize);
        int64_t total = 0;
        while (true) {
            const std::size_t got = std::fread(block.data(), 1, block.size(), file.get());
            if (got == 0) {
                break;
            }
            total += static_cast<int64_t>(got);
            if (total >= kMaxFileSize) {
                error = "the file is 2 GiB or larger";
                return false;
            }
            builder.feed(block.data(), block.data() + got);
        }
        if (std::ferror(file.get()) != 0) {
            error = std::generic_category().message(errno);
            return false;
        }
        rows = builder.finish(bytes);
    } catch (const RowLimitReached&) {
        error = "the file has too many lines";
        return false;
    } catch (const std::bad_alloc&) {
        error = "not enough memory to load the file";
        return false;
    }
    return true;
}

} // namespace lumarik::editor
