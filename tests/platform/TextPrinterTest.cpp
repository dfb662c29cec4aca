#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "platform/TextPrinter.h"
#include "support/PdfPrinting.h"
#include "support/TempDir.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace std::string_view_literals;
using lumarik::platform::PrintedRun;
using lumarik::platform::TextPrinter;
using lumarik::test::PdfTextDevice;

namespace {

// "日本語" and "亜".
const std::string kNihongo = "\x93\xFA\x96\x7B\x8C\xEA";
const std::string kA = "\x88\x9F";

QString decoded(const std::string& bytes) {
    return QString::fromStdU16String(lumarik::platform::CodePage::ansi().toUnicode(bytes));
}

// Writes `count` numbered lines, each followed by a line break.
void writeNumberedLines(TextPrinter& device, int count) {
    for (int i = 1; i <= count; ++i) {
        device.write(std::to_string(i) + "\n");
    }
}

using Lines = std::map<std::pair<int, int>, QString>;

} // namespace

TEST(TextPrinter, LineFeedStartsALineAndOnlyTextIsPrinted) {
    const lumarik::test::TempDir dir;
    PdfTextDevice pdf(dir.file("lines.pdf"));
    // CR moves nothing, NUL prints nothing, other control bytes show as on screen.
    pdf.device().write("ab\ncd\r\ne\rf\n\ng\0h\x01\n"sv);
    pdf.device().write(kNihongo + "\n");
    EXPECT_TRUE(pdf.device().finish());
    const Lines expected = {{{1, 0}, QStringLiteral("ab")},
                            {{1, 1}, QStringLiteral("cd")},
                            {{1, 2}, QStringLiteral("ef")},
                            {{1, 4}, QStringLiteral("gh\u2401")},
                            {{1, 5}, decoded(kNihongo)}};
    EXPECT_EQ(pdf.lines(), expected);
    EXPECT_EQ(pdf.run(QStringLiteral("f")).x, pdf.width(QStringLiteral("e")));
    EXPECT_EQ(pdf.device().pagesPrinted(), 1);
    EXPECT_GT(std::filesystem::file_size(dir.file("lines.pdf")), 0U);
}

TEST(TextPrinter, TabsStopAtEightAverageCharacterWidths) {
    const lumarik::test::TempDir dir;
    PdfTextDevice pdf(dir.file("tabs.pdf"));
    const int w = pdf.device().tabWidth();
    ASSERT_GT(w, pdf.width(QStringLiteral("abc")) + 1);
    pdf.device().write("\tA\na\tB\nabc\tC\n\t\tD\n");
    // As many tabs as stops fit on the line; one more passes the edge and starts a line.
    const int stops = static_cast<int>(pdf.device().pageWidth()) / w;
    pdf.device().write(std::string(static_cast<size_t>(stops - 1), '\t') + "E\n");
    pdf.device().write(std::string(static_cast<size_t>(stops + 1), '\t') + "F");
    EXPECT_TRUE(pdf.device().finish());
    EXPECT_EQ(pdf.run(QStringLiteral("A")).x, w);
    EXPECT_EQ(pdf.run(QStringLiteral("B")).x, w);
    EXPECT_EQ(pdf.run(QStringLiteral("C")).x, w);
    EXPECT_EQ(pdf.run(QStringLiteral("D")).x, 2 * w);
    const PrintedRun& e = pdf.run(QStringLiteral("E"));
    EXPECT_EQ(e.x, (stops - 1) * w);
    EXPECT_EQ(e.line, 4);
    // E stays on its line; the tab that did not fit moved F to the next one.
    const PrintedRun& f = pdf.run(QStringLiteral("F"));
    EXPECT_EQ(f.line, 6);
    EXPECT_EQ(f.x, 0);
}

TEST(TextPrinter, ALongLineBreaksAfterTheLastCharacterThatFits) {
    const lumarik::test::TempDir dir;
    PdfTextDevice pdf(dir.file("long.pdf"));
    // One single-byte character in front puts every double-byte one off the cell grid.
    std::string bytes = "x";
    for (int i = 0; i < 40; ++i) {
        bytes += kNihongo + kA;
    }
    pdf.device().write(bytes + "\nnext");
    EXPECT_TRUE(pdf.device().finish());

    const QString text = decoded(bytes);
    QString joined;
    ASSERT_GT(pdf.runs.size(), 3U);
    for (size_t i = 0; i + 1 < pdf.runs.size(); ++i) {
        const PrintedRun& run = pdf.runs[i];
        joined += run.text;
        EXPECT_EQ(run.line, static_cast<int>(i));
        EXPECT_EQ(run.x, 0);
        EXPECT_LE(pdf.width(run.text), pdf.device().pageWidth()) << "run " << i;
        if (i + 2 < pdf.runs.size()) {
            const QChar nextChar = text.at(joined.size());
            EXPECT_GT(pdf.width(run.text + nextChar), pdf.device().pageWidth()) << "run " << i;
        }
    }
    // Every character arrives whole and in order, and the next line follows.
    EXPECT_EQ(joined, text);
    EXPECT_EQ(pdf.runs.back().text, QStringLiteral("next"));
    EXPECT_EQ(pdf.runs.back().line, static_cast<int>(pdf.runs.size()) - 1);
}

TEST(TextPrinter, PagesBreakWhenALineDoesNotFitAndAtFormFeeds) {
    const lumarik::test::TempDir dir;
    {
        PdfTextDevice pdf(dir.file("full.pdf"));
        const int perPage = pdf.device().linesPerPage();
        ASSERT_GT(perPage, 5);
        // A full page and its last line break take no second sheet.
        writeNumberedLines(pdf.device(), perPage);
        EXPECT_EQ(pdf.lines().rbegin()->first, std::make_pair(1, perPage - 1));
        pdf.device().write("more");
        EXPECT_TRUE(pdf.device().finish());
        EXPECT_EQ(pdf.lines().rbegin()->first, std::make_pair(2, 0));
        EXPECT_EQ(pdf.device().pagesPrinted(), 2);
    }
    {
        PdfTextDevice pdf(dir.file("feeds.pdf"));
        pdf.device().write("a\fb\f\fc\f");
        EXPECT_TRUE(pdf.device().finish());
        const Lines expected = {{{1, 0}, QStringLiteral("a")},
                                {{2, 0}, QStringLiteral("b")},
                                {{4, 0}, QStringLiteral("c")}};
        EXPECT_EQ(pdf.lines(), expected);
        // The empty page between them is printed; the one after the last feed is not.
        EXPECT_EQ(pdf.device().pagesPrinted(), 4);
    }
}

TEST(TextPrinter, OnlyPagesInTheRangeArePrinted) {
    const lumarik::test::TempDir dir;
    {
        PdfTextDevice pdf(dir.file("middle.pdf"));
        pdf.device().setPageRange(2, 2);
        const int perPage = pdf.device().linesPerPage();
        for (int i = 1; i <= 3 * perPage && !pdf.device().done(); ++i) {
            pdf.device().write(std::to_string(i) + "\n");
        }
        // Writing stops once the range is behind.
        EXPECT_TRUE(pdf.device().done());
        EXPECT_TRUE(pdf.device().finish());
        ASSERT_FALSE(pdf.runs.empty());
        EXPECT_EQ(pdf.runs.front().text, QString::number(perPage + 1));
        EXPECT_EQ(pdf.runs.back().text, QString::number(2 * perPage));
        EXPECT_EQ(pdf.runs.back().page, 2);
        EXPECT_EQ(pdf.device().pagesPrinted(), 1);
    }
    {
        // A range that starts on an empty page prints it.
        PdfTextDevice pdf(dir.file("blank.pdf"));
        pdf.device().setPageRange(2, 0);
        pdf.device().write("a\f\fc");
        EXPECT_TRUE(pdf.device().finish());
        ASSERT_EQ(pdf.runs.size(), 1U);
        EXPECT_EQ(pdf.runs[0].page, 3);
        EXPECT_EQ(pdf.device().pagesPrinted(), 2);
    }
    {
        // A range behind the text prints nothing at all.
        PdfTextDevice pdf(dir.file("none.pdf"));
        pdf.device().setPageRange(5, 6);
        pdf.device().write("a\nb\n");
        EXPECT_TRUE(pdf.device().finish());
        EXPECT_EQ(pdf.device().pagesPrinted(), 0);
        EXPECT_FALSE(std::filesystem::exists(dir.file("none.pdf")));
    }
    {
        // An empty text gives an empty page.
        PdfTextDevice pdf(dir.file("empty.pdf"));
        pdf.device().write("\n");
        EXPECT_TRUE(pdf.device().finish());
        EXPECT_EQ(pdf.device().pagesPrinted(), 1);
        EXPECT_TRUE(std::filesystem::exists(dir.file("empty.pdf")));
    }
}

TEST(TextPrinter, APrinterThatCannotStartReportsTheFailure) {
    const lumarik::test::TempDir dir;
    PdfTextDevice pdf(dir.file("missing") / "folder" / "x.pdf");
    pdf.device().write("text\nmore\n");
    EXPECT_TRUE(pdf.device().done());
    EXPECT_FALSE(pdf.device().finish());
    EXPECT_TRUE(pdf.runs.empty());
}
