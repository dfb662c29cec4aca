#include "app/FileDialogs.h"

#include "components/TextDialogs.h"

#include <QFileDialog>

namespace lumarik::app {
namespace {

const QString kDefaultSuffix = QStringLiteral("txt");

std::unique_ptr<QFileDialog> createDialog(QWidget* parent, const QString& folder) {
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setNameFilters(components::qtNameFilters(kTextFileFilter));
    dialog->setDefaultSuffix(kDefaultSuffix);
    dialog->setDirectory(folder);
    return dialog;
}

} // namespace

std::unique_ptr<components::TTextOpenDialog> createOpenDialog(QWidget* parent,
                                                              const QString& folder) {
    auto dialog = std::make_unique<components::TTextOpenDialog>(parent);
    dialog->SetFilter(kTextFileFilter.toString());
    dialog->setDirectory(folder);
    dialog->SetPreview(true);
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
    if (components::SelectedFilterIndex(dialog) == 0) {
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
