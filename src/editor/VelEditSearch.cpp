// TVelEdit: the search state that caret moves reset.
#include "editor/VelEdit.h"

namespace lumarik::editor {

void TVelEdit::SearchCaretMoved() {
    NewSearch = true;
    if (HitLen > 0 && !HasSelection()) {
        DrawHighlight(HitCol, HitLine, true, FSelColor, FColor, HitLen);
    }
    HitLen = 0;
}

} // namespace lumarik::editor
