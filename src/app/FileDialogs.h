#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

class QFileDialog;
class QWidget;

namespace lumarik::components {
class TTextOpenDialog;
}

namespace lumarik::app {

// The filter both file dialogs offer, as "text|pattern|text|pattern" pairs.
inline constexpr QStringView kTextFileFilter = u"ﾃｷｽﾄﾌｧｲﾙ (*.txt)|*.txt|全てのファイル(*.*)|*.*";

// The file dialogs, widget based, starting in folder, with the text-file filter and the
// default extension "txt". The open dialog previews the selected file; the save dialog
// asks no overwrite question of its own: the caller asks it.
std::unique_ptr<components::TTextOpenDialog> createOpenDialog(QWidget* parent,
                                                              const QString& folder);
std::unique_ptr<QFileDialog> createSaveDialog(QWidget* parent, const QString& folder);

// While the save dialog's first filter (text files) is selected, its default
// extension is "txt".
void SaveDialog1SelectionChange(QFileDialog& dialog);

// Runs the dialog; answers the chosen file, or "" when the user cancelled.
QString runFileDialog(QFileDialog& dialog);

} // namespace lumarik::app
