#pragma once

#include <cstdint>
#include <deque>
#include <string>

namespace lumarik::editor {

// What an undo record took note of, and so what taking it back does.
enum class UndoKind : uint8_t {
    Inserted = 0,    // typed, pasted or dropped bytes: removed again
    Deleted = 1,     // a deleted selection or word: inserted again, caret after it
    BackSpaced = 2,  // a character removed by BackSpace: inserted again, caret after it
    Deleted1 = 3,    // a character removed by Delete: inserted again, caret before it
    Overwritten = 5, // bytes typed over: inserted again with the following Inserted record
};

// One elementary edit at a logical position (column from the logical line's start).
struct UndoRecord {
    UndoKind kind = UndoKind::Inserted;
    int col = 0;
    int line = 0;
    std::string text;
    // Taken back together with the record before it: an insertion that replaced a
    // selection, wherever the deletion left the caret.
    bool withOlder = false;
};

// The undo history, newest first, bounded by a byte budget over the recorded texts.
// Records are added and taken back at the front; the budget drops them at the back.
class UndoList {
public:
    bool Empty() const { return records_.empty(); }
    std::size_t Size() const { return records_.size(); }
    int64_t Bytes() const { return bytes_; }
    const UndoRecord& Newest() const { return records_.front(); }

    // Makes room for a text of `length` bytes under `budget`, dropping the oldest
    // records; answers whether a text that long fits the budget at all. Sets
    // lost when history was dropped or the text does not fit.
    bool MakeRoom(int64_t length, int64_t budget, bool& lost);
    void PushNewest(UndoRecord record);
    UndoRecord PopNewest();
    void JoinNewestWithOlder() { records_.front().withOlder = true; }
    void Clear();

private:
    std::deque<UndoRecord> records_;
    int64_t bytes_ = 0;
};

} // namespace lumarik::editor
