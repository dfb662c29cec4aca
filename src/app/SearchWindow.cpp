#include "app/SearchWindow.h"

#include "app/DialogFrame.h"
#include "app/MainWindow.h"
#include "editor/VelEdit.h"
#include "platform/CodePageValidator.h"

#include <QLineEdit>
#include <QPushButton>

namespace lumarik::app {

Tform_search::Tform_search(TFormEditor* owner) : QWidget(owner, Qt::Window), main_(*owner) {
    setObjectName(QStringLiteral("Tform_search"));
    setWindowTitle(QStringLiteral("Search"));
    setFont(owner->font());
    resize(clientSizeForOuter(262, 111));
    new FramePlacer(this, [owner] { return owner->pos() + QPoint(50, 100); });

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(8, 8, 233, 20);
    Edit1->setValidator(new platform::CodePageValidator(Edit1));
    Button_search = placeButton(this, QStringLiteral("Button_search"), QStringLiteral("Search"),
                                {8, 40, 75, 25});
    Button_down =
        placeButton(this, QStringLiteral("Button_down"), QStringLiteral("Down"), {88, 40, 75, 25});
    Button_up =
        placeButton(this, QStringLiteral("Button_up"), QStringLiteral("Up"), {168, 40, 75, 25});
    Button_down->setEnabled(false);
    Button_up->setEnabled(false);

    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    connect(Button_search, &QPushButton::clicked, this, [this] { Button_searchClick(); });
    connect(Button_down, &QPushButton::clicked, this, [this] { Button_downClick(); });
    connect(Button_up, &QPushButton::clicked, this, [this] { Button_upClick(); });
}

std::string Tform_search::SearchText() const {
    return platform::codePageBytes(Edit1->text());
}

void Tform_search::Edit1Change() {
    Button_search->setEnabled(true);
}

void Tform_search::FocusMainEditor() {
    main_.activateWindow();
    main_.RichEdit1->setFocus();
}

void Tform_search::Button_searchClick() {
    editor::TVelEdit& edit = *main_.RichEdit1;
    edit.SetFindText(SearchText());
    edit.FindFirst();
    FocusMainEditor();
    Button_search->setEnabled(false);
    Button_down->setEnabled(true);
    Button_up->setEnabled(true);
    activateWindow();
}

void Tform_search::Button_downClick() {
    main_.RichEdit1->FindNext();
    FocusMainEditor();
    activateWindow();
}

void Tform_search::Button_upClick() {
    main_.RichEdit1->FindPrev();
    FocusMainEditor();
    activateWindow();
}

} // namespace lumarik::app
