#include "editor/Velstrings.h"

#include "editor/FileRowReader.h"
#include "editor/TextRows.h"
#include "editor/VelEditSub.h"
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

namespace {

constexpr std::size_t kChunkRows = TVelStrings::kChunkRows;
constexpr std::size_t kFilledChunkRows = TVelStrings::kFilledChunkRows;
// A chunk below this joins a neighbour when both fit in one chunk.
constexpr std::size_t kSmallChunkRows = kChunkRows / 4;

int64_t sumOfSizes(const std::string* first, const std::string* last) {
    int64_t bytes = 0;
    for (const std::string* row = first; row != last; ++row) {
        bytes += static_cast<int64_t>(row->size());
    }
    return bytes;
}

// Lets rows take `extra` more without growing past a full chunk's slots.
void reserveFor(std::vector<std::string>& rows, std::size_t extra) {
    if (rows.size() + extra > rows.capacity()) {
        rows.reserve(std::max(kChunkRows, rows.size() + extra));
    }
}

} // namespace

TVelStrings::Chunk::Chunk(std::shared_ptr<Rows> block, std::size_t first, std::size_t count)
    : rows_(block->data() + first), size_(count), block_(std::move(block)) {
    countRows(0, size_);
}

TVelStrings::Chunk::Chunk(Rows rows, int64_t bytes, const LfRowBits& lf) noexcept
    : lfCount_(lf.count()), bytes_(bytes), own_(std::move(rows)), lf_(lf) {
    ownChanged();
}

int64_t TVelStrings::Chunk::bytesOf(std::size_t from, std::size_t to) const {
    return sumOfSizes(rows_ + from, rows_ + to);
}

void TVelStrings::Chunk::countRows(std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
        bytes_ += static_cast<int64_t>(rows_[i].size());
        lf_.set(i, EndsWithLf(rows_[i]));
    }
    lfCount_ = lf_.count();
}

template <class Edit> bool TVelStrings::Chunk::editRow(std::size_t i, Edit&& edit) {
    std::string& row = rows_[i];
    const auto before = static_cast<int64_t>(row.size());
    edit(row);
    bytes_ += static_cast<int64_t>(row.size()) - before;
    const bool lf = EndsWithLf(row);
    if (lf == lf_.test(i)) {
        return false;
    }
    lf_.set(i, lf);
    lfCount_ += lf ? 1 : -1;
    return true;
}

void TVelStrings::Chunk::releaseRow(std::size_t i) noexcept {
    bytes_ -= static_cast<int64_t>(rows_[i].size());
    std::string().swap(rows_[i]);
}

TVelStrings::Rows& TVelStrings::Chunk::owned() {
    if (block_) {
        Rows rows;
        rows.reserve(std::max(size_, kChunkRows));
        rows.assign(std::make_move_iterator(rows_), std::make_move_iterator(rows_ + size_));
        own_ = std::move(rows);
        block_.reset();
        ownChanged();
    }
    return own_;
}

void TVelStrings::Chunk::ownChanged() {
    rows_ = own_.data();
    size_ = own_.size();
}

void TVelStrings::Chunk::insert(std::size_t at, std::string row) {
    Rows& rows = owned();
    reserveFor(rows, 1);
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
    ownChanged();
    lf_.insert(at, 1);
    countRows(at, at + 1);
}

void TVelStrings::Chunk::insert(std::size_t at, Rows::iterator first, Rows::iterator last) {
    Rows& rows = owned();
    const auto n = static_cast<std::size_t>(last - first);
    reserveFor(rows, n);
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(first),
                std::make_move_iterator(last));
    ownChanged();
    lf_.insert(at, n);
    countRows(at, at + n);
}

void TVelStrings::Chunk::erase(std::size_t from, std::size_t to) {
    bytes_ -= bytesOf(from, to);
    lf_.erase(from, to);
    lfCount_ = lf_.count();
    if (block_ && (from == 0 || to == size_)) {
        // A piece of a block shrinks where it stands; the block keeps empty strings.
        for (std::string* row = rows_ + from; row != rows_ + to; ++row) {
            std::string().swap(*row);
        }
        if (from == 0) {
            rows_ += to;
        }
        size_ -= to - from;
        return;
    }
    Rows& rows = owned();
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(from),
               rows.begin() + static_cast<std::ptrdiff_t>(to));
    ownChanged();
}

TVelStrings::Chunk TVelStrings::Chunk::splitOff(std::size_t at) {
    Chunk tail;
    if (block_) {
        tail.block_ = block_;
        tail.rows_ = rows_ + at;
        tail.size_ = size_ - at;
    } else {
        tail.own_.reserve(std::max(kChunkRows, size_ - at));
        tail.own_.assign(std::make_move_iterator(own_.begin() + static_cast<std::ptrdiff_t>(at)),
                         std::make_move_iterator(own_.end()));
        tail.ownChanged();
    }
    tail.bytes_ = tail.bytesOf(0, tail.size_);
    tail.lf_ = lf_.splitOff(at);
    tail.lfCount_ = tail.lf_.count();
    bytes_ -= tail.bytes_;
    lfCount_ -= tail.lfCount_;
    if (block_) {
        size_ = at;
    } else {
        own_.erase(own_.begin() + static_cast<std::ptrdiff_t>(at), own_.end());
        ownChanged();
    }
    return tail;
}

void TVelStrings::Chunk::append(Chunk& next) {
    Rows& rows = owned();
    reserveFor(rows, next.size_);
    rows.insert(rows.end(), std::make_move_iterator(next.rows_),
                std::make_move_iterator(next.rows_ + next.size_));
    lf_.append(size_, next.lf_);
    lfCount_ += next.lfCount_;
    bytes_ += next.bytes_;
    ownChanged();
    next = Chunk();
}

std::vector<TVelStrings::Chunk> TVelStrings::cutIntoChunks(Rows rows) {
    std::vector<Chunk> chunks;
    const std::size_t count = rows.size();
    if (count == 0) {
        return chunks;
    }
    auto block = std::make_shared<Rows>(std::move(rows));
    chunks.reserve((count + kFilledChunkRows - 1) / kFilledChunkRows);
    for (std::size_t first = 0; first < count; first += kFilledChunkRows) {
        chunks.emplace_back(block, first, std::min(kFilledChunkRows, count - first));
    }
    return chunks;
}

VelStringsError::VelStringsError() : std::out_of_range(kListIndexError) {}

TVelStrings::TVelStrings() = default;

TVelStrings::~TVelStrings() = default;

int TVelStrings::Count() const {
    return count_;
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
    if (index < 0 || index >= count_) [[unlikely]] {
        Error();
    }
}

void TVelStrings::growForOne() {
    if (count_ == capacity_) {
        growFor(1);
    }
}

void TVelStrings::growFor(std::size_t extra) {
    const int64_t needed = int64_t{count_} + static_cast<int64_t>(extra);
    if (needed > kMaxListSize) {
        Error();
    }
    if (needed > capacity_) {
        const int64_t step = std::max(count_ / 128, 32);
        capacity_ = static_cast<int>(
            std::min<int64_t>(kMaxListSize, std::max(needed, int64_t{capacity_} + step)));
    }
}

void TVelStrings::refreshStarts() const {
    if (staleFrom_ >= chunks_.size() && starts_.size() == chunks_.size()) {
        return;
    }
    starts_.resize(chunks_.size());
    std::size_t chunk = staleFrom_;
    if (chunk == 0) {
        starts_[0] = {};
        chunk = 1;
    }
    for (; chunk < chunks_.size(); ++chunk) {
        const Chunk& before = chunks_[chunk - 1];
        starts_[chunk] = {starts_[chunk - 1].row + static_cast<int>(before.size()),
                          starts_[chunk - 1].lfRows + before.lfCount()};
    }
    staleFrom_ = chunks_.size();
}

void TVelStrings::startsChangedFrom(std::size_t chunk) {
    staleFrom_ = std::min({staleFrom_, chunk, chunks_.size()});
}

bool TVelStrings::findInChunk(std::size_t chunk, int index, std::size_t& offset) const {
    if (chunk >= staleFrom_) {
        return false;
    }
    // A row in front of the chunk gives a huge unsigned offset, which fails the test.
    offset = static_cast<std::size_t>(index - starts_[chunk].row);
    return offset < chunks_[chunk].size();
}

TVelStrings::RowPlace TVelStrings::locate(int index) const {
    // A walk over the rows stays in one chunk or steps to the next.
    std::size_t offset = 0;
    if (findInChunk(hint_, index, offset)) {
        return {hint_, offset};
    }
    if (findInChunk(hint_ + 1, index, offset)) {
        return {++hint_, offset};
    }
    refreshStarts();
    const auto after =
        std::upper_bound(starts_.begin(), starts_.end(), index,
                         [](int row, const ChunkStart& start) { return row < start.row; });
    hint_ = static_cast<std::size_t>(after - starts_.begin()) - 1;
    return {hint_, static_cast<std::size_t>(index - starts_[hint_].row)};
}

TVelStrings::RowPlace TVelStrings::placeForOne(int index) {
    if (chunks_.empty()) {
        chunks_.emplace_back();
        startsChangedFrom(0);
        return {};
    }
    const RowPlace place =
        index == count_ ? RowPlace{chunks_.size() - 1, chunks_.back().size()} : locate(index);
    const std::size_t size = chunks_[place.chunk].size();
    if (size < kChunkRows) {
        return place;
    }
    // A full chunk takes no more rows: a row at its end opens the next chunk, any
    // other splits it in halves.
    const std::size_t keep = place.offset == size ? size : size / 2;
    Chunk back = chunks_[place.chunk].splitOff(keep);
    chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(place.chunk) + 1, std::move(back));
    startsChangedFrom(place.chunk + 1);
    if (place.offset >= keep) {
        return {place.chunk + 1, place.offset - keep};
    }
    return place;
}

void TVelStrings::tidyChunk(std::size_t chunk) {
    if (chunk >= chunks_.size() || chunks_[chunk].size() >= kSmallChunkRows) {
        return;
    }
    const std::size_t size = chunks_[chunk].size();
    if (size == 0) {
        chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(chunk));
        startsChangedFrom(chunk);
        return;
    }
    // Joins into the chunk before it, or takes in the chunk after it.
    std::size_t first = chunk;
    if (chunk > 0 && chunks_[chunk - 1].size() + size <= kChunkRows) {
        first = chunk - 1;
    } else if (chunk + 1 >= chunks_.size() || size + chunks_[chunk + 1].size() > kChunkRows) {
        return;
    }
    chunks_[first].append(chunks_[first + 1]);
    chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(first) + 1);
    startsChangedFrom(first + 1);
}

void TVelStrings::adoptRows(std::vector<std::string> rows, int64_t bytes) {
    const auto count = static_cast<int>(rows.size());
    std::vector<Chunk> chunks = cutIntoChunks(std::move(rows));
    chunks_.swap(chunks);
    starts_.clear();
    staleFrom_ = 0;
    hint_ = 0;
    count_ = count;
    capacity_ = count;
    bytes_ = bytes;
}

void TVelStrings::adoptRuns(FileRows& rows) {
    std::vector<Chunk> chunks;
    chunks.reserve(rows.runs.size());
    for (LoadedRun& run : rows.runs) {
        if (!run.rows.empty()) {
            chunks.emplace_back(std::move(run.rows), run.bytes, run.lfRows);
        }
    }
    chunks_.swap(chunks);
    chunksReplaced();
}

void TVelStrings::chunksReplaced() {
    std::size_t count = 0;
    int64_t bytes = 0;
    for (const Chunk& chunk : chunks_) {
        count += chunk.size();
        bytes += chunk.bytes();
    }
    starts_.clear();
    staleFrom_ = 0;
    hint_ = 0;
    count_ = static_cast<int>(count);
    capacity_ = count_;
    bytes_ = bytes;
}

const std::string& TVelStrings::Get(int index) const {
    checkIndex(index);
    // A row of the chunk looked at last costs no call: walks over all rows come here.
    std::size_t offset = 0;
    if (findInChunk(hint_, index, offset)) {
        return chunks_[hint_][offset];
    }
    const RowPlace place = locate(index);
    return chunks_[place.chunk][place.offset];
}

template <class Edit> void TVelStrings::editRow(int index, Edit&& edit) {
    checkIndex(index);
    const RowPlace place = locate(index);
    Chunk& chunk = chunks_[place.chunk];
    const int64_t before = chunk.bytes();
    if (chunk.editRow(place.offset, std::forward<Edit>(edit))) {
        startsChangedFrom(place.chunk + 1);
    }
    bytes_ += chunk.bytes() - before;
}

void TVelStrings::Put(int index, std::string s) {
    editRow(index, [&s](std::string& row) { row = std::move(s); });
}

int TVelStrings::Add(std::string s) {
    Insert(count_, std::move(s));
    return count_ - 1;
}

void TVelStrings::Insert(int index, std::string s) {
    if (index < 0 || index > count_) {
        Error();
    }
    growForOne();
    const RowPlace place = placeForOne(index);
    const auto bytes = static_cast<int64_t>(s.size());
    chunks_[place.chunk].insert(place.offset, std::move(s));
    bytes_ += bytes;
    ++count_;
    startsChangedFrom(place.chunk + 1);
}

void TVelStrings::Delete(int index) {
    DeleteRange(index, 1);
}

void TVelStrings::Clear() {
    std::vector<Chunk>().swap(chunks_);
    std::vector<ChunkStart>().swap(starts_);
    staleFrom_ = 0;
    hint_ = 0;
    count_ = 0;
    capacity_ = 0;
    bytes_ = 0;
}

void TVelStrings::SetCount(int n) {
    if (n < 0 || n > kMaxListSize) {
        Error();
    }
    capacity_ = std::max(capacity_, n);
    if (n < count_) {
        DeleteRange(n, count_ - n);
    } else if (n > count_) {
        InsertRange(count_, Rows(static_cast<std::size_t>(n - count_)));
    }
}

void TVelStrings::SetCapacity(int n) {
    if (n < count_ || n > kMaxListSize) {
        Error();
    }
    capacity_ = n;
}

void TVelStrings::AddStrings(const std::vector<std::string>& list) {
    InsertRange(count_, list);
}

void TVelStrings::Assign(const std::vector<std::string>& list) {
    if (list.size() > static_cast<std::size_t>(kMaxListSize)) {
        Error();
    }
    Clear();
    AddStrings(list);
}

void TVelStrings::InsertRange(int index, std::vector<std::string> lines) {
    if (index < 0 || index > count_) {
        Error();
    }
    growFor(lines.size());
    if (lines.empty()) {
        return;
    }
    if (lines.size() == 1) {
        Insert(index, std::move(lines.front()));
        return;
    }
    const int64_t added = sumOfSizes(lines.data(), lines.data() + lines.size());
    const auto n = static_cast<int>(lines.size());
    if (chunks_.empty()) {
        chunks_ = cutIntoChunks(std::move(lines));
        startsChangedFrom(0);
    } else {
        const RowPlace place =
            index == count_ ? RowPlace{chunks_.size() - 1, chunks_.back().size()} : locate(index);
        Chunk& chunk = chunks_[place.chunk];
        if (chunk.size() + lines.size() <= kChunkRows) {
            chunk.insert(place.offset, lines.begin(), lines.end());
        } else {
            // The new rows stay in a block of their own; the chunk's tail follows them.
            std::vector<Chunk> fresh = cutIntoChunks(std::move(lines));
            Chunk tail = chunk.splitOff(place.offset);
            if (tail.size() > 0) {
                fresh.push_back(std::move(tail));
            }
            const std::size_t last = place.chunk + fresh.size();
            chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(place.chunk) + 1,
                           std::make_move_iterator(fresh.begin()),
                           std::make_move_iterator(fresh.end()));
            tidyChunk(last);
            tidyChunk(place.chunk);
        }
        startsChangedFrom(place.chunk + 1);
    }
    count_ += n;
    bytes_ += added;
}

void TVelStrings::DeleteRange(int index, int count) {
    if (index < 0 || count < 0 || index > count_ - count) {
        Error();
    }
    if (count == 0) {
        return;
    }
    const RowPlace place = locate(index);
    auto left = static_cast<std::size_t>(count);
    // The tail of the first chunk, then whole chunks, then the head of the last one.
    Chunk& first = chunks_[place.chunk];
    const std::size_t to = place.offset + std::min(left, first.size() - place.offset);
    int64_t removed = first.bytes();
    left -= to - place.offset;
    first.erase(place.offset, to);
    removed -= first.bytes();
    std::size_t next = place.chunk + 1;
    for (; left > 0 && chunks_[next].size() <= left; ++next) {
        Chunk& whole = chunks_[next];
        removed += whole.bytes();
        left -= whole.size();
        whole.erase(0, whole.size());
    }
    if (left > 0) {
        Chunk& last = chunks_[next];
        removed += last.bytes();
        last.erase(0, left);
        removed -= last.bytes();
    }
    chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(place.chunk) + 1,
                  chunks_.begin() + static_cast<std::ptrdiff_t>(next));
    startsChangedFrom(place.chunk + 1);
    count_ -= count;
    bytes_ -= removed;
    tidyChunk(place.chunk + 1);
    tidyChunk(place.chunk);
}

void TVelStrings::InsertBytes(int index, int col, std::string_view bytes) {
    editRow(index, [col, bytes](std::string& row) {
        const std::size_t at = std::min(static_cast<std::size_t>(std::max(col, 0)), row.size());
        row.insert(at, bytes.data(), bytes.size());
    });
}

void TVelStrings::EraseBytes(int index, int col, int count) {
    editRow(index, [col, count](std::string& row) {
        const std::size_t at = std::min(static_cast<std::size_t>(std::max(col, 0)), row.size());
        row.erase(at, std::min(static_cast<std::size_t>(std::max(count, 0)), row.size() - at));
    });
}

void TVelStrings::AppendBytes(int index, std::string_view bytes) {
    editRow(index, [bytes](std::string& row) { row.append(bytes); });
}

void TVelStrings::InsertText(int& index, std::string_view text) {
    if (index < 0 || index > count_) {
        Error();
    }
    int64_t bytes = 0;
    std::vector<std::string> rows = SplitText(text, bytes);
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
    for (const Chunk& chunk : chunks_) {
        for (const std::string& line : chunk) {
            text.append(line);
        }
    }
    text.resize(text.size() - 2);
    return text;
}

void TVelStrings::SetTextStr(std::string_view text) {
    int64_t bytes = 0;
    std::vector<std::string> rows = SplitText(text, bytes);
    if (rows.size() > static_cast<std::size_t>(kMaxListSize)) {
        Error();
    }
    adoptRows(std::move(rows), bytes);
}

std::string TVelStrings::GetCommaText() const {
    std::string text;
    for (const Chunk& chunk : chunks_) {
        for (const std::string& line : chunk) {
            if (line.find_first_of(" ,") != std::string::npos) {
                text.append(1, '"').append(line).append(1, '"');
            } else {
                text.append(line);
            }
            text.push_back(',');
        }
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
    int start = 0;
    for (const Chunk& chunk : chunks_) {
        const auto it = std::find(chunk.begin(), chunk.end(), s);
        if (it != chunk.end()) {
            return start + static_cast<int>(it - chunk.begin());
        }
        start += static_cast<int>(chunk.size());
    }
    return -1;
}

bool TVelStrings::LoadFromFile(const std::filesystem::path& fileName) {
    return loadRows(fileName, std::nullopt);
}

bool TVelStrings::LoadCutFromFile(const std::filesystem::path& fileName, const LineCutter& cutter) {
    return loadRows(fileName, std::nullopt, &cutter);
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

bool TVelStrings::loadRows(const std::filesystem::path& fileName, std::optional<LineBreakKind> kind,
                           const LineCutter* cutter) {
    FileRows rows;
    if (!ReadFileRows(fileName, kind, cutter, rows, lastError_)) {
        return false;
    }
    adoptRuns(rows);
    lastError_.clear();
    return true;
}

bool TVelStrings::SaveToFile(const std::filesystem::path& fileName) const {
    platform::SafeFileWriter writer(fileName);
    return SaveTo(writer);
}

bool TVelStrings::SaveTo(platform::SafeFileWriter& writer) const {
    if (count_ == 0) {
        lastError_ = "there are no lines to save";
        return false;
    }
    bool ok = writer.open();
    const std::string& lastRow = chunks_.back()[chunks_.back().size() - 1];
    for (auto chunk = chunks_.begin(); ok && chunk != chunks_.end(); ++chunk) {
        for (auto row = chunk->begin(); ok && row != chunk->end() && row != &lastRow; ++row) {
            ok = writer.write(*row);
        }
    }
    std::string_view last = lastRow;
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
    for (auto chunk = chunks_.begin(); remaining > 0 && chunk != chunks_.end(); ++chunk) {
        for (auto row = chunk->begin(); remaining > 0 && row != chunk->end(); ++row) {
            const auto n = std::min<int64_t>(remaining, static_cast<int64_t>(row->size()));
            stream.write(row->data(), static_cast<std::streamsize>(n));
            remaining -= n;
        }
    }
}

std::size_t TVelStrings::RunCount() const {
    return chunks_.size();
}

RowRun TVelStrings::Run(std::size_t run) const {
    refreshStarts();
    const Chunk& chunk = chunks_[run];
    return {starts_[run].row, static_cast<int>(chunk.size()), chunk.bytes(), starts_[run].lfRows,
            &chunk.lf()};
}

std::size_t TVelStrings::RunOfRow(int index) const {
    checkIndex(index);
    return locate(index).chunk;
}

std::size_t TVelStrings::RunOfLfRow(int n) const {
    refreshStarts();
    // The first chunk with n or more LF rows in front of it follows the one holding it.
    const auto after =
        std::lower_bound(starts_.begin(), starts_.end(), n,
                         [](const ChunkStart& start, int lfRows) { return start.lfRows < lfRows; });
    const auto run = static_cast<std::size_t>(after - starts_.begin());
    if (run > 0 && starts_[run - 1].lfRows + chunks_[run - 1].lfCount() >= n) {
        return run - 1;
    }
    return chunks_.size();
}

void TVelStrings::RecutLines(const LineCutter& cutter, const LineCutter& restore) {
    std::size_t made = 0;
    try {
        recut(chunks_.size(), cutter, made);
    } catch (...) {
        std::size_t remade = 0;
        try {
            recut(made, restore, remade);
        } catch (...) {
            // The text stays whole: the lines in front are in the new rows.
        }
        throw;
    }
}

void TVelStrings::recut(std::size_t end, const LineCutter& cutter, std::size_t& made) {
    // The new chunks, then the old chunks not yet cut: room for both is kept so that
    // putting them together after a failure needs no memory.
    std::vector<Chunk> laid;
    laid.reserve(chunks_.size() + 1);
    // The chunk being filled, and fresh row vectors for the ones after it.
    Rows filling;
    int64_t fillingBytes = 0;
    LfRowBits fillingLf;
    std::vector<Rows> fresh;
    Rows lineRows;
    std::string joined;
    std::size_t chunk = 0; // the next old row
    std::size_t offset = 0;
    const auto roomInFilling = [&filling] {
        return filling.capacity() < kFilledChunkRows ? 0 : kFilledChunkRows - filling.size();
    };

    const auto putTogether = [&]() noexcept {
        if (!filling.empty()) {
            laid.emplace_back(std::move(filling), fillingBytes, fillingLf);
        }
        made = laid.size();
        if (chunk < chunks_.size() && offset > 0) {
            chunks_[chunk].erase(0, offset);
        }
        for (std::size_t c = chunk; c < chunks_.size(); ++c) {
            laid.push_back(std::move(chunks_[c]));
        }
        chunks_.swap(laid);
        chunksReplaced();
    };

    try {
        while (chunk < end) {
            // The rows of the next logical line: up to one with a terminator, or to the
            // last row of the chunks to cut.
            std::size_t lastChunk = chunk;
            std::size_t lastOffset = offset;
            while (!HasTerminator(chunks_[lastChunk][lastOffset])) {
                if (lastOffset + 1 < chunks_[lastChunk].size()) {
                    ++lastOffset;
                } else if (lastChunk + 1 < end) {
                    ++lastChunk;
                    lastOffset = 0;
                } else {
                    break;
                }
            }
            std::string_view line = chunks_[chunk][offset];
            if (lastChunk != chunk || lastOffset != offset) {
                joined.clear();
                for (std::size_t c = chunk, o = offset;; ++o) {
                    if (o == chunks_[c].size()) {
                        ++c;
                        o = 0;
                    }
                    joined += chunks_[c][o];
                    if (c == lastChunk && o == lastOffset) {
                        break;
                    }
                }
                line = joined;
            }
            lineRows.clear();
            cutter.cut(line, lineRows);

            // Everything the line's rows need is allocated before anything changes.
            const std::size_t room = roomInFilling();
            const std::size_t more = lineRows.size() > room ? lineRows.size() - room : 0;
            const std::size_t vectors = (more + kFilledChunkRows - 1) / kFilledChunkRows;
            fresh.reserve(vectors);
            while (fresh.size() < vectors) {
                fresh.emplace_back().reserve(kFilledChunkRows);
            }
            const std::size_t needed = laid.size() + vectors + 1 + (chunks_.size() - chunk);
            if (laid.capacity() < needed) {
                laid.reserve(std::max(needed, laid.capacity() * 2));
            }

            for (std::string& row : lineRows) {
                if (roomInFilling() == 0) {
                    if (!filling.empty()) {
                        laid.emplace_back(std::move(filling), fillingBytes, fillingLf);
                    }
                    filling = std::move(fresh.back());
                    fresh.pop_back();
                    fillingBytes = 0;
                    fillingLf = {};
                }
                fillingBytes += static_cast<int64_t>(row.size());
                fillingLf.set(filling.size(), EndsWithLf(row));
                filling.push_back(std::move(row));
            }
            // The old rows of the line go.
            while (true) {
                chunks_[chunk].releaseRow(offset);
                const bool last = chunk == lastChunk && offset == lastOffset;
                if (++offset == chunks_[chunk].size()) {
                    chunks_[chunk] = Chunk();
                    ++chunk;
                    offset = 0;
                }
                if (last) {
                    break;
                }
            }
        }
    } catch (...) {
        putTogether();
        throw;
    }
    putTogether();
}

void TVelStrings::Swap(TVelStrings& other) noexcept {
    chunks_.swap(other.chunks_);
    starts_.swap(other.starts_);
    std::swap(staleFrom_, other.staleFrom_);
    std::swap(hint_, other.hint_);
    std::swap(count_, other.count_);
    std::swap(capacity_, other.capacity_);
    std::swap(bytes_, other.bytes_);
}

} // namespace lumarik::editor
