#include "support/PdfPrinting.h"

#include "platform/FontDesc.h"

#include <gtest/gtest.h>

#include <QPageLayout>
#include <QProcess>

namespace lumarik::test {

QFont testPrintFont() {
    QFont font = platform::toQFont({QStringLiteral("ＭＳ ゴシック"), -13});
    font.setPointSize(10);
    return font;
}

PdfTextDevice::PdfTextDevice(const std::filesystem::path& pdf, const QFont& font,
                             QPageSize::PageSizeId size)
    : printer_(QPrinter::HighResolution) {
    printer_.setOutputFormat(QPrinter::PdfFormat);
    printer_.setOutputFileName(QString::fromStdString(pdf.string()));
    printer_.setPageSize(QPageSize(size));
    printer_.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    device_ = std::make_unique<platform::TextPrinter>(printer_, font);
    device_->onRun = [this](const platform::PrintedRun& run) { runs.push_back(run); };
}

std::map<std::pair<int, int>, QString> PdfTextDevice::lines() const {
    std::map<std::pair<int, int>, QString> result;
    for (const platform::PrintedRun& run : runs) {
        result[{run.page, run.line}] += run.text;
    }
    return result;
}

std::map<int, QString> PdfTextDevice::linesInOrder() const {
    std::map<int, QString> result;
    for (const platform::PrintedRun& run : runs) {
        result[(run.page - 1) * device_->linesPerPage() + run.line] += run.text;
    }
    return result;
}

const platform::PrintedRun& PdfTextDevice::run(const QString& text) const {
    for (const platform::PrintedRun& run : runs) {
        if (run.text == text) {
            return run;
        }
    }
    static const platform::PrintedRun none;
    ADD_FAILURE() << "no run of " << text.toStdString();
    return none;
}

qreal PdfTextDevice::width(const QString& text) const {
    qreal sum = 0;
    for (const QChar ch : text) {
        sum += device_->advance(ch.unicode());
    }
    return sum;
}

std::vector<QString> pdfPages(const std::filesystem::path& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                   QString::fromStdString(pdf.string()), QStringLiteral("-")});
    EXPECT_TRUE(process.waitForFinished(20000)) << "pdftotext (poppler-utils) did not run";
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QChar(u'\f'));
    // Every page ends with a form feed.
    pages.removeLast();
    return {pages.begin(), pages.end()};
}

} // namespace lumarik::test
