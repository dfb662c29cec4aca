#include <gtest/gtest.h>

#include "editor/EditControlMessages.h"
#include "editor/VelEditTestSupport.h"
#include "platform/Caret.h"
#include "platform/WindowMessages.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <array>
#include <cstring>
#include <string>
#include <vector>

using namespace lumarik::editor;
using namespace lumarik::editor::messages;
using lumarik::platform::LParam;
using lumarik::platform::MessageId;
using lumarik::platform::MessageResult;
using lumarik::platform::MessageTarget;
using lumarik::platform::registerWindowMessage;
using lumarik::platform::sendMessage;
using lumarik::platform::TopLevelMessageRegistration;
using lumarik::platform::WParam;
using lumarik::test::BlockEditor;
using lumarik::test::giveFocus;
using lumarik::test::numberedLines;

namespace {

MessageResult send(TVelEdit& edit, MessageId msg, WParam wParam = 0, LParam lParam = 0) {
    return sendMessage(&edit, msg, wParam, lParam);
}

LParam address(void* p) {
    return reinterpret_cast<LParam>(p);
}

constexpr char kSentinel = '#';

// A buffer filled with the sentinel, so bytes written past a limit show.
std::array<char, 32> freshBuffer() {
    std::array<char, 32> buffer{};
    buffer.fill(kSentinel);
    return buffer;
}

} // namespace

TEST(VelEditMessages, GetTextCopiesWithinTheBufferAndStopsAtANul) {
    BlockEditor ed;
    ed.showText("");
    auto buffer = freshBuffer();
    EXPECT_EQ(send(ed.edit, WM_GETTEXT, buffer.size(), address(buffer.data())), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], kSentinel);
    EXPECT_EQ(send(ed.edit, WM_GETTEXTLENGTH), 0);

    ed.showText("ab\r\ncd");
    EXPECT_EQ(send(ed.edit, WM_GETTEXTLENGTH), 6);
    buffer = freshBuffer();
    EXPECT_EQ(send(ed.edit, WM_GETTEXT, buffer.size(), address(buffer.data())), 6);
    EXPECT_EQ(std::string(buffer.data()), "ab\r\ncd");
    // At most size - 1 bytes and the closing NUL.
    buffer = freshBuffer();
    EXPECT_EQ(send(ed.edit, WM_GETTEXT, 4, address(buffer.data())), 3);
    EXPECT_EQ(std::string(buffer.data(), 5), std::string("ab\r\0#", 5));
    buffer = freshBuffer();
    EXPECT_EQ(send(ed.edit, WM_GETTEXT, 1, address(buffer.data())), 0);
    EXPECT_EQ(std::string(buffer.data(), 2), std::string("\0#", 2));
    // No room for the NUL, or no buffer: refused, nothing written.
    buffer = freshBuffer();
    EXPECT_EQ(send(ed.edit, WM_GETTEXT, 0, address(buffer.data())), kRefused);
    EXPECT_EQ(buffer[0], kSentinel);
    EXPECT_EQ(send(ed.edit, WM_GETTEXT, 10, 0), kRefused);

    // The copy ends at the text's first NUL byte; the length counts every byte.
    ed.showText(std::string("ab\0xcd", 6));
    buffer = freshBuffer();
    EXPECT_EQ(send(ed.edit, WM_GETTEXT, buffer.size(), address(buffer.data())), 2);
    EXPECT_EQ(std::string(buffer.data(), 3), std::string("ab\0", 3));
    EXPECT_EQ(send(ed.edit, WM_GETTEXTLENGTH), 6);
}

TEST(VelEditMessages, LineMessagesCountDisplayLines) {
    BlockEditor ed;
    ed.showText("");
    EXPECT_EQ(send(ed.edit, EM_GETLINECOUNT), 1);
    ed.showText("ab\r\n");
    EXPECT_EQ(send(ed.edit, EM_GETLINECOUNT), 2) << "the empty last line counts";
    ed.edit.SetColumn(10);
    ed.showText("ab\r\n" + std::string(15, 'a') + "\r\nabc");
    ASSERT_EQ(send(ed.edit, EM_GETLINECOUNT), 4);

    EXPECT_EQ(send(ed.edit, EM_LINELENGTH, 0), 4) << "with its CR LF";
    EXPECT_EQ(send(ed.edit, EM_LINELENGTH, 1), 10) << "a continued row";
    EXPECT_EQ(send(ed.edit, EM_LINELENGTH, 3), 3) << "without the end-of-text mark";
    EXPECT_EQ(send(ed.edit, EM_LINELENGTH, 4), 0);
    EXPECT_EQ(send(ed.edit, EM_LINELENGTH, static_cast<WParam>(-1)), kRefused);

    // EM_GETLINE: the size in the first word, no closing NUL, never past the size.
    auto buffer = freshBuffer();
    const uint16_t size = 100;
    std::memcpy(buffer.data(), &size, sizeof size);
    EXPECT_EQ(send(ed.edit, EM_GETLINE, 0, address(buffer.data())), 4);
    EXPECT_EQ(std::string(buffer.data(), 5), "ab\r\n#");
    buffer = freshBuffer();
    const uint16_t three = 3;
    std::memcpy(buffer.data(), &three, sizeof three);
    EXPECT_EQ(send(ed.edit, EM_GETLINE, 1, address(buffer.data())), 3);
    EXPECT_EQ(std::string(buffer.data(), 4), "aaa#");
    buffer = freshBuffer();
    const uint16_t none = 0;
    std::memcpy(buffer.data(), &none, sizeof none);
    EXPECT_EQ(send(ed.edit, EM_GETLINE, 0, address(buffer.data())), 0);
    EXPECT_EQ(buffer[2], kSentinel);
    EXPECT_EQ(send(ed.edit, EM_GETLINE, 3, 0), 0);
    EXPECT_EQ(send(ed.edit, EM_GETLINE, 9, address(buffer.data())), 0);
    EXPECT_EQ(send(ed.edit, EM_GETLINE, static_cast<WParam>(-2), address(buffer.data())), kRefused);
    // The last line as the end-of-text mark alone has nothing to copy.
    ed.showText("ab\r\n");
    buffer = freshBuffer();
    std::memcpy(buffer.data(), &size, sizeof size);
    EXPECT_EQ(send(ed.edit, EM_GETLINE, 1, address(buffer.data())), 0);

    ed.edit.SetWordWrap(false);
    ed.showText(numberedLines(40));
    ed.edit.TopLine = 7;
    EXPECT_EQ(send(ed.edit, EM_GETFIRSTVISIBLELINE), 7);
}

TEST(VelEditMessages, SelectionMessagesUseValidPositions) {
    BlockEditor ed;
    ed.showText("abcd\r\nefgh\r\nij");
    send(ed.edit, EM_SETSEL, PackPosition(1, 0), static_cast<LParam>(PackPosition(2, 1)));
    EXPECT_TRUE(ed.edit.SelActive);
    EXPECT_EQ(ed.edit.CaretCol, 2);
    EXPECT_EQ(ed.edit.CaretLine, 1);
    uint32_t start = 0;
    uint32_t end = 0;
    EXPECT_EQ(send(ed.edit, EM_GETSEL, reinterpret_cast<WParam>(&start), address(&end)), 7);
    EXPECT_EQ(start, PackPosition(1, 0));
    EXPECT_EQ(end, PackPosition(2, 1));
    // Missing addresses are skipped; the answer stays.
    EXPECT_EQ(send(ed.edit, EM_GETSEL, 0, 0), 7);

    // Positions past the text are made valid before anything is drawn or read.
    send(ed.edit, EM_SETSEL, 0xFFFFFFFF, 0xFFFFFFFF);
    send(ed.edit, EM_GETSEL, reinterpret_cast<WParam>(&start), address(&end));
    EXPECT_LE(HighHalf(start), 2);
    EXPECT_LE(HighHalf(end), 2);
    EXPECT_LE(LowHalf(end), 2);
    EXPECT_EQ(ed.edit.CaretLine, 2);
    EXPECT_EQ(ed.edit.CaretCol, 2);
    EXPECT_GE(send(ed.edit, EM_GETSEL, 0, 0), 0);

    // WM_CLEAR empties the whole text, not only the selection.
    send(ed.edit, EM_SETSEL, PackPosition(0, 0), static_cast<LParam>(PackPosition(1, 0)));
    ed.edit.Modified = true;
    EXPECT_EQ(send(ed.edit, WM_CLEAR), 0);
    EXPECT_EQ(ed.edit.Text(), "");
    EXPECT_FALSE(ed.edit.SelActive);
    EXPECT_FALSE(ed.edit.Modified);
}

TEST(VelEditMessages, ClipboardMessagesCutCopyAndPaste) {
    BlockEditor ed;
    ed.showText("abcd\r\nefgh");
    send(ed.edit, EM_SETSEL, PackPosition(1, 0), static_cast<LParam>(PackPosition(3, 0)));
    EXPECT_EQ(send(ed.edit, WM_COPY), 0);
    EXPECT_EQ(ed.edit.Text(), "abcd\r\nefgh") << "copy changes nothing";
    EXPECT_EQ(send(ed.edit, WM_CUT), 0);
    EXPECT_EQ(ed.edit.Text(), "ad\r\nefgh");
    send(ed.edit, EM_SETSEL, PackPosition(2, 1), static_cast<LParam>(PackPosition(2, 1)));
    EXPECT_EQ(send(ed.edit, WM_PASTE), 0);
    EXPECT_EQ(ed.edit.Text(), "ad\r\nefbcgh");
    ed.edit.SetReadOnly(true);
    send(ed.edit, EM_SETSEL, PackPosition(0, 0), static_cast<LParam>(PackPosition(2, 0)));
    send(ed.edit, WM_CUT);
    send(ed.edit, WM_PASTE);
    EXPECT_EQ(ed.edit.Text(), "ad\r\nefbcgh") << "read-only text is not changed";
}

TEST(VelEditMessages, EveryChangeIsBroadcastAfterTheEventLoopRuns) {
    const MessageId change = registerWindowMessage(kChangeMessageName);
    class Recorder : public MessageTarget {
    public:
        explicit Recorder(MessageId id) : id_(id) {}
        MessageResult handleMessage(MessageId msg, WParam wParam, LParam) override {
            if (msg == id_) {
                received.push_back(wParam);
            }
            return 0;
        }
        std::vector<WParam> received;

    private:
        MessageId id_;
    } recorder(change);
    const TopLevelMessageRegistration registration(recorder);
    BlockEditor ed;
    ed.showText("abc");
    int changes = 0;
    ed.edit.OnChange = [&](TVelEdit&) { ++changes; };
    ed.edit.TypeText("x");
    ed.edit.DeleteCharLeft();
    ed.edit.Undo();
    EXPECT_EQ(changes, 3) << "OnChange is raised at once";
    EXPECT_TRUE(recorder.received.empty()) << "the broadcast is posted, not sent";
    QApplication::processEvents();
    EXPECT_EQ(recorder.received, std::vector<WParam>(3, 0));
}

TEST(VelEditMessages, CaretPositionMessagesPackClampedHalves) {
    BlockEditor ed;
    ed.edit.SetWordWrap(false);
    ed.showText(numberedLines(70000));
    const MessageId getPos = registerWindowMessage(kGetCaretPosMessageName);
    const MessageId setPos = registerWindowMessage(kSetCaretPosMessageName);
    EXPECT_EQ(getPos, ed.edit.MsgGetCaretPos);

    EXPECT_EQ(send(ed.edit, setPos, 0, LParam(1 + (3 << 16))), 0) << "no scroll";
    EXPECT_EQ(ed.edit.CaretLine, 3);
    EXPECT_EQ(ed.edit.CaretCol, 1);
    EXPECT_EQ(send(ed.edit, getPos), MessageResult(1 + (3 << 16)));
    EXPECT_EQ(send(ed.edit, setPos, 0, LParam(0 + (500 << 16))), 1) << "scrolled";
    EXPECT_EQ(ed.edit.CaretLine, 500);
    // Beyond 65535 each half reports 65535 instead of overflowing into the other.
    ed.edit.CaretLine = 69999;
    ed.edit.CaretCol = 70000;
    EXPECT_EQ(send(ed.edit, getPos), MessageResult(0xFFFFFFFFu));
    ed.edit.CaretCol = 2;
    EXPECT_EQ(send(ed.edit, getPos), MessageResult(2 + (0xFFFFu << 16)));

    // A line past the end lands on the last line, a column past it at its end.
    BlockEditor small;
    small.showText("ab\r\ncd");
    send(small.edit, setPos, 0, LParam(9 + (50 << 16)));
    EXPECT_EQ(small.edit.CaretLine, 1);
    EXPECT_EQ(small.edit.CaretCol, 2);
    // The halves are unsigned: 0xFFFF is a line far past the end, never line -1.
    send(small.edit, setPos, 0, LParam(0xFFFF8000u));
    EXPECT_EQ(small.edit.CaretLine, 1);
    EXPECT_EQ(small.edit.CaretCol, 2);
}

TEST(VelEditMessages, CaretMovesReachTopLevelWindowsAfterTheEventLoop) {
    struct Recorder : MessageTarget {
        MessageResult handleMessage(MessageId msg, WParam, LParam lParam) override {
            if (msg == registerWindowMessage(kMoveCaretMessageName)) {
                received.push_back(lParam);
            }
            return 0;
        }
        std::vector<LParam> received;
    } recorder;
    const TopLevelMessageRegistration registration(recorder);
    BlockEditor ed;
    ed.showText("ab\r\ncd\r\nef");
    giveFocus(ed.edit);
    ASSERT_TRUE(ed.edit.hasFocus());
    QApplication::processEvents();
    recorder.received.clear();

    send(ed.edit, ed.edit.MsgSetCaretPos, 0, LParam(1 + (2 << 16)));
    EXPECT_TRUE(recorder.received.empty()) << "posted, not sent";
    QApplication::processEvents();
    EXPECT_EQ(recorder.received, std::vector<LParam>{LParam(1 + (2 << 16))});
}

TEST(VelEditMessages, FocusSetsUpAndRemovesTheCaret) {
    BlockEditor ed;
    ed.edit.SetWordWrap(false);
    ed.showText(std::string(200, 'y') + "\r\nab");
    lumarik::platform::Caret& caret = lumarik::platform::Caret::application();
    ed.edit.CaretCol = 1;
    ed.edit.CaretLine = 1;
    ed.edit.CaretX = BlockEditor::kCellWidth;
    ed.edit.clearFocus();
    giveFocus(ed.edit);
    ASSERT_EQ(caret.owner(), &ed.edit);
    EXPECT_TRUE(caret.isShown());
    EXPECT_EQ(caret.rect(), QRect(ed.edit.TextLeft + BlockEditor::kCellWidth, ed.rowTop(1), 2,
                                  ed.edit.FontHeight));
    // Opening a menu does not take the caret away.
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(&ed.edit, &popup);
    EXPECT_TRUE(caret.isShown());
    EXPECT_EQ(send(ed.edit, WM_KILLFOCUS), 0);
    EXPECT_FALSE(caret.exists());
    // A caret scrolled out to the left is parked outside the client area.
    ed.edit.CaretX = -30;
    EXPECT_EQ(send(ed.edit, WM_SETFOCUS), 0);
    EXPECT_EQ(caret.rect().topLeft(), QPoint(-5, ed.rowTop(1)));
    EXPECT_EQ(send(ed.edit, WM_ERASEBKGND), 0);
}

TEST(VelEditMessages, TabReachesTheControlOnlyWithWantTabs) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new TVelEdit;
    auto* next = new QLineEdit;
    layout->addWidget(edit);
    layout->addWidget(next);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    edit->SetWantTabs(true);
    EXPECT_EQ(send(*edit, WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_TRUE(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(edit->hasFocus());

    edit->SetWantTabs(false);
    EXPECT_EQ(send(*edit, WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTCHARS);
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_TRUE(next->hasFocus()) << "Tab moves the focus on";
}

TEST(VelEditMessages, CompositionIsAnnouncedAndItsPreeditStaysOutOfTheText) {
    BlockEditor ed;
    ed.showText("abc\r\ndef");
    giveFocus(ed.edit);
    int changing = 0;
    int changed = 0;
    ed.edit.OnIMEChanging = [&](TVelEdit& edit) {
        EXPECT_TRUE(edit.Composing);
        ++changing;
    };
    ed.edit.OnIMEChanged = [&](TVelEdit& edit) {
        EXPECT_FALSE(edit.Composing);
        ++changed;
    };
    const QImage before = ed.image();
    // Right of the caret, which blinks over the same point.
    const QRect imePoint =
        static_cast<QWidget&>(ed.edit).inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const QRect at(imePoint.topLeft() + QPoint(3, 0), QSize(24, imePoint.height()));

    QInputMethodEvent start(QStringLiteral("\u304B\u306A"), {});
    QApplication::sendEvent(&ed.edit, &start);
    EXPECT_TRUE(ed.edit.Composing);
    EXPECT_EQ(changing, 1);
    QInputMethodEvent more(QStringLiteral("\u304B\u306A\u3057"), {});
    QApplication::sendEvent(&ed.edit, &more);
    EXPECT_EQ(changing, 1) << "one start per composition";
    // The preedit shows on screen at the composition point, never in the canvas.
    EXPECT_EQ(ed.image(), before);
    const QImage screen = ed.edit.grab().toImage().convertToFormat(before.format());
    EXPECT_NE(screen.copy(at), before.copy(at));

    // Cancelled: nothing is committed.
    QInputMethodEvent end;
    QApplication::sendEvent(&ed.edit, &end);
    EXPECT_EQ(ed.edit.Text(), "abc\r\ndef");
    EXPECT_FALSE(ed.edit.Composing);
    EXPECT_EQ(changed, 1);
    QApplication::processEvents();
    const QImage after = ed.edit.grab().toImage().convertToFormat(before.format());
    EXPECT_EQ(after.copy(at), before.copy(at)) << "the preedit is gone";

    // The start message with CaretScrollFix brings the caret into view first.
    ed.edit.SetWordWrap(false);
    ed.showText(numberedLines(100));
    ed.edit.SetCaret(0, 60, 0, true, true);
    ed.edit.TopLine = 0;
    ed.edit.RedrawAll();
    ed.edit.SetCaretScrollFix(true);
    send(ed.edit, WM_IME_STARTCOMPOSITION);
    EXPECT_EQ(changing, 2);
    EXPECT_LE(ed.edit.TopLine, 60);
    EXPECT_GT(ed.edit.TopLine + ed.edit.VisibleLines, 60);
    send(ed.edit, WM_IME_ENDCOMPOSITION);
    EXPECT_EQ(changed, 2);
}
