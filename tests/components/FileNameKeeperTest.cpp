#include <gtest/gtest.h>

#include "app/AppTestSupport.h"
#include "components/FileNameKeeper.h"
#include "platform/MessageReporter.h"
#include "platform/ProfileFile.h"

#include <QAction>
#include <QMenu>

#include <memory>

using lumarik::components::TFileNameKeep;
using namespace lumarik;
using namespace lumarik::test;

namespace {

class FileNameKeeper : public ::testing::Test {
protected:
    FileNameKeeper() : scoped_(recorder_) { menu_.addAction(QStringLiteral("E&XIT")); }

    QString ini() const { return QString::fromStdString(dir_.file("lumarik.ini").string()); }

    std::unique_ptr<TFileNameKeep> keeper() {
        auto keep = std::make_unique<TFileNameKeep>(ini());
        keep->SetParentMenu(&menu_);
        return keep;
    }

    // What the menu shows after its own items: "-" for a separator.
    QStringList appended() const {
        QStringList rows;
        for (const QAction* action : menu_.actions().mid(1)) {
            rows << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        return rows;
    }

    TempDir dir_;
    platform::RecordingMessageReporter recorder_;
    platform::ScopedReporter scoped_;
    QMenu menu_;
};

TEST_F(FileNameKeeper, KeepsTheFourLatestMostRecentFirstWithOneItemPerName) {
    const auto keep = keeper();
    EXPECT_EQ(appended(), QStringList());

    keep->Add(QStringLiteral("/docs/a.txt"));
    EXPECT_EQ(appended(), QStringList({"-", "a.txt"}));
    for (const char* name : {"/docs/b.txt", "/docs/c.txt", "/docs/d.txt", "/docs/e.txt"}) {
        keep->Add(QString::fromUtf8(name));
    }
    // The first one dropped out; no fifth item.
    EXPECT_EQ(appended(), QStringList({"-", "e.txt", "d.txt", "c.txt", "b.txt"}));

    // A name already listed moves up; the others shift down behind it.
    keep->Add(QStringLiteral("/docs/c.txt"));
    EXPECT_EQ(appended(), QStringList({"-", "c.txt", "e.txt", "d.txt", "b.txt"}));
    // Letter case makes another name; an empty name is no name.
    keep->Add(QStringLiteral("/docs/C.txt"));
    keep->Add(QString());
    EXPECT_EQ(keep->FileNames(),
              (TFileNameKeep::Names{"/docs/C.txt", "/docs/c.txt", "/docs/e.txt", "/docs/d.txt"}));
    for (int slot = 1; slot <= TFileNameKeep::kCapacity; ++slot) {
        EXPECT_EQ(keep->Item(slot)->data().toInt(), slot);
    }

    // Without a menu there is nothing to show the name in.
    TFileNameKeep unattached(ini());
    unattached.Add(QStringLiteral("/docs/a.txt"));
    EXPECT_EQ(unattached.FileNames()[0], QString());
}

TEST_F(FileNameKeeper, CaptionsShowTheFilePartAsItIs) {
    const auto keep = keeper();
    keep->Add(QStringLiteral("/tmp/Tom & Jerry/R&D.txt"));
    keep->Add(QStringLiteral("/tmp/メモ\tコピー.txt"));
    EXPECT_EQ(appended(), QStringList({"-", "メモ コピー.txt", "R&&D.txt"}));
    // What a menu shows of "R&&D.txt": the ampersand itself, with no mnemonic.
    EXPECT_EQ(QAction(keep->Item(2)->text()).iconText(), QStringLiteral("R&D.txt"));
}

TEST_F(FileNameKeeper, AClickReportsTheFullPathOfItsSlot) {
    const auto keep = keeper();
    QStringList selected;
    keep->OnSelect = [&selected](const QString& name) { selected << name; };
    keep->Add(QStringLiteral("/docs/old.txt"));
    keep->Add(QStringLiteral("/docs/new.txt"));
    keep->Item(2)->trigger();
    keep->Item(1)->trigger();
    EXPECT_EQ(selected, QStringList({"/docs/old.txt", "/docs/new.txt"}));
}

TEST_F(FileNameKeeper, WritesAllFourKeysAtTheEndAndTheNextRunReadsThemInOrder) {
    writeBytes(dir_.file("lumarik.ini"),
               iniText({"[window]", "width=640", "[keepfilenames]", "FileName1=/x/stale.txt",
                        "FileName9=/x/stray.txt", "[menu]", "english=0"}));
    {
        const auto keep = keeper();
        keep->Add(QStringLiteral("/docs/first.txt"));
        keep->Add(QStringLiteral("C:\\My Documents\\second.txt"));
        // Written only as the list goes.
        EXPECT_EQ(platform::ProfileReader(ini()).readString(u"KeepFileNames", u"FileName1", {}),
                  QStringLiteral("/x/stale.txt"));
    }
    // The old section goes whole; the rest of the file stays as it was.
    EXPECT_EQ(readBytes(dir_.file("lumarik.ini")),
              iniText({"[window]", "width=640", "[menu]", "english=0", "[KeepFileNames]",
                       "FileName1=C:\\My Documents\\second.txt", "FileName2=/docs/first.txt",
                       "FileName3=/x/stale.txt", "FileName4="}));

    const auto next = keeper();
    EXPECT_EQ(next->FileNames(), (TFileNameKeep::Names{"C:\\My Documents\\second.txt",
                                                       "/docs/first.txt", "/x/stale.txt", ""}));
    EXPECT_EQ(appended(),
              QStringList({"-", "C:\\My Documents\\second.txt", "first.txt", "stale.txt"}));
    EXPECT_TRUE(recorder_.shown.empty());
}

TEST_F(FileNameKeeper, EmptyStoredEntriesAreSkippedAndAListNeverReadIsNeverWritten) {
    writeBytes(dir_.file("lumarik.ini"), iniText({"[KeepFileNames]", "FileName1=/a/one.txt",
                                                  "FileName2=", "FileName3=/a/three.txt"}));
    {
        const auto keep = keeper();
        EXPECT_EQ(keep->FileNames(), (TFileNameKeep::Names{"/a/one.txt", "/a/three.txt", "", ""}));
        EXPECT_EQ(appended(), QStringList({"-", "one.txt", "three.txt"}));
    }
    const std::string written = readBytes(dir_.file("lumarik.ini"));
    {
        TFileNameKeep unattached(ini());
        unattached.Add(QStringLiteral("/a/ignored.txt"));
    }
    EXPECT_EQ(readBytes(dir_.file("lumarik.ini")), written);
}

TEST_F(FileNameKeeper, AListWrittenWithTheOwnersSettingsIsNotWrittenAgain) {
    auto keep = keeper();
    keep->Add(QStringLiteral("/a/one.txt"));
    platform::ProfileWriteBatch batch(ini());
    batch.writeInt(QStringLiteral("window"), QStringLiteral("width"), 300);
    keep->WriteFileNames(batch);
    ASSERT_TRUE(batch.commit());
    // Changed by hand after the owner's write: going away must not undo it.
    writeBytes(dir_.file("lumarik.ini"), iniText({"[KeepFileNames]", "FileName1=/b/two.txt"}));
    keep.reset();
    EXPECT_EQ(readBytes(dir_.file("lumarik.ini")),
              iniText({"[KeepFileNames]", "FileName1=/b/two.txt"}));
}

TEST_F(FileNameKeeper, AnUnwritableSettingsFileIsReported) {
    const QString unwritable =
        QString::fromStdString((dir_.file("missing") / "lumarik.ini").string());
    {
        TFileNameKeep keep(unwritable);
        keep.SetParentMenu(&menu_);
        keep.Add(QStringLiteral("/a/one.txt"));
    }
    ASSERT_EQ(recorder_.shown.size(), 1u);
    EXPECT_EQ(recorder_.shown[0].text, unwritable + QStringLiteral(" に書き込めません"));
    EXPECT_EQ(recorder_.shown[0].icon, platform::MessageIcon::Error);
}

} // namespace
