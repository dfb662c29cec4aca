// Printing the document, and the page and printer setup, on one shared printer.
#include "app/MainWindow.h"

#include "app/DocumentPrint.h"
#include "editor/VelEdit.h"
#include "platform/MessageReporter.h"
#include "platform/TextPrinter.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace lumarik::app {
namespace {

const QString kPrintFailed = QStringLiteral("印刷できませんでした。");
constexpr qreal kMarginMillimetres = 15;

bool runPrintDialog(QPrinter& printer, bool canPrintSelection, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, canPrintSelection);
    // Each print starts from the whole text, whatever the last one chose.
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

QPrinter& TFormEditor::Printer() {
    if (printer_ == nullptr) {
        printer_ = std::make_shared<QPrinter>(QPrinter::HighResolution);
        printer_->setPageMargins(QMarginsF(kMarginMillimetres, kMarginMillimetres,
                                           kMarginMillimetres, kMarginMillimetres),
                                 QPageLayout::Millimeter);
    }
    return *printer_;
}

void TFormEditor::PRINT1Click() {
    QPrinter& printer = Printer();
    const bool canPrintSelection = RichEdit1->HasSelection();
    const bool accepted = PrintDialog1 ? PrintDialog1(printer, canPrintSelection)
                                       : runPrintDialog(printer, canPrintSelection, this);
    if (!accepted) {
        return;
    }
    printer.setDocName(QFileInfo(CurFile).fileName());
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    platform::TextPrinter device(printer, printFont(*RichEdit1), RichEdit1->SingleByteMode());
    if (printer.printRange() == QPrinter::PageRange) {
        device.setPageRange(printer.fromPage(), printer.toPage());
    }
    printRows(*RichEdit1, canPrintSelection && printer.printRange() == QPrinter::Selection, device);
    const bool printed = device.finish();
    QGuiApplication::restoreOverrideCursor();
    if (!printed) {
        platform::currentReporter().show(
            {kPrintFailed, platform::applicationTitle(), platform::MessageIcon::Error});
    }
}

void TFormEditor::PRINTERSET1Click() {
    QPrinter& printer = Printer();
    if (PrinterSetupDialog1) {
        PrinterSetupDialog1(printer);
        return;
    }
    QPageSetupDialog dialog(&printer, this);
    dialog.exec();
}

} // namespace lumarik::app
