#include "editor/Velstrings.h"

#include "platform/SafeFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <istream>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <ostream>
#include <system_error>
#include <utility>

namespace lumarik::editor {

VelStringsError::VelStringsError() : std::out_of_range(kListIndexError) {}

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';
constexpr std::string_view kEndMark{"\0\0", 2};
// Files of this size or more are refused: rows and columns are 32-bit.
constexpr int64_t kMaxFileSize = int64_t{1} << 31;
constexpr std::size_t kReadBlockSize = std::size_t{1} << 20;

// Finds, in one range of bytes, each next byte that is a given stop byte or NUL. The
// last hit of each search is remembered, so that neither is rescanned.
class StopScanner {
public:
    StopScanner(const char* begin, const char* end, char stop)
        : begin_(begin), end_(end), stop_(stop) {}

    // First stop byte or NUL at or after `from`; end of the range when there is none.
    const char* next(const char* from) {
        return std::min(find(stopHit_, from, stop_), find(nulHit_, from, '\0'));
    }

private:
    const char* find(std::ptrdiff_t& hit, const char* from, char byte) {
        if (hit < from - begin_) {
            const void* found = std::memchr(from, byte, static_cast<std::size_t>(end_ - from));
            hit = (found != nullptr ? static_cast<const char*>(found) : end_) - begin_;
        }
        return begin_ + hit;
    }

    const char* begin_;
    const char* end_;
    char stop_;
    std::ptrdiff_t stopHit_ = -1;
    std::ptrdiff_t nulHit_ = -1;
};

// Splits text into lines: each CR or NUL takes the byte after it as its second
// terminator byte; a CR or NUL as the last byte takes the NUL that stands for the end
// of the text. Never fewer than one line.
std::vector<std::string> splitText(std::string_view text, int64_t& bytes) {
    std::vector<std::string> rows;
    bytes = 0;
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    StopScanner scan(begin, end, kCR);
    const char* s = begin;
    do {
        const char* stop = scan.next(s);
        std::string row;
        if (stop == end) {
            row.assign(s, end);
            s = end;
        } else if (stop + 1 == end) {
            row.assign(s, end);
            row.push_back('\0');
            s = end;
        } else {
            row.assign(s, stop + 2);
            s = stop + 2;
        }
        bytes += static_cast<int64_t>(row.size());
        rows.push_back(std::move(row));
    } while (s < end);
    return rows;
}

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

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

FileHandle openForReading(const std::filesystem::path& fileName) {
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

} // namespace

TVelStrings::TVelStrings() = default;

TVelStrings::~TVelStrings() = default;

int TVelStrings::Count() const {
    return static_cast<int>(lines_.size());
}

int TVelStrings::Capacity() const {
    return capacity_;
}

int64_t TVelStrings::ByteCount() const {
    return bytes_;
}

const std::string& TVelStrings::LastError() const {
    return lastError_;
}

void TVelStrings::Error() const {
    throw VelStringsError();
}

void TVelStrings::checkIndex(int index) const {
    if (index < 0 || index >= Count()) {
        Error();
    }
}

void TVelStrings::growForOne() {
    if (Count() == capacity_) {
        growFor(1);
    }
}

void TVelStrings::growFor(std::size_t extra) {
    const int64_t needed = int64_t{Count()} + static_cast<int64_t>(extra);
    if (needed > kMaxListSize) {
        Error();
    }
    if (needed > capacity_) {
        const int64_t step = std::max(Count() / 128, 32);
        capacity_ = static_cast<int>(
            std::min<int64_t>(kMaxListSize, std::max(needed, int64_t{capacity_} + step)));
    }
}

void TVelStrings::adoptRows(std::vector<std::string> rows, int64_t bytes) {
    lines_ = std::move(rows);
    capacity_ = Count();
    bytes_ = bytes;
}

const std::string& TVelStrings::Get(int index) const {
    checkIndex(index);
    return lines_[static_cast<std::size_t>(index)];
}

void TVelStrings::Put(int index, std::string s) {
    checkIndex(index);
    std::string& line = lines_[static_cast<std::size_t>(index)];
    bytes_ += static_cast<int64_t>(s.size()) - static_cast<int64_t>(line.size());
    line = std::move(s);
}

int TVelStrings::Add(std::string s) {
    growForOne();
    lines_.push_back(std::move(s));
    bytes_ += static_cast<int64_t>(lines_.back().size());
    return Count() - 1;
}

void TVelStrings::Insert(int index, std::string s) {
    if (index < 0 || index > Count()) {
        Error();
    }
    growForOne();
    const auto at = lines_.insert(lines_.begin() + index, std::move(s));
    bytes_ += static_cast<int64_t>(at->size());
}

void TVelStrings::Delete(int index) {
    DeleteRange(index, 1);
}

void TVelStrings::Clear() {
    std::vector<std::string>().swap(lines_);
    capacity_ = 0;
    bytes_ = 0;
}

void TVelStrings::SetCount(int n) {
    if (n < 0 || n > kMaxListSize) {
        Error();
    }
    capacity_ = std::max(capacity_, n);
    for (std::size_t i = static_cast<std::size_t>(n); i < lines_.size(); ++i) {
        bytes_ -= static_cast<int64_t>(lines_[i].size());
    }
    lines_.resize(static_cast<std::size_t>(n));
}

void TVelStrings::SetCapacity(int n) {
    if (n < Count() || n > kMaxListSize) {
        Error();
    }
    if (n == capacity_) {
        return;
    }
    const auto slots = static_cast<std::size_t>(n);
    if (slots < lines_.capacity()) {
        std::vector<std::string> smaller;
        smaller.reserve(slots);
        std::move(lines_.begin(), lines_.end(), std::back_inserter(smaller));
        lines_.swap(smaller);
    } else {
        lines_.reserve(slots);
    }
    capacity_ = n;
}

void TVelStrings::AddStrings(const std::vector<std::string>& list) {
    growFor(list.size());
    lines_.insert(lines_.end(), list.begin(), list.end());
    for (const std::string& line : list) {
        bytes_ += static_cast<int64_t>(line.size());
    }
}

void TVelStrings::Assign(const std::vector<std::string>& list) {
    if (list.size() > static_cast<std::size_t>(kMaxListSize)) {
        Error();
    }
    Clear();
    AddStrings(list);
}

void TVelStrings::InsertRange(int index, std::vector<std::string> lines) {
    if (index < 0 || index > Count()) {
        Error();
    }
    growFor(lines.size());
    int64_t added = 0;
    for (const std::string& line : lines) {
        added += static_cast<int64_t>(line.size());
    }
    lines_.insert(lines_.begin() + index, std::make_move_iterator(lines.begin()),
                  std::make_move_iterator(lines.end()));
    bytes_ += added;
}

void TVelStrings::DeleteRange(int index, int count) {
    if (index < 0 || count < 0 || index > Count() - count) {
        Error();
    }
    const auto first = lines_.begin() + index;
    const auto last = first + count;
    for (auto it = first; it != last; ++it) {
        bytes_ -= static_cast<int64_t>(it->size());
    }
    lines_.erase(first, last);
}

void TVelStrings::InsertText(int& index, std::string_view text) {
    if (index < 0 || index > Count()) {
        Error();
    }
    int64_t bytes = 0;
    std::vector<std::string> rows = splitText(text, bytes);
    const std::size_t added = rows.size();
    InsertRange(index, std::move(rows));
    index += static_cast<int>(added) - 1;
}

std::string TVelStrings::GetTextStr() const {
    if (bytes_ < 2) {
        return {};
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(bytes_));
    for (const std::string& line : lines_) {
        text.append(line);
    }
    text.resize(text.size() - 2);
    return text;
}

void TVelStrings::SetTextStr(std::string_view text) {
    int64_t bytes = 0;
    std::vector<std::string> rows = splitText(text, bytes);
    if (rows.size() > static_cast<std::size_t>(kMaxListSize)) {
        Error();
    }
    adoptRows(std::move(rows), bytes);
}

std::string TVelStrings::GetCommaText() const {
    std::string text;
    for (const std::string& line : lines_) {
        if (line.find_first_of(" ,") != std::string::npos) {
            text.append(1, '"').append(line).append(1, '"');
        } else {
            text.append(line);
        }
        text.push_back(',');
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

void TVelStrings::SetCommaText(std::string_view text) {
    std::vector<std::string> rows;
    int64_t bytes = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const bool quoted = text[pos] == '"';
        if (quoted) {
            ++pos;
        }
        const std::string_view ends =
            quoted ? std::string_view("\"\r\0", 3) : std::string_view(",\"\r\0", 4);
        const std::size_t end = std::min(text.find_first_of(ends, pos), text.size());
        rows.emplace_back(text.substr(pos, end - pos));
        bytes += static_cast<int64_t>(end - pos);
        // Past the end byte, and after a quoted item past the separator behind it.
        pos = end + (quoted ? 2 : 1);
    }
    if (rows.size() > static_cast<std::size_t>(kMaxListSize)) {
        Error();
    }
    adoptRows(std::move(rows), bytes);
}

int TVelStrings::IndexOf(std::string_view s) const {
    const auto it = std::find(lines_.begin(), lines_.end(), s);
    return it == lines_.end() ? -1 : static_cast<int>(it - lines_.begin());
}

bool TVelStrings::LoadFromFile(const std::filesystem::path& fileName) {
    return loadRows(fileName, std::nullopt);
}

bool TVelStrings::LoadCRLF(const std::filesystem::path& fileName) {
    return loadRows(fileName, kBreakCRLF);
}

bool TVelStrings::LoadLF(const std::filesystem::path& fileName) {
    return loadRows(fileName, kBreakLF);
}

bool TVelStrings::LoadCR(const std::filesystem::path& fileName) {
    return loadRows(fileName, kBreakCR);
}

bool TVelStrings::loadRows(const std::filesystem::path& fileName,
                           std::optional<LineBreakKind> kind) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(fileName, ec);
    if (ec) {
        lastError_ = ec.message();
        return false;
    }
    if (size >= static_cast<std::uintmax_t>(kMaxFileSize)) {
        lastError_ = "the file is 2 GiB or larger";
        return false;
    }
    FileHandle file = openForReading(fileName);
    if (!file) {
        lastError_ = std::generic_category().message(errno);
        return false;
    }

    std::vector<std::string> rows;
    int64_t bytes = 0;
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
                lastError_ = "the file is 2 GiB or larger";
                return false;
            }
            builder.feed(block.data(), block.data() + got);
        }
        if (std::ferror(file.get()) != 0) {
            lastError_ = std::generic_category().message(errno);
            return false;
        }
        rows = builder.finish(bytes);
    } catch (const RowLimitReached&) {
        lastError_ = "the file has too many lines";
        return false;
    } catch (const std::bad_alloc&) {
        lastError_ = "not enough memory to load the file";
        return false;
    }
    adoptRows(std::move(rows), bytes);
    lastError_.clear();
    return true;
}

bool TVelStrings::SaveToFile(const std::filesystem::path& fileName) const {
    platform::SafeFileWriter writer(fileName);
    return SaveTo(writer);
}

bool TVelStrings::SaveTo(platform::SafeFileWriter& writer) const {
    if (lines_.empty()) {
        lastError_ = "there are no lines to save";
        return false;
    }
    bool ok = writer.open();
    for (std::size_t i = 0; ok && i + 1 < lines_.size(); ++i) {
        ok = writer.write(lines_[i]);
    }
    std::string_view last = lines_.back();
    if (last.ends_with(kEndMark)) {
        last.remove_suffix(kEndMark.size());
    }
    ok = ok && writer.write(last) && writer.commit();
    if (!ok) {
        lastError_ = writer.error();
        return false;
    }
    lastError_.clear();
    return true;
}

void TVelStrings::LoadFromStream(std::istream& stream) {
    const std::string text{std::istreambuf_iterator<char>(stream),
                           std::istreambuf_iterator<char>()};
    if (text.empty()) {
        Clear();
    } else {
        SetTextStr(text);
    }
}

void TVelStrings::SaveToStream(std::ostream& stream) const {
    int64_t remaining = bytes_ - 2;
    for (std::size_t i = 0; remaining > 0 && i < lines_.size(); ++i) {
        const auto n = std::min<int64_t>(remaining, static_cast<int64_t>(lines_[i].size()));
        stream.write(lines_[i].data(), static_cast<std::streamsize>(n));
        remaining -= n;
    }
}

void TVelStrings::Swap(TVelStrings& other) noexcept {
    lines_.swap(other.lines_);
    std::swap(capacity_, other.capacity_);
    std::swap(bytes_, other.bytes_);
}

} // namespace lumarik::editor
