// The main window's settings: read once when the window is first shown, written when
// it closes.
#include "app/MainWindow.h"

#include "components/FileNameKeeper.h"
#include "editor/VelEdit.h"
#include "platform/MessageReporter.h"
#include "platform/ProfileFile.h"

#include <QAction>
#include <QRect>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace lumarik::app {
namespace {

using editor::TColor;
using platform::ProfileReader;
using platform::ProfileWriteBatch;

constexpr int kDefaultLeft = 120;
constexpr int kDefaultTop = 120;
constexpr int kDefaultWidth = 500;
constexpr int kDefaultHeight = 500;
constexpr int kMaxFontSize = 100;
constexpr int kMinColumn = 10;
constexpr int kMaxColumn = 1000;
// Font sizes and character heights convert at a fixed 96 dots per inch.
constexpr int kPointsPerInch = 72;
constexpr int kDotsPerInch = 96;

// a * b / c rounded half away from zero.
int mulDiv(int a, int b, int c) {
    const double exact = static_cast<double>(a) * b / c;
    return static_cast<int>(std::lround(exact));
}

// A font size in points, negative for a character height, as a font object reports
// it; the editor font's height is positive for a character height.
int sizeFromHeight(int height) {
    return -mulDiv(height, kPointsPerInch, kDotsPerInch);
}

int heightFromSize(int size) {
    return -mulDiv(size, kDotsPerInch, kPointsPerInch);
}

TColor readColor(const ProfileReader& ini, QStringView section, QStringView key, TColor fallback) {
    const int value = ini.readInt(section, key, static_cast<int>(fallback));
    return value >= 0 && value <= 0xFFFFFF ? static_cast<TColor>(value) : fallback;
}

} // namespace

void TFormEditor::ReadSettings() {
    const ProfileReader ini(options_.settingsPath);
    editor::TVelEdit& edit = *RichEdit1;

    const int height = ini.readInt(u"window", u"height", kDefaultHeight);
    const int width = ini.readInt(u"window", u"width", kDefaultWidth);
    const int top = ini.readInt(u"window", u"top", kDefaultTop);
    const int left = ini.readInt(u"window", u"left", kDefaultLeft);
    setGeometry(UsableBounds(left, top, width, height,
                             QRect(kDefaultLeft, kDefaultTop, kDefaultWidth, kDefaultHeight)));

    editor::TEditFont font = edit.Font();
    const QString name =
        ini.readString(u"Font", u"name", QString::fromStdString(font.Name)).trimmed();
    if (!name.isEmpty()) {
        font.Name = name.toStdString();
    }
    // In 64 bits: the magnitude of the smallest int does not fit an int.
    const qint64 size = ini.readInt(u"Font", u"size", sizeFromHeight(font.Height));
    if (std::abs(size) >= 1 && std::abs(size) <= kMaxFontSize) {
        font.Height = heightFromSize(static_cast<int>(size));
    }
    font.Color = readColor(ini, u"Font", u"color", font.Color);
    edit.SetFont(font);
    edit.SetColor(readColor(ini, u"back", u"color", edit.Color()));
    edit.SetURLColor(readColor(ini, u"URL", u"color", edit.URLColor()));

    SetStatusBarShown(ini.readBool(u"status", u"visible", statusBarShown_));
    SetToolBarShown(ini.readBool(u"toolbar", u"visible", toolBarShown_));
    edit.SetWordWrap(ini.readBool(u"editor", u"wordwrap", true));
    edit.SetAutoWrap(ini.readBool(u"editor", u"autowrap", false));
    FMaximized = ini.readBool(u"window", u"maxSighn", FMaximized);
    INENGLISH->setChecked(ini.readBool(u"menu", u"english", INENGLISH->isChecked()));

    edit.SetTabCount(ini.readInt(u"editor", u"tabcount", edit.TabCount()));
    edit.SetColumn(
        std::clamp(ini.readInt(u"editor", u"column", edit.Column()), kMinColumn, kMaxColumn));
    edit.SetLineSpace(ini.readInt(u"editor", u"linespace", edit.LineSpace()));
    edit.SetShowUnderLine(ini.readBool(u"editor", u"uline", edit.ShowUnderLine()));
    edit.SetUlineColor(readColor(ini, u"editor", u"ulinecolor", edit.UlineColor()));
    edit.SetShowLineNumber(ini.readBool(u"editor", u"number", edit.ShowLineNumber()));
    // One key drives all four marks; the tab mark follows the end-of-text mark.
    edit.SetShowCR(ini.readBool(u"editor", u"mark", edit.ShowCR()));
    edit.SetShowEOF(ini.readBool(u"editor", u"mark", edit.ShowEOF()));
    edit.SetShowTAB(ini.readBool(u"editor", u"mark", edit.ShowEOF()));
    edit.SetShowDblSpace(ini.readBool(u"editor", u"mark", edit.ShowDblSpace()));
    edit.SetCREOFcolor(readColor(ini, u"editor", u"mark_color", edit.CREOFcolor()));

    edit.update();
    edit.RefreshLayout();
}

void TFormEditor::WriteSettings() {
    const editor::TVelEdit& edit = *RichEdit1;
    const QRect bounds = CurrentBounds();
    ProfileWriteBatch ini(options_.settingsPath);
    ini.writeInt(QStringLiteral("window"), QStringLiteral("width"), bounds.width());
    ini.writeInt(QStringLiteral("window"), QStringLiteral("top"), bounds.top());
    ini.writeInt(QStringLiteral("window"), QStringLiteral("left"), bounds.left());
    ini.writeString(QStringLiteral("Font"), QStringLiteral("name"),
                    QString::fromStdString(edit.Font().Name));
    ini.writeInt(QStringLiteral("Font"), QStringLiteral("size"),
                 sizeFromHeight(edit.Font().Height));
    ini.writeInt(QStringLiteral("Font"), QStringLiteral("color"),
                 static_cast<int>(edit.Font().Color));
    ini.writeInt(QStringLiteral("back"), QStringLiteral("color"), static_cast<int>(edit.Color()));
    ini.writeInt(QStringLiteral("URL"), QStringLiteral("color"), static_cast<int>(edit.URLColor()));
    ini.writeBool(QStringLiteral("window"), QStringLiteral("maxSighn"), FMaximized);
    ini.writeBool(QStringLiteral("menu"), QStringLiteral("english"), INENGLISH->isChecked());
    ini.writeInt(QStringLiteral("editor"), QStringLiteral("tabcount"), edit.TabCount());
    ini.writeInt(QStringLiteral("editor"), QStringLiteral("column"), edit.Column());
    ini.writeInt(QStringLiteral("editor"), QStringLiteral("linespace"), edit.LineSpace());
    ini.writeBool(QStringLiteral("editor"), QStringLiteral("uline"), edit.ShowUnderLine());
    ini.writeInt(QStringLiteral("editor"), QStringLiteral("ulinecolor"),
                 static_cast<int>(edit.UlineColor()));
    ini.writeBool(QStringLiteral("editor"), QStringLiteral("number"), edit.ShowLineNumber());
    ini.writeBool(QStringLiteral("editor"), QStringLiteral("mark"), edit.ShowEOF());
    ini.writeInt(QStringLiteral("editor"), QStringLiteral("mark_color"),
                 static_cast<int>(edit.CREOFcolor()));
    ini.writeBool(QStringLiteral("editor"), QStringLiteral("autowrap"), edit.AutoWrap());
    // A window rolled up to its title keeps the height it had before.
    if (bounds.height() != kShadedHeight) {
        ini.writeInt(QStringLiteral("window"), QStringLiteral("height"), bounds.height());
    }
    // The recent-files lists go last, in the same write: one failure, one message.
    FileNameKeep1->WriteFileNames(ini);
    FileNameKeep2->WriteFileNames(ini);
    platform::reportUnwritable(ini.commit());
}

} // namespace lumarik::app
