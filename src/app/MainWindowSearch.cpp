// The main window's side of searching: F3, and the answers to the editor's search
// events (the matching rule, the hit highlight, the messages and the question asked
// before each replacement).
#include "app/MainWindow.h"

#include "app/SearchWindow.h"
#include "editor/VelEdit.h"
#include "editor/VelEditSub.h"
#include "platform/MessageReporter.h"

namespace lumarik::app {

namespace {

using platform::MessageButton;
using platform::MessageChoice;

void showPlainMessage(const QString& text) {
    platform::currentReporter().show({text, platform::applicationTitle()});
}

} // namespace

void TFormEditor::BindSearchEvents() {
    using editor::TVelEdit;
    RichEdit1->OnFind = [this](TVelEdit& sender, std::string_view str, std::string_view findchr,
                               int index, int& x,
                               int& len) { RichEdit1Find(sender, str, findchr, index, x, len); };
    RichEdit1->OnFindHit = [this](TVelEdit& sender, std::string_view findchr, int x, int y, int len,
                                  int count) {
        RichEdit1FindHit(sender, findchr, x, y, len, count);
    };
    RichEdit1->OnFindNoHit = [this](TVelEdit& sender, std::string_view findchr) {
        RichEdit1FindNoHit(sender, findchr);
    };
    RichEdit1->OnFindChange = [this](TVelEdit& sender, std::string_view findchr,
                                     std::string_view changechr, int x, int y, int len, int count,
                                     bool& change, bool& confirm, bool& abort) {
        RichEdit1FindChange(sender, findchr, changechr, x, y, len, count, change, confirm, abort);
    };
    RichEdit1->OnFindChangeEnd = [this](TVelEdit& sender, std::string_view findchr,
                                        std::string_view changeStr, int count) {
        RichEdit1FindChangeEnd(sender, findchr, changeStr, count);
    };
}

void TFormEditor::FindNext1Click() {
    if (secondary_.searchWindow == nullptr) {
        return;
    }
    RichEdit1->SetFindText(secondary_.searchWindow->SearchText());
    RichEdit1->FindFirst();
    RichEdit1->setFocus();
}

void TFormEditor::RichEdit1Find(editor::TVelEdit& Sender, std::string_view Str,
                                std::string_view findchr, int /*index*/, int& x, int& /*len*/) {
    x = static_cast<int>(editor::Find(findchr, Str, Sender.SingleByteMode()));
}

void TFormEditor::RichEdit1FindHit(editor::TVelEdit& Sender, std::string_view /*findchr*/,
                                   int /*x*/, int /*y*/, int /*len*/, int /*Count*/) {
    Sender.ShowHitHighlight(editor::clBlue);
}

void TFormEditor::RichEdit1FindNoHit(editor::TVelEdit& /*Sender*/, std::string_view /*findchr*/) {
    showPlainMessage(QStringLiteral("見つかりませんでした。"));
}

void TFormEditor::RichEdit1FindChange(editor::TVelEdit& Sender, std::string_view /*findchr*/,
                                      std::string_view /*Changechr*/, int /*x*/, int /*y*/,
                                      int /*len*/, int /*Count*/, bool& ChangeF, bool& kakuninF,
                                      bool& AbortF) {
    Sender.ShowHitHighlight(editor::clBlue);
    const platform::MessageBoxRequest question{
        QStringLiteral("置換しますか？"),
        QStringLiteral("情報"),
        platform::MessageIcon::Information,
        {MessageChoice{MessageButton::Yes, QStringLiteral("はい(&Y)")},
         MessageChoice{MessageButton::No, QStringLiteral("いいえ(&N)")},
         MessageChoice{MessageButton::Abort, QStringLiteral("中止(&A)")},
         MessageChoice{MessageButton::All, QStringLiteral("すべて(&A)")}}};
    switch (platform::currentReporter().show(question)) {
    case MessageButton::Yes:
        ChangeF = true;
        break;
    case MessageButton::Abort:
        AbortF = true;
        break;
    case MessageButton::All:
        kakuninF = false;
        break;
    default:
        // No, or the box closed.
        ChangeF = false;
        break;
    }
}

void TFormEditor::RichEdit1FindChangeEnd(editor::TVelEdit& /*Sender*/, std::string_view /*findchr*/,
                                         std::string_view /*ChangeStr*/, int Count) {
    showPlainMessage(QString::number(Count) + QStringLiteral(" 個置換しました。"));
}

} // namespace lumarik::app
