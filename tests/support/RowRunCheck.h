#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "editor/FileRowReader.h"
#include "editor/LfRowBits.h"

namespace lumarik::test {

// Rows with the byte count and LF bits counted afresh, to compare with what a load or
// the line store keeps for them.
inline editor::LoadedRun CountedRun(const std::vector<std::string>& rows) {
    editor::LoadedRun run;
    run.rows = rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        run.bytes += static_cast<int64_t>(rows[i].size());
        run.lfRows.set(i, editor::EndsWithLf(rows[i]));
    }
    return run;
}

} // namespace lumarik::test
