#include <gtest/gtest.h>

#include "app/AppTestSupport.h"
#include "app/DocumentPrint.h"
#include "editor/VelEdit.h"
#include "editor/VelEditSub.h"
#include "platform/CodePage.h"
#include "platform/MessageReporter.h"
#include "platform/Shell.h"
#include "support/PdfPrinting.h"

#include <QPrinter>
#include <QRegularExpression>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace lumarik;
using namespace lumarik::test;
namespace fs = std::filesystem;

namespace {

std::string codePageBytes(const QString& text) {
    return platform::CodePage::ansi().fromUnicode(text.toStdU16String());
}

// A row as printed: its visible text, tabs left out (they move the next run along).
QString printedRow(std::string_view row) {
    std::string bytes(editor::StripTerminator(row));
    std::erase(bytes, '\t');
    return QString::fromStdU16String(platform::CodePage::ansi().toUnicode(bytes));
}

// What a print dialog chose: the whole text, a page range or the selection, to a file.
struct PrintChoice {
    QPrinter::PrintRange range = QPrinter::AllPages;
    int from = 0;
    int to = 0;
    fs::path file;
};

class MainWindowCommands : public ::testing::Test {
protected:
    MainWindowCommands() : scoped_(recorder_), windows_(startApp(dir_.file("lumarik.ini"))) {
        form().PrintDialog1 = [this](QPrinter& printer, bool canPrintSelection) {
            dialogPrinters_.push_back(&printer);
            offeredSelection_.push_back(canPrintSelection);
            if (!choice_) {
                return false;
            }
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(choice_->file.string()));
            printer.setPrintRange(choice_->range);
            printer.setFromTo(choice_->from, choice_->to);
            return true;
        };
    }
    ~MainWindowCommands() override { closeApp(windows_); }

    app::TFormEditor& form() { return *windows_.FormEditor; }
    editor::TVelEdit& edit() { return *form().RichEdit1; }

    // Prints through the menu command as the dialog choice says; answers the pages.
    std::vector<QString> print(PrintChoice choice) {
        choice_ = choice;
        form().PRINT1Click();
        return fs::exists(choice.file) ? pdfPages(choice.file) : std::vector<QString>{};
    }

    // Sets the text, selects it all and runs Mail/Browse; answers what was opened.
    std::vector<QUrl> mailBrowse(const QString& text) {
        OpenedUrls opened;
        edit().SetText(codePageBytes(text));
        edit().SelectAll();
        form().internetClick();
        return opened.urls;
    }

    TempDir dir_;
    platform::RecordingMessageReporter recorder_;
    platform::ScopedReporter scoped_;
    app::ApplicationWindows windows_;
    std::optional<PrintChoice> choice_;
    std::vector<QPrinter*> dialogPrinters_;
    std::vector<bool> offeredSelection_;
};

} // namespace

TEST_F(MainWindowCommands, EachDisplayRowPrintsOnceOnALineOfItsOwn) {
    edit().SetColumn(20);
    edit().SetText(codePageBytes(QStringLiteral("first line\r\n\tafter a tab\r\nab\tc\r\n\r\n"
                                                "日本語の長い行は二十バイトごとに折り返されます。"
                                                "\r\nlast")));
    PdfTextDevice pdf(dir_.file("rows.pdf"), app::printFont(edit()), QPageSize::A4);
    app::printRows(edit(), false, pdf.device());
    EXPECT_TRUE(pdf.device().finish());
    // Wrapped rows are lines of their own, an empty row one empty line; no line-end
    // or end-of-text marks.
    const std::map<int, QString> expected = {
        {0, "first line"},           {1, "after a tab"}, {2, "abc"}, {4, "日本語の長い行は二十"},
        {5, "バイトごとに折り返さ"}, {6, "れます。"},    {7, "last"}};
    EXPECT_EQ(pdf.linesInOrder(), expected);
    EXPECT_EQ(pdf.run("after a tab").x, pdf.device().tabWidth());
    EXPECT_EQ(pdf.run("c").x, pdf.device().tabWidth());

    // The selection prints from its start to its end; a selection that ends at the
    // start of a row leaves that row out.
    for (const bool toRowStart : {false, true}) {
        PdfTextDevice selected(dir_.file("selected.pdf"), app::printFont(edit()));
        edit().SetSelection(6, 0, 5, toRowStart ? 0 : 2);
        app::printRows(edit(), true, selected.device());
        EXPECT_TRUE(selected.device().finish());
        std::map<int, QString> lines = {
            {0, "line"}, {1, "after a tab"}, {2, "abc"}, {4, "日本語の長い行は二十"}};
        if (!toRowStart) {
            lines[5] = "バ";
        }
        EXPECT_EQ(selected.linesInOrder(), lines);
    }
}

TEST_F(MainWindowCommands, PrintHonoursThePageRangeAndTheSelection) {
    std::string text;
    for (int i = 1; i <= 400; ++i) {
        text += "line " + std::to_string(i) + "\r\n";
    }
    edit().SetText(text);
    const std::vector<QString> all = print({.file = dir_.file("all.pdf")});
    EXPECT_EQ(all[0].left(14), QStringLiteral("line 1\nline 2\n"));
    ASSERT_GE(all.size(), 3U);
    const std::vector<QString> second =
        print({.range = QPrinter::PageRange, .from = 2, .to = 2, .file = dir_.file("p2.pdf")});
    ASSERT_EQ(second.size(), 1U);
    EXPECT_EQ(second[0], all[1]);

    // The selection is offered when there is one, and printed when chosen.
    edit().SetSelection(2, 9, 11, 4);
    const std::vector<QString> selected =
        print({.range = QPrinter::Selection, .file = dir_.file("sel.pdf")});
    EXPECT_EQ(selected, std::vector<QString>{QStringLiteral("ne 10\nline 11\nline\n")});
    EXPECT_EQ(offeredSelection_, (std::vector<bool>{false, false, true}));
}

TEST_F(MainWindowCommands, ARealWrappedFilePrintsRowByRowWithEveryCharacterWhole) {
    const fs::path corpus = LUMARIK_CORPUS_DIR;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    form().OpenFile(QString::fromStdString((corpus / "aozora__2345_ruby_4623.txt").string()));
    ASSERT_TRUE(edit().WordWrap());
    std::map<int, QString> rows;
    QString text;
    for (int i = 0; i < edit().Lines().Count(); ++i) {
        const QString row = printedRow(edit().Lines().Get(i));
        if (!row.isEmpty()) {
            rows[i] = row;
            text += row + QLatin1Char('\n');
        }
    }
    PdfTextDevice pdf(dir_.file("device.pdf"), app::printFont(edit()), QPageSize::A4);
    app::printRows(edit(), false, pdf.device());
    EXPECT_TRUE(pdf.device().finish());
    EXPECT_TRUE(pdf.linesInOrder() == rows);
    EXPECT_GT(pdf.device().pagesPrinted(), 5);

    // Through the menu command, the same text reaches the paper.
    QString printed;
    for (const QString& page : print({.file = dir_.file("novel.pdf")})) {
        printed += page;
    }
    // Spaces, full-width ones too, come back as runs of spaces, and empty rows not at all.
    const QRegularExpression spaces(QStringLiteral("[ \u3000]"));
    printed.remove(spaces);
    printed.replace(QRegularExpression(QStringLiteral("\n+")), QStringLiteral("\n"));
    text.remove(spaces);
    // Two glyphs the font shares between characters are read back as the other one.
    text.replace(QChar(u'\u2015'), QChar(u'\u2014'));
    text.replace(QChar(u'\uFFE3'), QChar(u'\u203E'));
    EXPECT_TRUE(printed.trimmed() == text.trimmed());
    EXPECT_TRUE(recorder_.shown.empty());
}

TEST_F(MainWindowCommands, CancelPrintsNothingAndAFailureIsReported) {
    edit().SetText("text");
    form().PRINT1Click();
    EXPECT_EQ(dialogPrinters_.size(), 1U);
    EXPECT_TRUE(recorder_.shown.empty());

    print({.file = dir_.file("no such folder") / "x.pdf"});
    ASSERT_EQ(recorder_.shown.size(), 1U);
    EXPECT_EQ(recorder_.shown[0].text, QStringLiteral("印刷できませんでした。"));
}

TEST_F(MainWindowCommands, PrinterSetupChangesTheOnePrinterThatPrintingUses) {
    std::vector<QPrinter*> setupPrinters;
    form().PrinterSetupDialog1 = [&](QPrinter& printer) {
        setupPrinters.push_back(&printer);
        printer.setPageOrientation(QPageLayout::Landscape);
    };
    form().PRINTERSET1Click();
    form().PRINT1Click();
    form().PRINT1Click();
    ASSERT_EQ(setupPrinters.size(), 1U);
    ASSERT_EQ(dialogPrinters_.size(), 2U);
    EXPECT_EQ(dialogPrinters_[0], setupPrinters[0]);
    EXPECT_EQ(dialogPrinters_[1], setupPrinters[0]);
    EXPECT_EQ(dialogPrinters_[1]->pageLayout().orientation(), QPageLayout::Landscape);
}

TEST_F(MainWindowCommands, MailBrowseOpensOnlyAWholeWebAddressOrAMailAddress) {
    struct Case {
        QString selection;
        QString opened; // empty: nothing may be opened
    };
    const std::vector<Case> cases = {
        {"http://www.example.com/", "http://www.example.com/"},
        {"  https://example.com/a?b=c#d\r\n", "https://example.com/a?b=c#d"},
        {"HTTP://Example.COM/Path", "http://example.com/Path"},
        {"user@example.com", "mailto:user@example.com"},
        {" 山田@example.jp ", "mailto:%E5%B1%B1%E7%94%B0@example.jp"},
        // Whatever follows the address stays part of it: no headers, no attachments.
        {"a@example.com?subject=x&attach=/etc/passwd",
         "mailto:a@example.com%3Fsubject%3Dx%26attach%3D%2Fetc%2Fpasswd"},
        {"file:///etc/passwd#@x", "mailto:file%3A%2F%2F%2Fetc%2Fpasswd%23@x"},
        // Texts that only contain a web address, or name files and programs.
        {"see http://www.example.com/", ""},
        {"\\\\host\\share\\x.exe http://", ""},
        {"file:///home/user/x.desktop#http://", ""},
        {"javascript:alert(1)//http://", ""},
        {"http://", ""},
        {"http:///etc/passwd", ""},
        {"http://exa mple.com/", ""},
        {"https://", ""},
        {"http://example.com/\n\\\\host\\x.exe", ""},
        {"ftp://example.com/", ""},
        {"plain words", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selection.toStdString());
        const std::vector<QUrl> opened = mailBrowse(c.selection);
        if (c.opened.isEmpty()) {
            EXPECT_TRUE(opened.empty()) << opened.front().toString().toStdString();
        } else {
            ASSERT_EQ(opened.size(), 1U);
            EXPECT_EQ(opened[0].toString(QUrl::FullyEncoded), c.opened);
        }
    }
    // Nothing selected: nothing opened.
    OpenedUrls opened;
    edit().SetText("http://www.example.com/");
    form().internetClick();
    EXPECT_TRUE(opened.urls.empty());
}

TEST_F(MainWindowCommands, HomePageOpensTheProgramsWebPageAndNothingElseIsHandedOn) {
    OpenedUrls opened;
    form().HomePageClick();
    EXPECT_EQ(opened.urls, std::vector<QUrl>{QUrl(QStringLiteral("http://www.example.com/"))});
    // The desktop gets web and mail addresses only, whoever asks.
    for (const char* refused : {"file:///etc/passwd", "ftp://example.com/", "http:///x", "x.exe"}) {
        EXPECT_FALSE(platform::openAddress(QUrl(QString::fromLatin1(refused)))) << refused;
    }
    EXPECT_EQ(opened.urls.size(), 1U);
}
