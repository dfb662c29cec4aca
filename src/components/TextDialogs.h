#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <QStringView>

class QCheckBox;
class QPlainTextEdit;

namespace lumarik::components {

// Filters are kept as "text|pattern|text|pattern" pairs, entries numbered from 1.

// "text|pattern|..." pairs as Qt name filters "text (patterns)", for dialogs that hide
// the filter details: Qt takes the patterns from the last brackets and shows the text
// before them. "*.*" means every file, so it becomes "*", which also matches names
// without a dot.
QStringList qtNameFilters(QStringView pairs);

// The index (from 0) of the file type picked in a widget-based dialog. The combo box
// shows the filters without their details, so its text is not a filter to look up.
int SelectedFilterIndex(const QFileDialog& dialog);

// The extension of entry n's first pattern, from its first "." on (".txt" for "*.txt",
// ".*" for "*.*", "" for a pattern without a dot). Answers false, leaving ext alone,
// when there is no entry n.
bool ExtensionOfFilter(QStringView filter, int n, QString& ext);

// Whether the name is one file to look at: no wildcard, and an existing regular file
// the user may read (pipes, devices and folders are not).
bool IsPlainExistingFile(const QString& name);

// The name-box text after a change of file type: its extension replaced by ext (or ext
// appended when it has none); an empty box becomes "*" + ext.
QString NameForExtension(const QString& name, const QString& ext);

// The first 1024 bytes of the file as display text, lines split at CR LF, LF and CR;
// "" when the file is no plain existing file or cannot be read. Never reads more than
// that, and never waits on a pipe or a device.
QString PreviewOfFile(const QString& name);

// A widget-based open dialog whose name box and default extension follow the file type
// the user picks (while AutoExtChange is on).
class TExtChangeOpenDialog : public QFileDialog {
public:
    explicit TExtChangeOpenDialog(QWidget* parent = nullptr);

    bool AutoExtChange = true;

    const QString& Filter() const { return filter_; }
    void SetFilter(const QString& filter);
    // The selected entry of the filter, from 1.
    int FilterIndex() const;
    QString FileName() const { return selectedFiles().value(0); }

    // Presets the default extension from the selected filter, then runs the dialog;
    // answers whether a file was chosen.
    bool Execute();

private:
    void TypeChange(int index);
    void SetDefaultExtension(const QString& ext);

    QString filter_;
};

// Adds a panel below the dialog's own controls, across its whole width.
class TEnhOpenDialog : public TExtChangeOpenDialog {
public:
    explicit TEnhOpenDialog(QWidget* parent = nullptr);

    QWidget* Panel() const { return panel_; }

private:
    QWidget* panel_ = nullptr;
};

// Shows the beginning of the selected file in the panel while its check box is on.
class TTextOpenDialog : public TEnhOpenDialog {
public:
    explicit TTextOpenDialog(QWidget* parent = nullptr);

    bool Preview() const;
    void SetPreview(bool value);
    // Reloads the preview of the current selection.
    virtual void UpdatePreview();

    QCheckBox* PreviewCheck = nullptr;
    QPlainTextEdit* PreviewControl = nullptr;

private:
    QString selected_;
};

} // namespace lumarik::components
