#include "app/FileDialogs.h"

#include <QFileDialog>

namespace lumarik::app {
namespace {

const QString kDefaultSuffix = QStringLiteral("txt");

std::unique_ptr<QFileDialog> createDialog(QWidget* parent, const QString& folder) {
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setNameFilters(qtNameFilters(kTextFileFilter));
    dialog->setDefaultSuffix(kDefaultSuffix);
    dialog->setDirectory(folder);
    return dialog;
}

} // namespace

QStringList qtNameFilters(QStringView pairs) {
    QStringList filters;
    const QList<QStringView> parts = pairs.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString text = parts[i].toString();
        const QString pattern = parts[i + 1].toString();
        const QString qtPattern = pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern;
        const QString bracketed = QLatin1Char('(') + pattern + QLatin1Char(')');
        if (text.endsWith(bracketed)) {
            filters << text.left(text.size() - bracketed.size()) + QLatin1Char('(') + qtPattern +
                           QLatin1Char(')');
        } else {
            filters << text + QStringLiteral(" (") + qtPattern + QLatin1Char(')');
        }
    }
    return filters;
}

std::unique_ptr<QFileDialog> createOpenDialog(QWidget* parent, const QString& folder) {
    auto dialog = createDialog(parent, folder);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return dialog;
}

std::unique_ptr<QFileDialog> createSaveDialog(QWidget* parent, const QString& folder) {
    auto dialog = createDialog(parent, folder);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    QFileDialog* raw = dialog.get();
    QObject::connect(raw, &QFileDialog::filterSelected, raw,
                     [raw]() { SaveDialog1SelectionChange(*raw); });
    return dialog;
}

void SaveDialog1SelectionChange(QFileDialog& dialog) {
    if (dialog.selectedNameFilter() == dialog.nameFilters().value(0)) {
        dialog.setDefaultSuffix(kDefaultSuffix);
    }
}

QString runFileDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles().value(0);
}

} // namespace lumarik::app
