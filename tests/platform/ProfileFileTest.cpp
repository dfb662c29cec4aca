#include <gtest/gtest.h>

#include "platform/ProfileFile.h"
#include "support/TempDir.h"

#include <QString>

#include <chrono>
#include <climits>
#include <cstddef>
#include <filesystem>
#include <future>
#include <iterator>
#include <string>
#include <string_view>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using lumarik::platform::isWritableFolder;
using lumarik::platform::kMaxProfileFileSize;
using lumarik::platform::ProfileReader;
using lumarik::platform::ProfileWriteBatch;
using lumarik::platform::settingsFileName;
using lumarik::platform::settingsFilePath;
using lumarik::test::readBytes;
using lumarik::test::TempDir;

namespace {

QString qtPath(const fs::path& path) {
    return QString::fromStdString(path.string());
}

ProfileReader readerOf(const TempDir& dir, std::string_view bytes) {
    return ProfileReader(qtPath(dir.write("lumarik.ini", bytes)));
}

// The value of key "k" in section "s" of a file holding only that line.
QString valueOf(const TempDir& dir, std::string_view line) {
    const ProfileReader reader = readerOf(dir, "[s]\r\n" + std::string(line) + "\r\n");
    return reader.readString(u"s", u"k", QStringLiteral("<missing>"));
}

std::ptrdiff_t fileCount(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

} // namespace

TEST(ProfileReader, MatchesNamesWithoutRegardToCaseAndTakesTheFirstMatch) {
    TempDir dir;
    const ProfileReader reader = readerOf(dir, "; comment\r\n"
                                               "top=outside\r\n"
                                               "[Editor]\r\n"
                                               "  WordWrap = 1\r\n"
                                               "wordwrap=0\r\n"
                                               "no equals sign\r\n"
                                               "[ window ]\r\n"
                                               "height=300\r\n"
                                               "[EDITOR]\r\n"
                                               "column=72\r\n"
                                               "wordwrap=0\r\n");
    const QString none = QStringLiteral("<missing>");
    EXPECT_EQ(reader.readString(u"editor", u"wordwrap", none), "1");
    EXPECT_EQ(reader.readString(u"editor", u"COLUMN", none), "72");
    EXPECT_EQ(reader.readString(u"Window", u"Height", none), "300");
    EXPECT_EQ(reader.readString(u"window", u"width", none), none);
    EXPECT_EQ(reader.readString(u"window", u"top", none), none);
    EXPECT_EQ(reader.readString(u"menu", u"english", none), none);
    EXPECT_EQ(reader.readString(u"editor", u"no equals sign", none), none);
}

TEST(ProfileReader, TrimsValuesAndRemovesOnePairOfQuotes) {
    TempDir dir;
    const struct {
        std::string_view line;
        QString expected;
    } cases[] = {
        {"k=  x y \t", QStringLiteral("x y")},
        {"\tk\t=\tx", QStringLiteral("x")},
        {"k=", QString()},
        {"k=\"  x \"", QStringLiteral("  x ")},
        {"k=\"\"x\"\"", QStringLiteral("\"x\"")},
        {"k=\"", QStringLiteral("\"")},
        {"k=\"x", QStringLiteral("\"x")},
        {"k='x'", QStringLiteral("'x'")},
        {"k=C:\\My Documents\\", QStringLiteral("C:\\My Documents\\")},
        {"k=a=b", QStringLiteral("a=b")},
        {"k=;not a comment", QStringLiteral(";not a comment")},
        // A full-width space (UTF-8) is text, not a blank.
        {"k=\xE3\x80\x80x", QString::fromUtf8("\xE3\x80\x80x")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(valueOf(dir, c.line), c.expected) << c.line;
    }
    const ProfileReader empty = readerOf(dir, "[s]\r\nk=\r\n");
    EXPECT_TRUE(empty.readString(u"s", u"k", QStringLiteral("fallback")).isEmpty());
}

TEST(ProfileReader, ReadsIntsAsDecimalOrHexAndAnythingElseAsTheFallback) {
    TempDir dir;
    const struct {
        std::string_view value;
        int expected;
    } cases[] = {
        {"12", 12},
        {"+12", 12},
        {"-10", -10},
        {"007", 7},
        {"16777215", 16777215},
        {"0x1F", 31},
        {"0XfF", 255},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {" 5 ", 5},
        {"\"5\"", 5},
        {"", 77},
        {"abc", 77},
        {"12abc", 77},
        {"1 2", 77},
        {"1.5", 77},
        {"+", 77},
        {"0x", 77},
        {"0xG", 77},
        {"-0x10", 77},
        {"2147483648", 77},
        {"0x80000000", 77},
        {"\xEF\xBC\x91\xEF\xBC\x92", 77}, // full-width digits
    };
    for (const auto& c : cases) {
        const ProfileReader reader = readerOf(dir, "[s]\r\nk=" + std::string(c.value) + "\r\n");
        EXPECT_EQ(reader.readInt(u"s", u"k", 77), c.expected) << c.value;
    }
    const ProfileReader reader =
        readerOf(dir, "[s]\r\nzero=0\r\nminus=-1\r\nhex=0x10\r\nword=yes\r\n");
    EXPECT_EQ(reader.readInt(u"s", u"missing", 77), 77);
    EXPECT_FALSE(reader.readBool(u"s", u"zero", true));
    EXPECT_TRUE(reader.readBool(u"s", u"minus", false));
    EXPECT_TRUE(reader.readBool(u"s", u"hex", false));
    EXPECT_TRUE(reader.readBool(u"s", u"word", true));
    EXPECT_FALSE(reader.readBool(u"s", u"word", false));
    EXPECT_TRUE(reader.readBool(u"s", u"missing", true));
}

TEST(ProfileReader, CutsLongValuesAt2047Characters) {
    TempDir dir;
    EXPECT_EQ(valueOf(dir, "k=" + std::string(3000, 'x')), QString(2047, u'x'));
    EXPECT_EQ(valueOf(dir, "k=" + std::string(2047, 'y')), QString(2047, u'y'));
    // A character outside the BMP across the limit goes as a whole.
    EXPECT_EQ(valueOf(dir, "k=" + std::string(2046, 'z') + "\xF0\x9F\x98\x80"),
              QString(2046, u'z'));
}

TEST(ProfileReader, ReadsUtf8AndCodePageFilesWithEitherLineEnd) {
    TempDir dir;
    const QString fontName = QString::fromUtf8("ＭＳ ゴシック");
    const QString folder = QString::fromUtf8("C:\\表\\");
    const std::string_view files[] = {
        // CP932; 0x955C (a kanji) has a backslash as its second byte.
        "[Font]\r\nname=\x82\x6C\x82\x72 "
        "\x83\x53\x83\x56\x83\x62\x83\x4E\r\n[dialog]\r\nopendir=C:\\\x95\\\\\r\n",
        // UTF-8 with a byte order mark and LF line ends.
        "\xEF\xBB\xBF[Font]\nname=ＭＳ ゴシック\n[dialog]\nopendir=C:\\表\\\n",
        // UTF-8 without a line end after the last line.
        "[Font]\nname=ＭＳ ゴシック\n[dialog]\nopendir=C:\\表\\",
    };
    for (const std::string_view bytes : files) {
        const ProfileReader reader = readerOf(dir, bytes);
        EXPECT_EQ(reader.readString(u"font", u"name", QString()), fontName) << bytes;
        EXPECT_EQ(reader.readString(u"dialog", u"opendir", QString()), folder) << bytes;
    }
    // Tabs survive the code page, and a lead byte at the end of a line keeps its line end.
    const ProfileReader cp932 = readerOf(dir, "[s]\na\t=\t\x82\xA0\tb\nbroken=\x83\nnext=2\n");
    EXPECT_EQ(cp932.readString(u"s", u"a", QString()), QString::fromUtf8("あ\tb"));
    EXPECT_EQ(cp932.readInt(u"s", u"next", 0), 2);
}

TEST(ProfileReader, MissingFileAnswersTheFallbacks) {
    TempDir dir;
    const ProfileReader reader(qtPath(dir.file("none.ini")));
    EXPECT_EQ(reader.readString(u"dialog", u"opendir", QStringLiteral("C:\\")), "C:\\");
    EXPECT_EQ(reader.readInt(u"window", u"height", 500), 500);
    EXPECT_TRUE(reader.readBool(u"status", u"visible", true));
}

TEST(ProfileReader, OversizedFileReadsAsEmptyAndIsNeverReplaced) {
    TempDir dir;
    std::string text = "[window]\r\nheight=300\r\n";
    text.resize(static_cast<std::size_t>(kMaxProfileFileSize) + 1, ';');
    const fs::path file = dir.write("lumarik.ini", text);
    EXPECT_EQ(ProfileReader(qtPath(file)).readInt(u"window", u"height", 500), 500);

    ProfileWriteBatch batch(qtPath(file));
    batch.writeInt(QStringLiteral("window"), QStringLiteral("height"), 200);
    const auto result = batch.commit();
    EXPECT_FALSE(result);
    EXPECT_TRUE(result.reason.contains(QStringLiteral("larger"))) << result.reason.toStdString();
    EXPECT_EQ(fs::file_size(file), text.size());
    EXPECT_EQ(fileCount(dir.path()), 1);

    // At the limit it is still a settings file.
    text.resize(static_cast<std::size_t>(kMaxProfileFileSize));
    dir.write("lumarik.ini", text);
    EXPECT_EQ(ProfileReader(qtPath(file)).readInt(u"window", u"height", 500), 300);
}

#ifndef _WIN32
TEST(ProfileReader, PipeReadsAsEmptyWithoutWaitingForAWriter) {
    TempDir dir;
    const fs::path pipe = dir.file("lumarik.ini");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    auto read = std::async(std::launch::async, [&pipe] {
        return ProfileReader(qtPath(pipe)).readInt(u"window", u"height", 500);
    });
    if (read.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Let the blocked reader go before failing.
        ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK));
        FAIL() << "reading a pipe waits for a writer";
    }
    EXPECT_EQ(read.get(), 500);

    ProfileWriteBatch batch(qtPath(pipe));
    batch.writeInt(QStringLiteral("window"), QStringLiteral("height"), 200);
    EXPECT_FALSE(batch.commit());
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(ProfileReader(QStringLiteral("/dev/zero")).readInt(u"a", u"b", 7), 7);
}
#endif

TEST(ProfileWriteBatch, AddsKeysAtTheEndOfTheirSectionAndSectionsAtTheEndOfTheFile) {
    TempDir dir;
    const fs::path file = dir.write("lumarik.ini", "; settings\r\n"
                                                   "[window]\r\n"
                                                   "height=500\r\n"
                                                   "; before Font\r\n"
                                                   "\r\n"
                                                   "[Font]\r\n"
                                                   "name=x");
    ProfileWriteBatch batch(qtPath(file));
    batch.writeInt(QStringLiteral("WINDOW"), QStringLiteral("width"), 599);
    batch.writeBool(QStringLiteral("Editor"), QStringLiteral("wordwrap"), true);
    batch.writeInt(QStringLiteral("editor"), QStringLiteral("column"), 80);
    batch.writeString(QStringLiteral("Font"), QStringLiteral("size"), QStringLiteral("-10"));
    // A key added by the batch is found again by a later change of it.
    batch.writeInt(QStringLiteral("window"), QStringLiteral("Width"), 600);
    ASSERT_TRUE(batch.commit());

    ProfileWriteBatch next(qtPath(file));
    next.writeBool(QStringLiteral("editor"), QStringLiteral("mark"), false);
    ASSERT_TRUE(next.commit());
    EXPECT_EQ(readBytes(file), "; settings\r\n"
                               "[window]\r\n"
                               "height=500\r\n"
                               "width=600\r\n"
                               "; before Font\r\n"
                               "\r\n"
                               "[Font]\r\n"
                               "name=x\r\n"
                               "size=-10\r\n"
                               "[Editor]\r\n"
                               "wordwrap=1\r\n"
                               "column=80\r\n"
                               "mark=0\r\n");

    // Into a section with no keys yet: right after its heading.
    const fs::path bare = dir.write("bare.ini", "[a]\r\n\r\n[b]\r\n");
    ProfileWriteBatch intoEmpty(qtPath(bare));
    intoEmpty.writeInt(QStringLiteral("a"), QStringLiteral("k"), 1);
    ASSERT_TRUE(intoEmpty.commit());
    EXPECT_EQ(readBytes(bare), "[a]\r\nk=1\r\n\r\n[b]\r\n");
}

TEST(ProfileWriteBatch, ReplacesValuesInPlaceAndKeepsEveryOtherLine) {
    TempDir dir;
    const fs::path file = dir.write("lumarik.ini", "junk before sections\n"
                                                   "[window]\n"
                                                   "  Height = 500  \n"
                                                   "height=999\n"
                                                   ";height=1\n"
                                                   "  odd line  \n"
                                                   "[other]\n"
                                                   "height=7\n");
    ProfileWriteBatch batch(qtPath(file));
    batch.writeInt(QStringLiteral("window"), QStringLiteral("height"), 300);
    batch.writeString(QStringLiteral("window"), QStringLiteral("HEIGHT"), QStringLiteral("310"));
    ASSERT_TRUE(batch.commit());
    EXPECT_EQ(readBytes(file), "junk before sections\r\n"
                               "[window]\r\n"
                               "Height=310\r\n"
                               "height=999\r\n"
                               ";height=1\r\n"
                               "  odd line  \r\n"
                               "[other]\r\n"
                               "height=7\r\n");
}

TEST(ProfileWriteBatch, ErasesEverySectionOfTheName) {
    TempDir dir;
    const fs::path file = dir.write("lumarik.ini", "[KeepFileNames]\r\n"
                                                   "FileName1=/old/a.txt\r\n"
                                                   "[window]\r\n"
                                                   "top=1\r\n"
                                                   "[keepfilenames]\r\n"
                                                   "FileName2=/old/b.txt\r\n");
    ProfileWriteBatch batch(qtPath(file));
    batch.eraseSection(QStringLiteral("KeepFileNames"));
    batch.writeString(QStringLiteral("KeepFileNames"), QStringLiteral("FileName1"),
                      QStringLiteral("/new/c.txt"));
    ASSERT_TRUE(batch.commit());
    EXPECT_EQ(readBytes(file), "[window]\r\n"
                               "top=1\r\n"
                               "[KeepFileNames]\r\n"
                               "FileName1=/new/c.txt\r\n");
}

TEST(ProfileWriteBatch, WrittenValuesReadBackUnchanged) {
    TempDir dir;
    const QString path = qtPath(dir.file("lumarik.ini"));
    const QString values[] = {
        QStringLiteral("C:\\My Documents\\"),
        QString(),
        QStringLiteral(" padded\t"),
        QStringLiteral("\"quoted\""),
        QStringLiteral("\""),
        QStringLiteral("a=b;c"),
        QString::fromUtf8("ＭＳ ゴシック"),
        QString::fromUtf8("/home/jürgen/テキスト 😀.txt"),
    };
    ProfileWriteBatch batch(path);
    for (int i = 0; i < int(std::size(values)); ++i) {
        batch.writeString(QStringLiteral("s"), QString::number(i), values[i]);
    }
    batch.writeString(QStringLiteral("s"), QStringLiteral("lines"), QStringLiteral("one\r\ntwo"));
    batch.writeInt(QStringLiteral("s"), QStringLiteral("min"), INT_MIN);
    batch.writeInt(QStringLiteral("s"), QStringLiteral("max"), INT_MAX);
    batch.writeBool(QStringLiteral("s"), QStringLiteral("on"), true);
    ASSERT_TRUE(batch.commit());

    const ProfileReader reader(path);
    for (int i = 0; i < int(std::size(values)); ++i) {
        EXPECT_EQ(reader.readString(u"s", QString::number(i), QStringLiteral("<missing>")),
                  values[i]);
    }
    // Only the first line of a value fits in the file.
    EXPECT_EQ(reader.readString(u"s", u"lines", QString()), "one");
    EXPECT_EQ(reader.readInt(u"s", u"min", 0), INT_MIN);
    EXPECT_EQ(reader.readInt(u"s", u"max", 0), INT_MAX);
    EXPECT_TRUE(reader.readBool(u"s", u"on", false));
}

#ifndef _WIN32
TEST(ProfileWriteBatch, RewritesACodePageFileAsUtf8) {
    TempDir dir;
    const fs::path file = dir.write(
        "lumarik.ini", "[Font]\r\nname=\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E\r\n");
    ProfileWriteBatch batch(qtPath(file));
    batch.writeInt(QStringLiteral("Font"), QStringLiteral("size"), -10);
    ASSERT_TRUE(batch.commit());
    EXPECT_EQ(readBytes(file), "[Font]\r\nname=ＭＳ ゴシック\r\nsize=-10\r\n");
}
#endif

TEST(ProfileWriteBatch, CommitKeepsChangesMadeToTheFileMeanwhile) {
    TempDir dir;
    const fs::path file = dir.write("lumarik.ini", "[a]\r\nk=1\r\n");
    ProfileWriteBatch batch(qtPath(file));
    batch.writeInt(QStringLiteral("a"), QStringLiteral("k"), 2);
    dir.write("lumarik.ini", "[a]\r\nk=1\r\n[b]\r\nother=3\r\n");
    ASSERT_TRUE(batch.commit());
    EXPECT_EQ(readBytes(file), "[a]\r\nk=2\r\n[b]\r\nother=3\r\n");
}

TEST(ProfileWriteBatch, FailedCommitReportsThePathAndLeavesTheFileAsItWas) {
    TempDir dir;
    const std::string original = "[window]\r\nheight=500\r\n";
    const fs::path readOnly = dir.write("readonly.ini", original);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
    dir.write("file.txt", "not a folder");
    fs::create_directory(dir.file("folder.ini"));

    const fs::path targets[] = {
        dir.file("missing") / "lumarik.ini",
        dir.file("file.txt") / "lumarik.ini",
        readOnly,
        dir.file("folder.ini"),
    };
    for (const fs::path& target : targets) {
        ProfileWriteBatch batch(qtPath(target));
        batch.writeInt(QStringLiteral("window"), QStringLiteral("height"), 300);
        const auto result = batch.commit();
        EXPECT_FALSE(result) << target;
        EXPECT_EQ(result.path, qtPath(target));
        EXPECT_FALSE(result.reason.isEmpty()) << target;
    }
    EXPECT_EQ(readBytes(readOnly), original);
    EXPECT_FALSE(fs::exists(dir.file("missing")));
    // readonly.ini, file.txt, folder.ini: no temporary file is left behind.
    EXPECT_EQ(fileCount(dir.path()), 3);
    EXPECT_TRUE(fs::is_empty(dir.file("folder.ini")));
}

TEST(ProfileWriteBatch, SuccessNamesThePathAndAnEmptyBatchWritesNothing) {
    TempDir dir;
    const QString path = qtPath(dir.file("lumarik.ini"));
    ProfileWriteBatch batch(path);
    EXPECT_TRUE(batch.isEmpty());
    EXPECT_TRUE(batch.commit());
    EXPECT_FALSE(fs::exists(dir.file("lumarik.ini")));

    batch.writeBool(QStringLiteral("sound"), QStringLiteral("onoff"), false);
    const auto result = batch.commit();
    EXPECT_TRUE(result);
    EXPECT_EQ(result.path, path);
    EXPECT_EQ(readBytes(dir.file("lumarik.ini")), "[sound]\r\nonoff=0\r\n");
}

TEST(SettingsPath, ReplacesTheLastExtensionOfTheProgramName) {
    EXPECT_EQ(settingsFileName(QStringLiteral("/opt/lumarik/lumarik")), "lumarik.ini");
    EXPECT_EQ(settingsFileName(QStringLiteral("C:/Tools/Lumarik.exe")), "Lumarik.ini");
    EXPECT_EQ(settingsFileName(QStringLiteral("/opt/my.editor.bin")), "my.editor.ini");
    EXPECT_EQ(settingsFileName(QStringLiteral("/opt/v1.2/lumarik")), "lumarik.ini");
}

TEST(SettingsPath, UsesTheProgramFolderWhenWritableElseTheConfigFolder) {
    TempDir dir;
    const QString config = qtPath(dir.file("config") / "Lumarik");
    EXPECT_EQ(settingsFilePath(qtPath(dir.file("lumarik.exe")), config),
              qtPath(dir.file("lumarik.ini")));
    EXPECT_FALSE(fs::exists(dir.file("config")));

    dir.write("file.txt", "");
    const fs::path unwritable[] = {dir.file("missing") / "lumarik",
                                   dir.file("file.txt") / "lumarik"};
    for (const fs::path& program : unwritable) {
        EXPECT_EQ(settingsFilePath(qtPath(program), config),
                  config + QStringLiteral("/lumarik.ini"));
        EXPECT_TRUE(fs::is_directory(dir.file("config") / "Lumarik"));
    }

    EXPECT_TRUE(isWritableFolder(qtPath(dir.path())));
    EXPECT_FALSE(isWritableFolder(qtPath(dir.file("missing"))));
    EXPECT_FALSE(isWritableFolder(qtPath(dir.file("file.txt"))));
    EXPECT_FALSE(isWritableFolder(QString()));
    // file.txt and config: the probe file is gone.
    EXPECT_EQ(fileCount(dir.path()), 2);
}
