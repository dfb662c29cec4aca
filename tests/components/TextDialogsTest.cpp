#include <gtest/gtest.h>

#include "app/AppTestSupport.h"
#include "components/TextDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTest>

#include <string>

#include <sys/stat.h>

using namespace lumarik::components;
using namespace lumarik::test;

namespace {

const QString kFilter = QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.txt)|*.txt|全てのファイル(*.*)|*.*");

QString qpath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

TEST(TextDialogs, FilterEntriesGiveTheirExtensionsAndTypeChangesRewriteTheName) {
    EXPECT_EQ(qtNameFilters(kFilter), QStringList({QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.txt) (*.txt)"),
                                                   QStringLiteral("全てのファイル(*.*) (*)")}));

    struct Entry {
        const char* filter;
        int n;
        bool found;
        const char* ext;
    };
    for (const Entry& entry :
         {Entry{"Text|*.txt|All|*.*", 1, true, ".txt"}, Entry{"Text|*.txt|All|*.*", 2, true, ".*"},
          Entry{"Text|*.txt|All|*.*", 3, false, "unchanged"},
          Entry{"Text|*.txt|All|*.*", 0, false, "unchanged"},
          Entry{"Text|*.txt|All|*.*", -1, false, "unchanged"},
          Entry{"Docs|*.doc;*.txt", 1, true, ".doc"}, Entry{"Make|Makefile", 1, true, ""},
          Entry{"Archives|*.tar.gz", 1, true, ".tar.gz"}, Entry{"", 1, false, "unchanged"}}) {
        SCOPED_TRACE(std::string(entry.filter) + " " + std::to_string(entry.n));
        QString ext = QStringLiteral("unchanged");
        EXPECT_EQ(ExtensionOfFilter(QString::fromUtf8(entry.filter), entry.n, ext), entry.found);
        EXPECT_EQ(ext, QString::fromUtf8(entry.ext));
    }

    struct Rename {
        const char* name;
        const char* ext;
        const char* result;
    };
    for (const Rename& rename :
         {Rename{"memo.txt", ".*", "memo.*"}, Rename{"memo.*", ".txt", "memo.txt"},
          Rename{"", ".txt", "*.txt"}, Rename{"memo", ".txt", "memo.txt"},
          Rename{"old.notes.txt", ".*", "old.notes.*"},
          Rename{"v1.2/memo", ".txt", "v1.2/memo.txt"}, Rename{"メモ.txt", "", "メモ"}}) {
        EXPECT_EQ(NameForExtension(QString::fromUtf8(rename.name), QString::fromUtf8(rename.ext)),
                  QString::fromUtf8(rename.result));
    }
}

TEST(TextDialogs, PickingATypeFollowsItInTheNameBoxAndTheDefaultExtension) {
    TTextOpenDialog dialog;
    dialog.SetFilter(kFilter);
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* nameBox = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(types, nullptr);
    ASSERT_NE(nameBox, nullptr);
    ASSERT_EQ(types->count(), 2);
    EXPECT_EQ(types->itemText(0), QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.txt)"));
    EXPECT_EQ(types->itemText(1), QStringLiteral("全てのファイル(*.*)"));
    const auto pick = [types](int index) {
        types->setCurrentIndex(index);
        emit types->activated(index);
        emit types->textActivated(types->itemText(index));
    };

    nameBox->setText(QStringLiteral("memo.txt"));
    pick(1);
    EXPECT_EQ(nameBox->text(), QStringLiteral("memo.*"));
    EXPECT_EQ(dialog.FilterIndex(), 2);
    // A wildcard is no extension to add to a typed name.
    EXPECT_EQ(dialog.defaultSuffix(), QString());
    pick(0);
    EXPECT_EQ(nameBox->text(), QStringLiteral("memo.txt"));
    EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("txt"));

    nameBox->clear();
    pick(1);
    pick(0);
    EXPECT_EQ(nameBox->text(), QStringLiteral("*.txt"));

    dialog.AutoExtChange = false;
    nameBox->setText(QStringLiteral("memo.txt"));
    pick(1);
    EXPECT_EQ(nameBox->text(), QStringLiteral("memo.txt"));
    EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("txt"));
}

class TextOpenDialog : public ::testing::Test {
protected:
    TextOpenDialog() { dialog_.SetFilter(kFilter); }

    QString previewOf(const QString& path) {
        emit dialog_.currentChanged(path);
        return dialog_.PreviewControl->toPlainText();
    }

    TempDir dir_;
    TTextOpenDialog dialog_;
};

TEST_F(TextOpenDialog, PanelSpansTheDialogBelowItsControlsAndPreviewsOnlyWhenAsked) {
    auto* grid = qobject_cast<QGridLayout*>(dialog_.layout());
    ASSERT_NE(grid, nullptr);
    const int index = grid->indexOf(dialog_.Panel());
    ASSERT_GE(index, 0);
    int row = 0;
    int column = 0;
    int rows = 0;
    int columns = 0;
    grid->getItemPosition(index, &row, &column, &rows, &columns);
    EXPECT_EQ(row, grid->rowCount() - 1);
    EXPECT_EQ(columns, grid->columnCount());
    EXPECT_EQ(dialog_.PreviewCheck->text(), QStringLiteral("内容をプレビューする(&P)"));
    EXPECT_TRUE(dialog_.PreviewControl->isReadOnly());
    EXPECT_EQ(dialog_.PreviewControl->font().family(), QStringLiteral("ＭＳ ゴシック"));

    const QString big = qpath(dir_.write("big.txt", std::string(5000, 'x')));
    EXPECT_FALSE(dialog_.Preview());
    EXPECT_EQ(previewOf(big), QString());
    dialog_.SetPreview(true);
    EXPECT_EQ(dialog_.PreviewControl->toPlainText(), QString(1024, QLatin1Char('x')));
    dialog_.PreviewCheck->click();
    EXPECT_EQ(dialog_.PreviewControl->toPlainText(), QString());
    dialog_.PreviewCheck->click();
    EXPECT_EQ(dialog_.PreviewControl->toPlainText(), QString(1024, QLatin1Char('x')));
}

TEST_F(TextOpenDialog, PreviewShowsTheFirstKilobyteAsJapaneseLines) {
    dialog_.SetPreview(true);
    // "メモ" and "日本" in Shift-JIS, then CR LF, CR and LF line ends.
    const QString memo =
        qpath(dir_.write("memo.txt", "\x83\x81\x83\x82\r\n\x93\xfa\x96\x7b\rthree\nend"));
    EXPECT_EQ(previewOf(memo), QStringLiteral("メモ\n日本\nthree\nend"));
    EXPECT_EQ(dialog_.PreviewControl->document()->blockCount(), 4);

    // The limit falls between the two bytes of "メ": the half character is left out.
    const QString cut = qpath(dir_.write("cut.txt", std::string(1023, 'a') + "\x83\x81z"));
    EXPECT_EQ(previewOf(cut), QString(1023, QLatin1Char('a')));

    const QString empty = qpath(dir_.write("empty.txt", ""));
    EXPECT_EQ(previewOf(empty), QString());
}

TEST_F(TextOpenDialog, ANameTypedIntoTheNameBoxIsPreviewedOnceTheListSelectsIt) {
    dialog_.SetPreview(true);
    dir_.write("typed.txt", "typed text");
    dialog_.setDirectory(qpath(dir_.path()));
    dialog_.show();
    auto* files = dialog_.findChild<QListView*>(QStringLiteral("listView"));
    ASSERT_NE(files, nullptr);
    // The folder is read in the background.
    QElapsedTimer clock;
    clock.start();
    while (files->model()->rowCount(files->rootIndex()) == 0 && clock.elapsed() < 5000) {
        QTest::qWait(10);
    }
    auto* nameBox = dialog_.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    nameBox->setFocus();
    QTest::keyClicks(nameBox, "typed.txt");
    EXPECT_EQ(dialog_.PreviewControl->toPlainText(), QStringLiteral("typed text"));
    QTest::keyClicks(nameBox, "x");
    EXPECT_EQ(dialog_.PreviewControl->toPlainText(), QString());
    dialog_.hide();
}

TEST_F(TextOpenDialog, OnlyRegularFilesArePreviewedAndNothingElseBlocksTheDialog) {
    dialog_.SetPreview(true);
    const QString text = qpath(dir_.write("a.txt", "text"));
    const std::filesystem::path fifo = dir_.file("pipe.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    QElapsedTimer clock;
    clock.start();
    for (const QString& name :
         {qpath(fifo), qpath(dir_.path()), qpath(dir_.file("gone.txt")), qpath(dir_.file("*.txt")),
          qpath(dir_.file("a.tx?")), QStringLiteral("/dev/zero"), QString()}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(previewOf(text), QStringLiteral("text"));
        EXPECT_EQ(previewOf(name), QString());
        EXPECT_FALSE(IsPlainExistingFile(name));
    }
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(IsPlainExistingFile(text));
}

} // namespace
