#include "components/TextDialogs.h"

#include "platform/CodePage.h"
#include "platform/RegularFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <string>

namespace lumarik::components {
namespace {

constexpr qint64 kPreviewBytes = 1024;
constexpr int kPanelHeight = 130;

// The bytes without a lead byte whose trail byte was cut off at the end.
std::string_view wholeCharacters(std::string_view bytes) {
    const platform::CodePage& codePage = platform::CodePage::ansi();
    size_t i = 0;
    while (i < bytes.size()) {
        i += codePage.isLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    }
    return i > bytes.size() ? bytes.substr(0, bytes.size() - 1) : bytes;
}

} // namespace

QStringList qtNameFilters(QStringView pairs) {
    QStringList filters;
    const QList<QStringView> parts = pairs.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QStringView pattern = parts[i + 1];
        const QString qtPattern =
            pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern.toString();
        filters << parts[i].toString() + QStringLiteral(" (") + qtPattern + QLatin1Char(')');
    }
    return filters;
}

int SelectedFilterIndex(const QFileDialog& dialog) {
    if (const auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
        return types->currentIndex();
    }
    return static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter()));
}

bool ExtensionOfFilter(QStringView filter, int n, QString& ext) {
    if (n < 1) {
        return false;
    }
    const QList<QStringView> parts = filter.split(u'|');
    const qsizetype patternIndex = 2 * qsizetype{n} - 1;
    if (patternIndex >= parts.size()) {
        return false;
    }
    const QStringView first = parts[patternIndex].split(u';').front();
    const qsizetype dot = first.indexOf(u'.');
    ext = dot < 0 ? QString() : first.mid(dot).toString();
    return true;
}

bool IsPlainExistingFile(const QString& name) {
    if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'))) {
        return false;
    }
    const QFileInfo info(name);
    return info.isFile() && info.isReadable();
}

QString NameForExtension(const QString& name, const QString& ext) {
    if (name.isEmpty()) {
        return QLatin1Char('*') + ext;
    }
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const bool hasExtension = dot > name.lastIndexOf(QLatin1Char('/'));
    return (hasExtension ? name.left(dot) : name) + ext;
}

QString PreviewOfFile(const QString& name) {
    if (!IsPlainExistingFile(name)) {
        return {};
    }
    QFile file;
    if (!platform::openRegularFile(file, name)) {
        return {};
    }
    const QByteArray head = file.read(kPreviewBytes);
    if (head.isEmpty()) {
        return {};
    }
    const std::u16string text = platform::CodePage::ansi().toPlainUnicode(
        wholeCharacters(std::string_view(head.constData(), static_cast<size_t>(head.size()))));
    QString lines = QString::fromStdU16String(text);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

TExtChangeOpenDialog::TExtChangeOpenDialog(QWidget* parent) : QFileDialog(parent) {
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::HideNameFilterDetails);
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    connect(this, &QFileDialog::filterSelected, this,
            [this]() { TypeChange(SelectedFilterIndex(*this)); });
}

void TExtChangeOpenDialog::SetFilter(const QString& filter) {
    filter_ = filter;
    setNameFilters(qtNameFilters(filter));
}

int TExtChangeOpenDialog::FilterIndex() const {
    return SelectedFilterIndex(*this) + 1;
}

bool TExtChangeOpenDialog::Execute() {
    QString ext;
    if (AutoExtChange && ExtensionOfFilter(filter_, FilterIndex(), ext)) {
        SetDefaultExtension(ext);
    }
    return exec() == QDialog::Accepted;
}

void TExtChangeOpenDialog::TypeChange(int index) {
    QString ext;
    if (!AutoExtChange || !ExtensionOfFilter(filter_, index + 1, ext)) {
        return;
    }
    // The name box is the dialog's own line edit; a Qt without it still gets the
    // default extension.
    if (auto* nameBox = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        nameBox->setText(NameForExtension(nameBox->text(), ext));
    }
    SetDefaultExtension(ext);
}

void TExtChangeOpenDialog::SetDefaultExtension(const QString& ext) {
    // "*" names no file: with it a name typed without a dot would never be found.
    const QString suffix = ext.mid(1);
    setDefaultSuffix(suffix == QLatin1String("*") ? QString() : suffix);
}

TEnhOpenDialog::TEnhOpenDialog(QWidget* parent) : TExtChangeOpenDialog(parent) {
    panel_ = new QWidget(this);
    panel_->setObjectName(QStringLiteral("previewPanel"));
    panel_->setFixedHeight(kPanelHeight);
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        grid->addWidget(panel_, grid->rowCount(), 0, 1, grid->columnCount());
    }
}

TTextOpenDialog::TTextOpenDialog(QWidget* parent) : TEnhOpenDialog(parent) {
    auto* column = new QVBoxLayout(Panel());
    column->setContentsMargins(5, 2, 5, 5);
    PreviewCheck = new QCheckBox(QStringLiteral("内容をプレビューする(&P)"), Panel());
    PreviewControl = new QPlainTextEdit(Panel());
    PreviewControl->setReadOnly(true);
    PreviewControl->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont gothic(QStringLiteral("ＭＳ ゴシック"));
    gothic.setPixelSize(12);
    PreviewControl->setFont(gothic);
    column->addWidget(PreviewCheck);
    column->addWidget(PreviewControl);
    connect(PreviewCheck, &QCheckBox::toggled, this, [this]() { UpdatePreview(); });
    connect(this, &QFileDialog::currentChanged, this, [this](const QString& path) {
        selected_ = path;
        UpdatePreview();
    });
    // A name typed into the name box selects its file in the list without making it
    // the current one: follow the selection too.
    const auto* files = findChild<QListView*>(QStringLiteral("listView"));
    if (files != nullptr && files->selectionModel() != nullptr) {
        QItemSelectionModel* selection = files->selectionModel();
        connect(selection, &QItemSelectionModel::selectionChanged, this, [this, selection]() {
            const QModelIndexList rows = selection->selectedRows();
            selected_ = rows.isEmpty()
                            ? QString()
                            : rows.front().data(QFileSystemModel::FilePathRole).toString();
            UpdatePreview();
        });
    }
}

bool TTextOpenDialog::Preview() const {
    return PreviewCheck->isChecked();
}

void TTextOpenDialog::SetPreview(bool value) {
    PreviewCheck->setChecked(value);
}

void TTextOpenDialog::UpdatePreview() {
    PreviewControl->clear();
    if (Preview()) {
        PreviewControl->setPlainText(PreviewOfFile(selected_));
    }
}

} // namespace lumarik::components
