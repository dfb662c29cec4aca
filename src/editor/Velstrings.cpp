#include "editor/Velstrings.h"

#include "editor/FileRowReader.h"
#include "editor/TextRows.h"
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
    // Room to grow, so that the first edits that add rows do not move every slot.
    rows.reserve(rows.size() + rows.size() / 8 + 32);
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
    for (const std::string& line : lines_) {
        text.append(line);
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
    std::vector<std::string> rows;
    int64_t bytes = 0;
    if (!ReadFileRows(fileName, kind, rows, bytes, lastError_)) {
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
