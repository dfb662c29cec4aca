#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "editor/FileRowReader.h"
#include "editor/Velstrings.h"
#include "platform/SafeFileWriter.h"
#include "support/RowRunCheck.h"
#include "support/TempDir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

using namespace lumarik::editor;
using lumarik::platform::SafeFileWriter;
using lumarik::test::readBytes;
using lumarik::test::TempDir;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

using Rows = std::vector<std::string>;

Rows rowsOf(const TVelStrings& store) {
    Rows rows;
    for (int i = 0; i < store.Count(); ++i) {
        rows.push_back(store.Get(i));
    }
    return rows;
}

// Rows and byte count of a file read in one pass, or in parts of about partSize bytes
// where the break style shows where they start.
struct ReadResult {
    Rows rows;
    int64_t bytes = 0;
    bool operator==(const ReadResult&) const = default;
};

constexpr int64_t kOnePass = std::numeric_limits<int64_t>::max();

ReadResult readRows(const fs::path& file, std::optional<LineBreakKind> kind, int64_t partSize) {
    FileRows read;
    std::string error;
    EXPECT_TRUE(ReadFileRows(file, kind, nullptr, read, error, partSize)) << error;
    ReadResult result;
    for (const LoadedRun& run : read.runs) {
        EXPECT_EQ(run, lumarik::test::CountedRun(run.rows));
        result.rows.insert(result.rows.end(), run.rows.begin(), run.rows.end());
    }
    result.bytes = read.bytes;
    return result;
}

class LineStoreFile : public ::testing::Test {
protected:
    // Loads bytes from a file of the temporary folder.
    Rows load(const std::string& bytes) {
        TVelStrings store;
        EXPECT_TRUE(store.LoadFromFile(dir_.write("in.txt", bytes))) << store.LastError();
        return rowsOf(store);
    }

    // Loads bytes from a file and answers what saving the store writes.
    std::string roundTrip(const std::string& bytes) {
        TVelStrings store;
        EXPECT_TRUE(store.LoadFromFile(dir_.write("in.txt", bytes))) << store.LastError();
        EXPECT_TRUE(store.SaveToFile(dir_.file("out.txt"))) << store.LastError();
        return readBytes(dir_.file("out.txt"));
    }

    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_.path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir_;
};

// Deterministic text of many lines of 0..199 bytes (ASCII and double-byte pairs, one
// with a 0x5C trail byte), each followed by `lineBreak`, up to about `size` bytes.
std::string manyLines(std::size_t size, const std::string& lineBreak) {
    std::string text;
    unsigned state = 12345;
    while (text.size() < size) {
        state = state * 1103515245 + 12345;
        const unsigned length = (state >> 16) % 200;
        for (unsigned i = 0; i < length; i += 2) {
            text += (i % 6 == 0) ? "\x95\x5C" : "ab";
        }
        text += lineBreak;
    }
    return text;
}

// An LF or CR file as the loader saves it: every break byte not already part of a
// CR LF pair becomes CR LF.
std::string withCrLf(const std::string& bytes, char breakByte) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const bool paired = breakByte == '\n' ? i > 0 && bytes[i - 1] == '\r'
                                              : i + 1 < bytes.size() && bytes[i + 1] == '\n';
        if (c == breakByte && !paired) {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

// A write that reports a full disk once `limit` bytes went through.
SafeFileWriter::WriteFunction fullAfter(std::size_t limit) {
    return [limit, written = std::size_t{0}](int fd, const char* data,
                                             std::size_t size) mutable -> std::ptrdiff_t {
        if (written >= limit) {
            errno = ENOSPC;
            return -1;
        }
        const std::ptrdiff_t n =
            SafeFileWriter::systemWrite(fd, data, std::min(size, limit - written));
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        }
        return n;
    };
}

#ifdef __linux__
// Sets or clears the immutable flag, which no one may write through, the superuser
// included; false where the file system or the process cannot set it.
bool setImmutable(const fs::path& file, bool on) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}
#endif

} // namespace

TEST_F(LineStoreFile, DetectsTheFirstBreakOfTheFile) {
    EXPECT_EQ(DetectLineBreak(dir_.write("empty", "")), kBreakEmpty);
    EXPECT_EQ(DetectLineBreak(dir_.write("crlf", "a\r\nb\n")), kBreakCRLF);
    EXPECT_EQ(DetectLineBreak(dir_.write("lf", "a\nb\r\n")), kBreakLF);
    EXPECT_EQ(DetectLineBreak(dir_.write("cr", "a\rb\r\n")), kBreakCR);
    EXPECT_EQ(DetectLineBreak(dir_.write("none", "abc")), kBreakCR);
    EXPECT_EQ(DetectLineBreak(dir_.write("trailing cr", "abc\r")), kBreakCR);
    EXPECT_EQ(DetectLineBreak(dir_.write("nul first", "a\0\r\n"s)), kBreakCR);
    EXPECT_EQ(DetectLineBreak(dir_.file("missing")), -1);
    EXPECT_EQ(DetectLineBreak(dir_.path()), -1);
}

TEST_F(LineStoreFile, DetectionLooksBeyondALongFirstLine) {
    for (std::size_t length : {1023U, 1024U, 16383U, 16384U, 65535U, 65536U, 200000U}) {
        SCOPED_TRACE(length);
        const std::string line(length, 'x');
        EXPECT_EQ(DetectLineBreak(dir_.write("f", line + "\r\nb")), kBreakCRLF);
        EXPECT_EQ(DetectLineBreak(dir_.write("f", line + "\nb")), kBreakLF);
        EXPECT_EQ(DetectLineBreak(dir_.write("f", line + "\rb")), kBreakCR);
        EXPECT_EQ(DetectLineBreak(dir_.write("f", line + "\r")), kBreakCR);
        EXPECT_EQ(DetectLineBreak(dir_.write("f", line)), kBreakCR);
    }
    const std::string header(3000, 'h');
    EXPECT_EQ(roundTrip(header + "\r\nrow\r\n"), header + "\r\nrow\r\n");
    EXPECT_EQ(roundTrip(header + "\nrow\n"), header + "\r\nrow\r\n");
}

TEST_F(LineStoreFile, LoadFromFileUsesTheLoaderOfTheDetectedBreak) {
    // Every file of up to five bytes drawn from CR, LF, NUL and a letter.
    const std::string alphabet = "\r\n\0a"s;
    std::vector<std::string> files = {""};
    for (std::size_t i = 0; files[i].size() < 5; ++i) {
        for (char c : alphabet) {
            files.push_back(files[i] + c);
        }
    }
    for (const std::string& bytes : files) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        const fs::path file = dir_.write("in.txt", bytes);
        TVelStrings detected;
        ASSERT_TRUE(detected.LoadFromFile(file));
        TVelStrings chosen;
        switch (DetectLineBreak(file)) {
        case kBreakCRLF:
            ASSERT_TRUE(chosen.LoadCRLF(file));
            break;
        case kBreakLF:
            ASSERT_TRUE(chosen.LoadLF(file));
            break;
        case kBreakCR:
            ASSERT_TRUE(chosen.LoadCR(file));
            break;
        case kBreakEmpty:
            chosen.Add("\0\0"s);
            break;
        default:
            FAIL() << "not detected";
        }
        EXPECT_EQ(rowsOf(detected), rowsOf(chosen));
    }
}

TEST_F(LineStoreFile, CrLfFileLoadsIntoTerminatedRows) {
    EXPECT_EQ(load("a\r\nb\r\n"), (Rows{"a\r\n", "b\r\n", "\0\0"s}));
    EXPECT_EQ(load("a\r\nb"), (Rows{"a\r\n", "b\0\0"s}));
    // A lone CR or a NUL ends a row together with the byte after it.
    EXPECT_EQ(load("a\r\nb\rc\r\n"), (Rows{"a\r\n", "b\rc", "\r\n", "\0\0"s}));
    EXPECT_EQ(load("a\r\nb\0cd\r\n"s), (Rows{"a\r\n", "b\0c"s, "d\r\n", "\0\0"s}));
    // A CR or NUL as the last byte has no partner: it stays an ordinary byte of the
    // last row, which still ends with the end-of-text mark.
    EXPECT_EQ(load("a\r\nb\r"), (Rows{"a\r\n", "b\r\0\0"s}));
    EXPECT_EQ(load("a\r\nb\0"s), (Rows{"a\r\n", "b\0\0\0"s}));
}

TEST_F(LineStoreFile, CrLfFileSavesBackByteExact) {
    const std::vector<std::string> files = {
        "a\r\nb\r\n",
        "a\r\nb",
        "a\r\n\r\n\r\n",
        "\r\n",
        "a\r\nb\rc\r\nd\r",
        "a\r\n\x1A\r\n\x1A",
        "a\r\n\x95\x5C\r\n\x82",
        "a\r\nx\0"s,
        "a\r\nx\0y"s,
        "a\r\n\0\0"s,
        "a\r\n\0\r"s,
        "a\r\n\r\0"s,
        "a\r\n\n\n\r\r",
    };
    for (const std::string& bytes : files) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        EXPECT_EQ(roundTrip(bytes), bytes);
    }
}

TEST_F(LineStoreFile, EveryShortTailOfACrLfFileRoundTrips) {
    // All endings of up to three bytes drawn from CR, LF, NUL and a letter.
    const std::string alphabet = "\r\n\0a"s;
    std::vector<std::string> tails = {""};
    for (std::size_t i = 0; tails[i].size() < 3; ++i) {
        for (char c : alphabet) {
            tails.push_back(tails[i] + c);
        }
    }
    for (const std::string& tail : tails) {
        const std::string bytes = "x\r\n" + tail;
        SCOPED_TRACE(testing::PrintToString(bytes));
        TVelStrings store;
        ASSERT_TRUE(store.LoadFromFile(dir_.write("in.txt", bytes)));
        EXPECT_TRUE(rowsOf(store).back().ends_with("\0\0"s));
        ASSERT_TRUE(store.SaveToFile(dir_.file("out.txt")));
        EXPECT_EQ(readBytes(dir_.file("out.txt")), bytes);
    }
}

TEST_F(LineStoreFile, LfFileComesBackWithCrLf) {
    EXPECT_EQ(load("a\nb"), (Rows{"a\r\n", "b\0\0"s}));
    EXPECT_EQ(load("a\nb\n"), (Rows{"a\r\n", "b\r\n", "\0\0"s}));
    EXPECT_EQ(roundTrip("a\nb"), "a\r\nb");
    EXPECT_EQ(roundTrip("a\n\nb\n"), "a\r\n\r\nb\r\n");
    // A CR LF inside an LF file is one break; a lone CR is an ordinary byte.
    EXPECT_EQ(roundTrip("a\nb\r\nc\n"), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(roundTrip("a\nb\rc\n"), "a\r\nb\rc\r\n");
    EXPECT_EQ(roundTrip("a\nb\r"), "a\r\nb\r");
    // NUL bytes are dropped, also between a CR and its LF.
    EXPECT_EQ(roundTrip("a\n\0b\0\n"s), "a\r\nb\r\n");
    EXPECT_EQ(roundTrip("a\nb\r\0\nc"s), "a\r\nb\r\nc");
    EXPECT_EQ(roundTrip("a\x1A\nb\x1A"), "a\x1A\r\nb\x1A");
    EXPECT_EQ(roundTrip("a\n\x95\x5C\n\x82"), "a\r\n\x95\x5C\r\n\x82");
}

TEST_F(LineStoreFile, CrFileComesBackWithCrLf) {
    EXPECT_EQ(load("abc"), (Rows{"abc\0\0"s}));
    EXPECT_EQ(load("a\rb"), (Rows{"a\r\n", "b\0\0"s}));
    EXPECT_EQ(load("a\rb\r"), (Rows{"a\r\n", "b\r\n", "\0\0"s}));
    EXPECT_EQ(roundTrip("a\rb\r"), "a\r\nb\r\n");
    // A CR LF inside a CR file is one break; a lone LF is an ordinary byte.
    EXPECT_EQ(roundTrip("a\rb\r\nc\r"), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(roundTrip("a\rb\nc"), "a\r\nb\nc");
    EXPECT_EQ(roundTrip("a\r\r\nb"), "a\r\n\r\nb");
    // NUL bytes are dropped, also between a CR and its LF.
    EXPECT_EQ(roundTrip("a\r\0b\0\r"s), "a\r\nb\r\n");
    EXPECT_EQ(roundTrip("a\r\0\nb"s), "a\r\nb");
    EXPECT_EQ(roundTrip("\0a\r\nb"s), "a\r\nb");
    EXPECT_EQ(roundTrip("a\r\x1A\r\x82"), "a\r\n\x1A\r\n\x82");
}

TEST_F(LineStoreFile, LongLinesSurviveBlockRefills) {
    const std::string longLine(40000, 'x');
    const std::string hugeLine(2500000, 'y');
    for (const std::string& line : {longLine, hugeLine}) {
        SCOPED_TRACE(line.size());
        EXPECT_EQ(roundTrip(line + "\r\n" + line + "\r\nend"), line + "\r\n" + line + "\r\nend");
        EXPECT_EQ(roundTrip(line + "\n" + line + "\nend"), line + "\r\n" + line + "\r\nend");
        EXPECT_EQ(roundTrip("a\r" + line + "\r" + line), "a\r\n" + line + "\r\n" + line);
    }
}

TEST_F(LineStoreFile, BreakPairsAcrossAnyReadBoundaryStayWhole) {
    // A lone CR or NUL, or a CR LF, at each power-of-two offset that a reader's
    // blocks might end on.
    for (std::size_t offset = 1 << 10; offset <= 1 << 22; offset <<= 1) {
        for (std::size_t at : {offset - 1, offset}) {
            SCOPED_TRACE(at);
            const std::string filler(at - 3, 'x');
            EXPECT_EQ(load("a\r\n" + filler + "\rb\0c\r\n"s),
                      (Rows{"a\r\n", filler + "\rb", "\0c"s, "\r\n", "\0\0"s}));
            EXPECT_EQ(load("a\r\n" + filler + "\0bc"s), (Rows{"a\r\n", filler + "\0b"s, "c\0\0"s}));
            EXPECT_EQ(load("a\n" + filler + "x\r\nb"), (Rows{"a\r\n", filler + "x\r\n", "b\0\0"s}));
            EXPECT_EQ(load("a\r" + filler + "x\r\nb"), (Rows{"a\r\n", filler + "x\r\n", "b\0\0"s}));
            // The file's first break on the boundary.
            const std::string first(at, 'x');
            EXPECT_EQ(load(first + "\r\nb\rc"), (Rows{first + "\r\n", "b\rc", "\0\0"s}));
            EXPECT_EQ(load(first + "\rb\r\nc"), (Rows{first + "\r\n", "b\r\n", "c\0\0"s}));
            EXPECT_EQ(load(first + "\r"), (Rows{first + "\r\n", "\0\0"s}));
        }
    }
}

TEST_F(LineStoreFile, LargeFilesLoadToTheirLastByte) {
    for (const char breakByte : {'\n', '\r'}) {
        SCOPED_TRACE(static_cast<int>(breakByte));
        const std::string bytes = manyLines(1 << 20, std::string(1, breakByte)) + "last";
        TVelStrings store;
        ASSERT_TRUE(store.LoadFromFile(dir_.write("big.txt", bytes)));
        const auto breaks = std::count(bytes.begin(), bytes.end(), breakByte);
        EXPECT_EQ(store.Count(), breaks + 1);
        EXPECT_EQ(store.Get(store.Count() - 1), "last\0\0"s);
        ASSERT_TRUE(store.SaveToFile(dir_.file("out.txt")));
        EXPECT_EQ(readBytes(dir_.file("out.txt")), withCrLf(bytes, breakByte));
    }
    const std::string crlf = manyLines(3 << 20, "\r\n");
    EXPECT_EQ(roundTrip(crlf), crlf);
}

TEST_F(LineStoreFile, ReadingInPartsGivesTheRowsOfOnePass) {
    // Runs of CR, LF and NUL, lead bytes and letters in every order, so that the
    // places where parts start meet each of them.
    const std::vector<std::string> pieces = {"\r", "\n", "\0"s, "\r\n", "\x88", "ab", "c"};
    const std::vector<std::optional<LineBreakKind>> kinds = {std::nullopt, kBreakCRLF, kBreakLF,
                                                             kBreakCR};
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string bytes = round % 3 == 0 ? "a\n" : round % 3 == 1 ? "a\r\n" : "a\r";
        const std::size_t count = 20 + random() % 200;
        for (std::size_t i = 0; i < count; ++i) {
            bytes += pieces[random() % pieces.size()];
        }
        const fs::path file = dir_.write("mixed.txt", bytes);
        for (const std::optional<LineBreakKind>& kind : kinds) {
            SCOPED_TRACE(testing::Message()
                         << "round " << round << " kind " << (kind ? static_cast<int>(*kind) : -1));
            const ReadResult onePass = readRows(file, kind, kOnePass);
            for (const int64_t partSize : {1, 16}) {
                ASSERT_EQ(readRows(file, kind, partSize), onePass) << "parts of " << partSize;
            }
        }
    }

    // Rows that span the read blocks on both sides of where parts start, and parts
    // that show no row start, so that they join the part in front.
    const std::string longRows = manyLines(3 << 20, "\r\n") + std::string(2 << 20, 'x') + "\r\n";
    const std::string noBreakBehind = "a\r\n" + std::string(1 << 20, 'y');
    for (const std::string& bytes : {longRows, noBreakBehind}) {
        const fs::path file = dir_.write("long.txt", bytes);
        const ReadResult inParts = readRows(file, std::nullopt, 1 << 20);
        EXPECT_EQ(inParts.bytes, static_cast<int64_t>(bytes.size()) + 2);
        EXPECT_TRUE(inParts == readRows(file, std::nullopt, kOnePass));
    }
}

TEST_F(LineStoreFile, EmptyFileIsOneEndMarkRowAndSavesEmpty) {
    EXPECT_EQ(load(""), (Rows{"\0\0"s}));
    EXPECT_EQ(roundTrip(""), "");
    EXPECT_TRUE(fs::exists(dir_.file("out.txt")));
}

TEST_F(LineStoreFile, FailedLoadLeavesTheStoreAsItWas) {
    TVelStrings store;
    store.SetTextStr("keep\r\nme\0\0"s);
    const Rows before = rowsOf(store);
    const int64_t bytes = store.ByteCount();

    EXPECT_FALSE(store.LoadFromFile(dir_.file("missing.txt")));
    EXPECT_FALSE(store.LastError().empty());
    EXPECT_FALSE(store.LoadFromFile(dir_.path()));
    EXPECT_FALSE(store.LastError().empty());
    EXPECT_FALSE(store.LoadCRLF(dir_.file("missing.txt")));
    EXPECT_FALSE(store.LoadLF(dir_.path()));
    EXPECT_EQ(rowsOf(store), before);
    EXPECT_EQ(store.ByteCount(), bytes);

    EXPECT_TRUE(store.LoadFromFile(dir_.write("ok.txt", "new")));
    EXPECT_TRUE(store.LastError().empty());
    EXPECT_EQ(rowsOf(store), (Rows{"new\0\0"s}));
}

TEST_F(LineStoreFile, FailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
    const std::string old = "old content\r\n";
    const fs::path target = dir_.write("doc.txt", old);
    TVelStrings store;
    store.SetTextStr(std::string(200000, 'n') + "\r\n\0\0"s);

    for (const std::size_t limit : {std::size_t{0}, std::size_t{100}, std::size_t{150000}}) {
        SCOPED_TRACE(limit);
        SafeFileWriter writer(target, fullAfter(limit));
        EXPECT_FALSE(store.SaveTo(writer));
        EXPECT_NE(store.LastError().find("space"), std::string::npos) << store.LastError();
        EXPECT_EQ(readBytes(target), old);
        EXPECT_EQ(folderEntries(), (std::vector<std::string>{"doc.txt"}));
    }

    // A folder that refuses writes (root ignores read-only folders, so simulated).
    SafeFileWriter readOnlyFolder(target, [](int, const char*, std::size_t) -> std::ptrdiff_t {
        errno = EROFS;
        return -1;
    });
    EXPECT_FALSE(store.SaveTo(readOnlyFolder));
    EXPECT_EQ(readBytes(target), old);
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"doc.txt"}));

    SafeFileWriter enough(target, fullAfter(1 << 20));
    EXPECT_TRUE(store.SaveTo(enough)) << store.LastError();
    EXPECT_EQ(readBytes(target), std::string(200000, 'n') + "\r\n");
}

TEST_F(LineStoreFile, SaveRefusesWhatItMustNotReplace) {
    TVelStrings store;
    store.SetTextStr("new\0\0"s);

    const fs::path readOnly = dir_.write("readonly.txt", "old");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(store.SaveToFile(readOnly));
    EXPECT_NE(store.LastError().find("read-only"), std::string::npos) << store.LastError();
    EXPECT_EQ(readBytes(readOnly), "old");

    const fs::path folder = dir_.file("folder");
    fs::create_directory(folder);
    EXPECT_FALSE(store.SaveToFile(folder));
    EXPECT_TRUE(fs::is_directory(folder));

    EXPECT_FALSE(store.SaveToFile(dir_.file("no such folder") / "x.txt"));
    EXPECT_FALSE(store.LastError().empty());

    TVelStrings empty;
    EXPECT_FALSE(empty.SaveToFile(dir_.file("never.txt")));
    EXPECT_FALSE(empty.LastError().empty());
    EXPECT_FALSE(fs::exists(dir_.file("never.txt")));
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"folder", "readonly.txt"}));
}

#ifndef _WIN32
// Read-only is what the process may not write: the owner's write bit alone does not
// decide it. The superuser may write a file whose owner may not, but not one that no
// one may write (no write bit at all) nor an immutable one.
TEST_F(LineStoreFile, SaveJudgesReadOnlyByWhatTheProcessMayWrite) {
    TVelStrings store;
    store.SetTextStr("new\0\0"s);

    const fs::path groupWritable = dir_.write("group.txt", "old");
    fs::permissions(groupWritable, fs::perms::group_read | fs::perms::group_write);
    const bool mayWrite = ::access(groupWritable.c_str(), W_OK) == 0;
    EXPECT_EQ(store.SaveToFile(groupWritable), mayWrite) << store.LastError();
    EXPECT_EQ(readBytes(groupWritable), mayWrite ? "new" : "old");
    if (!mayWrite) {
        EXPECT_NE(store.LastError().find("read-only"), std::string::npos) << store.LastError();
    }

#ifdef __linux__
    const fs::path immutable = dir_.write("immutable.txt", "old");
    if (!setImmutable(immutable, true)) {
        GTEST_SKIP() << "the immutable flag cannot be set here";
    }
    const bool saved = store.SaveToFile(immutable);
    setImmutable(immutable, false);
    EXPECT_FALSE(saved);
    EXPECT_NE(store.LastError().find("read-only"), std::string::npos) << store.LastError();
    EXPECT_EQ(readBytes(immutable), "old");
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"group.txt", "immutable.txt"}));
#endif
}

TEST_F(LineStoreFile, SaveKeepsTheOwnerAndGroupWhereTheProcessMay) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only the superuser can give a file to another owner";
    }
    TVelStrings store;
    store.SetTextStr("new\0\0"s);
    const fs::path target = dir_.write("theirs.txt", "old");
    ASSERT_EQ(::chown(target.c_str(), 1234, 1235), 0);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                fs::perms::set_gid);

    ASSERT_TRUE(store.SaveToFile(target)) << store.LastError();
    struct stat saved {};
    ASSERT_EQ(::stat(target.c_str(), &saved), 0);
    EXPECT_EQ(saved.st_uid, 1234u);
    EXPECT_EQ(saved.st_gid, 1235u);
    EXPECT_EQ(saved.st_mode & 07777, 02640u);
    EXPECT_EQ(readBytes(target), "new");
}

// The file is synced before it takes the old one's place, and the folder after, so
// that a power cut cannot bring the old file back once the save was reported done.
TEST_F(LineStoreFile, SaveSyncsTheFileThenTheFolderAndReportsAFailedFolderSync) {
    const fs::path target = dir_.write("doc.txt", "old");
    TVelStrings store;
    store.SetTextStr("new\0\0"s);
    std::vector<std::string> synced;
    const auto recordingSync = [&](int fd) {
        struct stat status {};
        ::fstat(fd, &status);
        synced.push_back(S_ISDIR(status.st_mode) ? "folder holding " + readBytes(target) : "file");
        return SafeFileWriter::systemSync(fd);
    };
    SafeFileWriter writer(target, SafeFileWriter::systemWrite, recordingSync);
    ASSERT_TRUE(store.SaveTo(writer)) << store.LastError();
    EXPECT_EQ(synced, (std::vector<std::string>{"file", "folder holding new"}));

    SafeFileWriter failingFolder(target, SafeFileWriter::systemWrite, [](int fd) {
        struct stat status {};
        ::fstat(fd, &status);
        if (S_ISDIR(status.st_mode)) {
            errno = EIO;
            return -1;
        }
        return SafeFileWriter::systemSync(fd);
    });
    EXPECT_FALSE(store.SaveTo(failingFolder));
    EXPECT_NE(store.LastError().find("folder"), std::string::npos) << store.LastError();
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"doc.txt"}));
}
#endif

TEST_F(LineStoreFile, SaveFollowsLinksAndKeepsPermissions) {
    TVelStrings store;
    store.SetTextStr("new\r\ntext\0\0"s);

    const fs::path target = dir_.write("target.txt", "old");
    // A mode no umask gives a new file.
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read;
    fs::permissions(target, mode);
    const fs::path link = dir_.file("link.txt");
    fs::create_symlink("target.txt", link);

    ASSERT_TRUE(store.SaveToFile(link)) << store.LastError();
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_EQ(readBytes(target), "new\r\ntext");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::mask, mode);

    // A link to a file that does not exist yet creates that file.
    const fs::path dangling = dir_.file("dangling.txt");
    fs::create_symlink("created.txt", dangling);
    ASSERT_TRUE(store.SaveToFile(dangling)) << store.LastError();
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dangling)));
    EXPECT_EQ(readBytes(dir_.file("created.txt")), "new\r\ntext");
}
