#include "platform/TextPrinter.h"

#include "platform/CodePage.h"

#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace lumarik::platform {

namespace {

constexpr char kNul = '\0';
constexpr char kTab = '\t';
constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kFormFeed = '\f';
constexpr int kTabStopChars = 8;

bool isLayoutByte(char byte) {
    return byte == kNul || byte == kTab || byte == kLineFeed || byte == kCarriageReturn ||
           byte == kFormFeed;
}

} // namespace

TextPrinter::TextPrinter(QPrinter& printer, const QFont& font, bool singleByte)
    : printer_(printer), font_(font), metrics_(font, &printer), singleByte_(singleByte) {
    pageWidth_ = printer.width();
    lineHeight_ = std::max(metrics_.lineSpacing(), qreal(1));
    linesPerPage_ = std::max(static_cast<int>(std::floor(printer.height() / lineHeight_)), 1);
    tabWidth_ =
        std::max(static_cast<int>(std::lround(kTabStopChars * metrics_.averageCharWidth())), 1);
}

TextPrinter::~TextPrinter() {
    if (!finished_) {
        finish();
    }
}

void TextPrinter::setPageRange(int first, int last) {
    firstPage_ = std::max(first, 0);
    lastPage_ = std::max(last, 0);
}

bool TextPrinter::inRange(int page) const {
    return page >= firstPage_ && (lastPage_ == 0 || page <= lastPage_);
}

bool TextPrinter::done() const {
    return failed_ || finished_ || (lastPage_ != 0 && page_ > lastPage_);
}

qreal TextPrinter::advance(char16_t ch) {
    const auto found = advances_.find(ch);
    if (found != advances_.end()) {
        return found->second;
    }
    const qreal width = metrics_.horizontalAdvance(QChar(ch));
    advances_.emplace(ch, width);
    return width;
}

void TextPrinter::write(std::string_view bytes) {
    // Layout bytes are all below 0x20, where no trail byte lies: cutting there never
    // splits a character.
    while (!bytes.empty() && !done()) {
        const auto layout = std::find_if(bytes.begin(), bytes.end(), isLayoutByte);
        const auto textLength = static_cast<size_t>(layout - bytes.begin());
        if (textLength > 0) {
            writeText(bytes.substr(0, textLength));
            bytes.remove_prefix(textLength);
            continue;
        }
        switch (bytes.front()) {
        case kTab:
            tab();
            break;
        case kLineFeed:
            newLine();
            break;
        case kFormFeed:
            newPage();
            break;
        default: // CR and NUL
            break;
        }
        bytes.remove_prefix(1);
    }
}

void TextPrinter::writeText(std::string_view bytes) {
    const std::u16string chars = CodePage::ansi().toUnicode(bytes, singleByte_);
    size_t from = 0;
    while (from < chars.size() && !done()) {
        qreal x = x_;
        size_t to = from;
        while (to < chars.size() && x + advance(chars[to]) <= pageWidth_) {
            x += advance(chars[to]);
            ++to;
        }
        if (to == from) {
            if (x_ > 0) {
                newLine();
                continue;
            }
            // Not even one character fits a whole line: it is printed cut off rather
            // than never.
            x += advance(chars[to]);
            ++to;
        }
        draw(QString::fromUtf16(chars.data() + from, static_cast<qsizetype>(to - from)));
        x_ = x;
        from = to;
        if (from < chars.size()) {
            newLine();
        }
    }
}

void TextPrinter::tab() {
    const int x = static_cast<int>(std::lround(x_));
    const int w = tabWidth_;
    const int next = x + w - ((x + w + 1) % w) + 1;
    if (next > pageWidth_) {
        newLine();
    } else {
        x_ = next;
    }
}

void TextPrinter::newLine() {
    x_ = 0;
    if (++line_ >= linesPerPage_) {
        newPage();
    }
}

void TextPrinter::newPage() {
    ++page_;
    line_ = 0;
    x_ = 0;
}

void TextPrinter::draw(const QString& text) {
    if (!inRange(page_) || !reachPage()) {
        return;
    }
    painter_.drawText(QPointF(x_, line_ * lineHeight_ + metrics_.ascent()), text);
    if (onRun) {
        onRun(PrintedRun{page_, line_, x_, text});
    }
}

bool TextPrinter::reachPage() {
    if (!started_ && !start()) {
        return false;
    }
    while (printerPage_ < page_) {
        if (!printer_.newPage()) {
            failed_ = true;
            return false;
        }
        ++printerPage_;
        ++pagesPrinted_;
    }
    return true;
}

bool TextPrinter::start() {
    started_ = true;
    if (!painter_.begin(&printer_)) {
        failed_ = true;
        return false;
    }
    painter_.setFont(font_);
    painter_.setPen(Qt::black);
    printerPage_ = std::max(firstPage_, 1);
    pagesPrinted_ = 1;
    return true;
}

bool TextPrinter::finish() {
    if (finished_) {
        return !failed_;
    }
    if (!started_ && !failed_ && inRange(1)) {
        start();
    }
    finished_ = true;
    if (painter_.isActive() && !painter_.end()) {
        failed_ = true;
    }
    if (printer_.printerState() == QPrinter::Error) {
        failed_ = true;
    }
    return !failed_;
}

} // namespace lumarik::platform
