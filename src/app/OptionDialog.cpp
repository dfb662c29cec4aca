#include "app/OptionDialog.h"

#include "app/FontColorDialogs.h"
#include "app/ImageButton.h"
#include "app/MainWindow.h"
#include "app/OptionArtwork.h"
#include "app/OptionLayout.h"
#include "editor/VelEdit.h"
#include "platform/CodePage.h"
#include "platform/MessageReporter.h"
#include "platform/ProfileFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSpinBox>

namespace lumarik::app {
namespace {

using namespace option_layout;
using editor::TColor;
using editor::TEditFont;
using editor::TVelEdit;

constexpr int kOwnerOffset = 22;
constexpr int kMinColumn = 10;
constexpr int kMaxColumn = 1000;
constexpr int kMaxLineSpace = 100;
constexpr int kMinTabWidth = 1;
constexpr int kMaxTabWidth = 8;

QFont dialogFont() {
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    return font;
}

QFont tabWidthFont() {
    QFont font(QStringLiteral("Courier"));
    font.setPixelSize(12);
    return font;
}

QCheckBox* whiteCheckBox(CheckBoxId id, bool checked, QWidget* parent) {
    auto* box = new QCheckBox(parent);
    box->setGeometry(QRect(checkBox(id).topLeft, QSize(kCheckBoxSize, kCheckBoxSize)));
    box->setChecked(checked);
    QPalette white = box->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    box->setPalette(white);
    box->setAutoFillBackground(true);
    box->setAccessibleName(checkBox(id).label.toString());
    return box;
}

// A number box whose value changes only by its arrows or the arrow keys, showing at
// most maxLength characters.
class ArrowOnlySpinBox : public QSpinBox {
public:
    ArrowOnlySpinBox(NumberBoxId id, int minimum, int maximum, int maxLength, QWidget* parent)
        : QSpinBox(parent) {
        setGeometry(numberBox(id).rect);
        setRange(minimum, maximum);
        lineEdit()->setReadOnly(true);
        lineEdit()->setMaxLength(maxLength);
        setAccessibleName(numberBox(id).label.toString());
    }
};

// The editor font's face, size, style and colour, taken from another font; the pitch
// stays.
TEditFont withFaceSizeStyleAndColor(TEditFont font, const TEditFont& from) {
    font.Name = from.Name;
    font.Height = from.Height;
    font.Bold = from.Bold;
    font.Italic = from.Italic;
    font.Color = from.Color;
    return font;
}

void showError(const QString& text) {
    platform::currentReporter().show(
        {text, platform::applicationTitle(), platform::MessageIcon::Error});
}

} // namespace

Tform_option::Tform_option(TFormEditor* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint), owner_(owner) {
    setObjectName(QStringLiteral("Tform_option"));
    setWindowTitle(QStringLiteral("OPTION"));
    setFont(dialogFont());
    setFixedSize(kClientSize);
    FontDialog1 = [this](const TEditFont& font) { return chooseFont(this, font); };
    ColorDialog1 = [this](TColor color) { return chooseColor(this, color); };
    BuildControls();
    ConnectHandlers();
    FormCreate();
    // The main window asks at each key, so the box works before OK.
    owner_->SoundOn = [this] { return check_sound->isChecked(); };
}

std::string Tform_option::SampleText() {
    return platform::CodePage::ansi().fromUnicode(u"abcABC　日本語\r\n"
                                                  u"http://www.example.com/\r\n"
                                                  u"mailto:info@example.com\r\n"
                                                  u"> 引用した行");
}

void Tform_option::BuildControls() {
    Image_back = new QLabel(this);
    Image_back->setObjectName(QStringLiteral("Image_back"));
    Image_back->setPixmap(optionBackground(font()));
    Image_back->setGeometry(QRect(QPoint(0, 0), kClientSize));
    // Presses on the picture are presses on the window: they move it.
    Image_back->setAttribute(Qt::WA_TransparentForMouseEvents);

    richEdit1 = new TVelEdit(this);
    richEdit1->setObjectName(QStringLiteral("richEdit1"));
    editor::ApplyPreviewEditorPreset(*richEdit1);
    richEdit1->setGeometry(kPreview);

    const auto imageButton = [this](ImageButtonId id, const char* name) {
        auto* button = new TImageButton(optionButtonImage(id, false, font()), this);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(option_layout::imageButton(id).rect);
        button->setAccessibleName(option_layout::imageButton(id).caption.toString());
        return button;
    };
    Image_font = imageButton(ImageButtonId::Font, "Image_font");
    Image_under = imageButton(ImageButtonId::UnderlineColor, "Image_under");
    Image_back_color = imageButton(ImageButtonId::BackColor, "Image_back_color");
    Image_url = imageButton(ImageButtonId::LinkColor, "Image_url");
    image_mark_color = imageButton(ImageButtonId::MarkColor, "image_mark_color");
    Image_OK = imageButton(ImageButtonId::Ok, "Image_OK");

    // The underline and mark boxes start checked, as the preview starts with both
    // shown, so that the preview follows each box from the first setting on.
    check_sound = whiteCheckBox(CheckBoxId::Sound, false, this);
    check_tool = whiteCheckBox(CheckBoxId::Tool, false, this);
    check_uline = whiteCheckBox(CheckBoxId::Uline, true, this);
    check_number = whiteCheckBox(CheckBoxId::Number, false, this);
    check_status = whiteCheckBox(CheckBoxId::Status, false, this);
    check_wrap = whiteCheckBox(CheckBoxId::Wrap, false, this);
    check_awrap = whiteCheckBox(CheckBoxId::AutoWrap, false, this);
    check_mark = whiteCheckBox(CheckBoxId::Mark, true, this);

    Combo_tabwidth = new QComboBox(this);
    Combo_tabwidth->setGeometry(numberBox(NumberBoxId::TabWidth).rect);
    Combo_tabwidth->setEditable(true);
    Combo_tabwidth->setFont(tabWidthFont());
    for (int width = kMinTabWidth; width <= kMaxTabWidth; ++width) {
        Combo_tabwidth->addItem(QString::number(width));
    }
    Combo_tabwidth->setAccessibleName(numberBox(NumberBoxId::TabWidth).label.toString());
    column = new ArrowOnlySpinBox(NumberBoxId::Column, kMinColumn, kMaxColumn, 4, this);
    line_space = new ArrowOnlySpinBox(NumberBoxId::LineSpace, 0, kMaxLineSpace, 3, this);
}

void Tform_option::ConnectHandlers() {
    connect(Image_font, &QAbstractButton::clicked, this, [this] { Button_fontClick(); });
    connect(Image_back_color, &QAbstractButton::clicked, this, [this] { Button_colorClick(); });
    connect(Image_url, &QAbstractButton::clicked, this, [this] { Button_urlClick(); });
    connect(Image_under, &QAbstractButton::clicked, this, [this] { Button_ulinecolorClick(); });
    connect(image_mark_color, &QAbstractButton::clicked, this, [this] { image_mark_colorClick(); });
    connect(Image_OK, &QAbstractButton::clicked, this, [this] { Button_okClick(); });
    // Programmatic changes run the handlers too.
    connect(check_uline, &QCheckBox::toggled, this, [this] { check_ulineClick(); });
    connect(check_mark, &QCheckBox::toggled, this, [this] { check_markClick(); });
    connect(check_number, &QCheckBox::toggled, this, [this] { check_numberClick(); });
    connect(check_wrap, &QCheckBox::toggled, this, [this] { check_wrapClick(); });
    connect(check_awrap, &QCheckBox::toggled, this, [this] { check_awrapClick(); });
    connect(line_space, &QSpinBox::valueChanged, this, [this] { line_spaceChange(); });
}

void Tform_option::FormCreate() {
    const TVelEdit& main = *owner_->RichEdit1;
    TVelEdit& preview = *richEdit1;

    preview.SetText(SampleText());
    preview.SetShowUnderLine(true);
    move(owner_->pos() + QPoint(kOwnerOffset, kOwnerOffset));

    preview.SetFont(withFaceSizeStyleAndColor(preview.Font(), main.Font()));
    preview.SetColor(main.Color());
    preview.SetURLColor(main.URLColor());
    preview.SetShowLineNumber(main.ShowLineNumber());

    check_tool->setChecked(owner_->ToolBarShown());
    check_status->setChecked(owner_->StatusBarShown());
    check_uline->setChecked(main.ShowUnderLine());
    check_number->setChecked(main.ShowLineNumber());
    check_mark->setChecked(main.ShowEOF());
    check_awrap->setChecked(main.AutoWrap());

    preview.SetShowCR(main.ShowCR());
    preview.SetUlineColor(main.UlineColor());

    Combo_tabwidth->setEditText(QString::number(main.TabCount()));
    column->setValue(main.Column());
    line_space->setValue(main.LineSpace());

    preview.SetCREOFcolor(main.CREOFcolor());

    const platform::ProfileReader ini(owner_->SettingsPath());
    check_sound->setChecked(ini.readBool(u"sound", u"onoff", check_sound->isChecked()));
    // The editor's own state: the main window has read the stored key already, with
    // word wrap on when there is none.
    check_wrap->setChecked(main.WordWrap());
}

void Tform_option::ResetPreview() {
    richEdit1->ResetContent();
    richEdit1->SetText(SampleText());
}

void Tform_option::Button_fontClick() {
    if (const std::optional<TEditFont> chosen = FontDialog1(richEdit1->Font())) {
        richEdit1->SetFont(*chosen);
    }
    richEdit1->RedrawAll();
    ResetPreview();
}

void Tform_option::Button_colorClick() {
    if (const std::optional<TColor> chosen = ColorDialog1(richEdit1->Color())) {
        richEdit1->SetColor(*chosen);
    }
}

void Tform_option::Button_urlClick() {
    if (const std::optional<TColor> chosen = ColorDialog1(richEdit1->URLColor())) {
        richEdit1->SetURLColor(*chosen);
    }
    richEdit1->RedrawAll();
}

void Tform_option::Button_ulinecolorClick() {
    if (const std::optional<TColor> chosen = ColorDialog1(richEdit1->UlineColor())) {
        richEdit1->SetUlineColor(*chosen);
    }
    richEdit1->RedrawAll();
}

void Tform_option::image_mark_colorClick() {
    if (const std::optional<TColor> chosen = ColorDialog1(richEdit1->CREOFcolor())) {
        richEdit1->SetCREOFcolor(*chosen);
        ResetPreview();
    }
}

void Tform_option::check_ulineClick() {
    richEdit1->SetShowUnderLine(check_uline->isChecked());
    richEdit1->RedrawAll();
}

void Tform_option::check_markClick() {
    const bool shown = check_mark->isChecked();
    richEdit1->SetShowCR(shown);
    richEdit1->SetShowEOF(shown);
    richEdit1->SetShowDblSpace(shown);
    richEdit1->RedrawAll();
}

void Tform_option::check_numberClick() {
    richEdit1->SetShowLineNumber(check_number->isChecked());
    ResetPreview();
}

void Tform_option::check_wrapClick() {
    // Automatic wrap is a kind of word wrap.
    if (!check_wrap->isChecked()) {
        check_awrap->setChecked(false);
    }
}

void Tform_option::check_awrapClick() {
    if (check_awrap->isChecked()) {
        check_wrap->setChecked(true);
    }
}

void Tform_option::line_spaceChange() {
    richEdit1->SetLineSpace(line_space->value());
    richEdit1->RedrawAll();
}

std::optional<int> Tform_option::TabWidth() const {
    bool isNumber = false;
    const int width = Combo_tabwidth->currentText().trimmed().toInt(&isNumber, 10);
    if (!isNumber || width < kMinTabWidth || width > kMaxTabWidth) {
        return std::nullopt;
    }
    return width;
}

void Tform_option::Button_okClick() {
    // Every input is checked before anything is applied.
    const std::optional<int> tabWidth = TabWidth();
    if (!tabWidth) {
        showError(QStringLiteral("'%1' は整数ではありません").arg(Combo_tabwidth->currentText()));
        return;
    }
    TVelEdit& main = *owner_->RichEdit1;
    const TVelEdit& preview = *richEdit1;

    main.SetFont(withFaceSizeStyleAndColor(main.Font(), preview.Font()));
    main.SetColor(preview.Color());
    main.SetURLColor(preview.URLColor());
    owner_->SetToolBarShown(check_tool->isChecked());
    owner_->SetStatusBarShown(check_status->isChecked());
    main.SetWordWrap(check_wrap->isChecked());
    main.SetAutoWrap(check_awrap->isChecked());
    main.SetShowUnderLine(check_uline->isChecked());
    main.SetUlineColor(preview.UlineColor());
    main.SetTabCount(*tabWidth);
    main.SetColumn(column->value());
    main.SetShowLineNumber(preview.ShowLineNumber());
    const bool marks = check_mark->isChecked();
    main.SetShowEOF(marks);
    main.SetShowCR(marks);
    main.SetShowDblSpace(marks);
    main.SetShowTAB(marks);
    main.SetCREOFcolor(preview.CREOFcolor());
    main.SetLineSpace(line_space->value());

    main.update();
    main.RefreshLayout();
    hide();
    WriteOptionSettings();
}

void Tform_option::WriteOptionSettings() {
    platform::ProfileWriteBatch ini(owner_->SettingsPath());
    ini.writeBool(QStringLiteral("sound"), QStringLiteral("onoff"), check_sound->isChecked());
    ini.writeBool(QStringLiteral("toolbar"), QStringLiteral("visible"), owner_->ToolBarShown());
    ini.writeBool(QStringLiteral("status"), QStringLiteral("visible"), owner_->StatusBarShown());
    ini.writeBool(QStringLiteral("Editor"), QStringLiteral("wordwrap"),
                  owner_->RichEdit1->WordWrap());
    const platform::ProfileWriteResult result = ini.commit();
    if (!result) {
        showError(result.path + QStringLiteral(" に書き込めません"));
    }
}

void Tform_option::mousePressEvent(QMouseEvent* event) {
    Image_backMouseDown(*event);
}

void Tform_option::Image_backMouseDown(QMouseEvent& event) {
    if (mover_.press(*this, event)) {
        event.accept();
    }
}

void Tform_option::mouseMoveEvent(QMouseEvent* event) {
    if (!mover_.move(*this, *event)) {
        QWidget::mouseMoveEvent(event);
    }
}

void Tform_option::mouseReleaseEvent(QMouseEvent* event) {
    if (!mover_.release(*event)) {
        QWidget::mouseReleaseEvent(event);
    }
}

} // namespace lumarik::app
