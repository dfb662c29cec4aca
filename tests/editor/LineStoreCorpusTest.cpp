#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "editor/FileRowReader.h"
#include "editor/LogicalLineIndex.h"
#include "editor/Velstrings.h"
#include "editor/WrapCut.h"
#include "editor/WrapLayout.h"
#include "support/RowRunCheck.h"
#include "support/TempDir.h"

using namespace lumarik::editor;
using lumarik::test::readBytes;
using lumarik::test::TempDir;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

// What saving a loaded file must write, worked out from its bytes alone. A file whose
// first break is CR LF comes back unchanged. Otherwise its NUL bytes vanish and each
// break becomes CR LF: LF or CR (whichever comes first; CR when there is none), and
// a CR LF pair counts as one break.
std::string expectedSave(const std::string& bytes) {
    const auto first = bytes.find_first_of("\r\n\0"s);
    if (first != std::string::npos && bytes.compare(first, 2, "\r\n") == 0) {
        return bytes;
    }
    const char breakByte = first != std::string::npos && bytes[first] == '\n' ? '\n' : '\r';
    std::string text = bytes;
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());

    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool paired = breakByte == '\n' ? i > 0 && text[i - 1] == '\r'
                                              : i + 1 < text.size() && text[i + 1] == '\n';
        if (text[i] == breakByte && !paired) {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<fs::path> corpusFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(LUMARIK_CORPUS_DIR)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> rowsOf(const TVelStrings& store) {
    std::vector<std::string> rows;
    for (int i = 0; i < store.Count(); ++i) {
        rows.push_back(store.Get(i));
    }
    return rows;
}

// The rows of a file read in one pass or in parts of 4 KiB, each line cut by `cutter`.
std::vector<std::string> readRows(const fs::path& file, const LineCutter& cutter, bool inParts) {
    FileRows read;
    std::string error;
    EXPECT_TRUE(ReadFileRows(file, std::nullopt, &cutter, read, error,
                             inParts ? 4096 : std::numeric_limits<int64_t>::max()))
        << error;
    std::vector<std::string> rows;
    for (const LoadedRun& run : read.runs) {
        EXPECT_EQ(run, lumarik::test::CountedRun(run.rows));
        rows.insert(rows.end(), run.rows.begin(), run.rows.end());
    }
    return rows;
}

} // namespace

TEST(LineStoreCorpus, EveryRealFileWrapsAlikeReadInOnePassOrInPartsOrWrappedAfterTheLoad) {
    if (!fs::is_directory(LUMARIK_CORPUS_DIR)) {
        GTEST_SKIP() << "corpus folder not found; real-file checks skipped";
    }
    WrapParams params;
    params.column = 80;
    const LineCutter asIs{
        [](std::string_view line, std::vector<std::string>& rows) { rows.emplace_back(line); },
        true};
    const LineCutter wrap{[&params](std::string_view line, std::vector<std::string>& rows) {
                              AppendSplitLine(line, params, rows);
                          },
                          true};
    for (const fs::path& file : corpusFiles()) {
        SCOPED_TRACE(file.filename().string());
        TVelStrings store;
        ASSERT_TRUE(store.LoadFromFile(file)) << store.LastError();
        EXPECT_EQ(readRows(file, asIs, true), rowsOf(store));

        const std::vector<std::string> plain = rowsOf(store);
        std::vector<std::string> wrappedInOnePass;
        WrapAll(store, params, wrappedInOnePass);
        LogicalLineIndex index(store);
        RewrapAll(store, index, true, params, {0, 0}, {0, 0});
        const std::vector<std::string> wrapped = rowsOf(store);
        EXPECT_EQ(wrapped, wrappedInOnePass);
        EXPECT_EQ(readRows(file, wrap, false), wrapped);
        EXPECT_EQ(readRows(file, wrap, true), wrapped);
        TVelStrings loaded;
        ASSERT_TRUE(LoadWrapped(loaded, file, params)) << loaded.LastError();
        EXPECT_EQ(rowsOf(loaded), wrapped);

        // Laid out again from the wrapped rows: at another column, and back unwrapped.
        WrapParams narrow = params;
        narrow.column = 23;
        TVelStrings plainStore;
        plainStore.Assign(plain);
        std::vector<std::string> narrowInOnePass;
        WrapAll(plainStore, narrow, narrowInOnePass);
        RewrapAll(store, index, true, narrow, {0, 0}, {0, 0});
        EXPECT_EQ(rowsOf(store), narrowInOnePass);
        RewrapAll(store, index, false, narrow, {0, 0}, {0, 0});
        EXPECT_EQ(rowsOf(store), plain);
    }
}

TEST(LineStoreCorpus, EveryRealFileLoadsAndSavesWithOnlyItsBreaksChanged) {
    const fs::path corpus = LUMARIK_CORPUS_DIR;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "corpus folder " << corpus << " not found; real-file checks skipped";
    }
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty()) << "corpus folder " << corpus << " is empty";

    TempDir dir;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        TVelStrings store;
        ASSERT_TRUE(store.LoadFromFile(file)) << store.LastError();
        for (int i = 0; i + 1 < store.Count(); ++i) {
            const std::string& row = store.Get(i);
            ASSERT_TRUE(row.size() >= 2 &&
                        (row[row.size() - 2] == '\r' || row[row.size() - 2] == '\0'))
                << "row " << i << " has no terminator";
        }
        EXPECT_TRUE(store.Get(store.Count() - 1).ends_with("\0\0"s));

        ASSERT_TRUE(store.SaveToFile(dir.file("saved"))) << store.LastError();
        const std::string saved = readBytes(dir.file("saved"));
        const std::string expected = expectedSave(readBytes(file));
        EXPECT_EQ(saved.size(), expected.size());
        EXPECT_TRUE(saved == expected) << "saved bytes differ";
    }
}
