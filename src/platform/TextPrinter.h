#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QString>

#include <functional>
#include <string_view>
#include <unordered_map>

class QPrinter;

namespace lumarik::platform {

// A piece of text the printer put on paper.
struct PrintedRun {
    // 1-based, counted over the whole text, pages left out by the range included.
    int page = 0;
    // 0-based line on its page.
    int line = 0;
    // From the left edge of the printable area, in device pixels.
    qreal x = 0;
    QString text;
};

// The printer as a text output device for code-page bytes. LF starts a new line and
// CR does nothing. A tab moves to the next stop of eight average character widths w
// (x := x + w - ((x + w + 1) mod w) + 1), or starts a new line when that passes the
// right edge. A form feed starts a new page. Text wider than the line is broken after
// the last character that fits, and a line that does not fit on the page starts a new
// one. NUL bytes print nothing. Bytes are decoded before they are measured, so a
// double-byte character is never split.
//
// Paper is taken only for pages that get text: the job starts with the first of them,
// and pages outside the chosen range are laid out but not printed.
class TextPrinter {
public:
    // singleByte: every byte is a character of its own.
    TextPrinter(QPrinter& printer, const QFont& font, bool singleByte = false);
    // Ends the job if finish() did not.
    ~TextPrinter();
    TextPrinter(const TextPrinter&) = delete;
    TextPrinter& operator=(const TextPrinter&) = delete;

    // Prints only pages first to last (1-based; 0 leaves that end open).
    void setPageRange(int first, int last);

    void write(std::string_view bytes);

    // True when nothing more can reach paper: the printer failed, or the text has gone
    // past the last page of the range.
    bool done() const;

    // Ends the job. A text that printed nothing still gives one empty page when the
    // range holds the first page. Answers false when the printer failed.
    bool finish();

    // Pages that went to the printer.
    int pagesPrinted() const { return pagesPrinted_; }
    int linesPerPage() const { return linesPerPage_; }
    qreal pageWidth() const { return pageWidth_; }
    int tabWidth() const { return tabWidth_; }
    qreal advance(char16_t ch);

    // Told of every run of text put on paper (tests watch the layout through it).
    std::function<void(const PrintedRun&)> onRun;

private:
    void writeText(std::string_view bytes);
    void tab();
    void newLine();
    void newPage();
    bool inRange(int page) const;
    // Draws a run on the current line at x, opening pages as needed.
    void draw(const QString& text);
    // Makes the page being laid out the one the printer prints on.
    bool reachPage();
    // Starts the job on the first page of the range.
    bool start();

    QPrinter& printer_;
    QFont font_;
    QFontMetricsF metrics_;
    QPainter painter_;
    bool singleByte_;
    qreal pageWidth_ = 0;
    qreal lineHeight_ = 1;
    int linesPerPage_ = 1;
    int tabWidth_ = 8;
    std::unordered_map<char16_t, qreal> advances_;

    int firstPage_ = 0;
    int lastPage_ = 0;
    // Where the next character goes.
    int page_ = 1;
    int line_ = 0;
    qreal x_ = 0;
    // The page the printer is on (0 before the job started).
    int printerPage_ = 0;
    int pagesPrinted_ = 0;
    bool started_ = false;
    bool finished_ = false;
    bool failed_ = false;
};

} // namespace lumarik::platform
