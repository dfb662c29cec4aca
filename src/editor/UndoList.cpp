#include "editor/UndoList.h"

#include <utility>

namespace lumarik::editor {

bool UndoList::MakeRoom(int64_t length, int64_t budget, bool& lost) {
    while (bytes_ + length > budget && !records_.empty()) {
        bytes_ -= static_cast<int64_t>(records_.back().text.size());
        records_.pop_back();
        lost = true;
    }
    if (length > budget) {
        lost = true;
        return false;
    }
    return true;
}

void UndoList::PushNewest(UndoRecord record) {
    bytes_ += static_cast<int64_t>(record.text.size());
    records_.push_front(std::move(record));
}

UndoRecord UndoList::PopNewest() {
    UndoRecord record = std::move(records_.front());
    records_.pop_front();
    bytes_ -= static_cast<int64_t>(record.text.size());
    return record;
}

void UndoList::Clear() {
    records_.clear();
    bytes_ = 0;
}

} // namespace lumarik::editor
