#pragma once

#include "platform/TextPrinter.h"

#include <QFont>
#include <QPageSize>
#include <QPrinter>
#include <QString>

#include <filesystem>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace lumarik::test {

// The font the printer tests print in unless they choose one.
QFont testPrintFont();

// A text device printing to a PDF file, recording what it puts on paper.
class PdfTextDevice {
public:
    explicit PdfTextDevice(const std::filesystem::path& pdf, const QFont& font = testPrintFont(),
                           QPageSize::PageSizeId size = QPageSize::A6);

    platform::TextPrinter& device() { return *device_; }

    // The text of each printed line by (page, line), its runs joined.
    std::map<std::pair<int, int>, QString> lines() const;
    // As lines(), keyed by the line's number counted over all pages.
    std::map<int, QString> linesInOrder() const;
    // The first run of exactly this text (a failure when there is none).
    const platform::PrintedRun& run(const QString& text) const;
    // The printed width of a text, character by character.
    qreal width(const QString& text) const;

    std::vector<platform::PrintedRun> runs;

private:
    QPrinter printer_;
    std::unique_ptr<platform::TextPrinter> device_;
};

// The text of a PDF laid out as on its pages, one string per page, each line ending
// in LF (pdftotext from poppler-utils; blank lines are not kept reliably).
std::vector<QString> pdfPages(const std::filesystem::path& pdf);

} // namespace lumarik::test
