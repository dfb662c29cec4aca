#include "app/ReplaceWindow.h"

#include "app/DialogFrame.h"
#include "app/MainWindow.h"
#include "editor/VelEdit.h"
#include "platform/CodePageValidator.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace lumarik::app {

namespace {

QLineEdit* placeEdit(QWidget* window, const QString& name, const QRect& geometry) {
    auto* edit = new QLineEdit(window);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    edit->setValidator(new platform::CodePageValidator(edit));
    return edit;
}

QLabel* placeLabel(QWidget* window, const QString& name, const QString& caption, QPoint at) {
    auto* label = new QLabel(caption, window);
    label->setObjectName(name);
    label->move(at);
    label->adjustSize();
    return label;
}

} // namespace

Tform_replace::Tform_replace(TFormEditor* owner) : QWidget(owner, Qt::Window), main_(*owner) {
    setObjectName(QStringLiteral("Tform_replace"));
    setWindowTitle(QStringLiteral("Replace"));
    setFont(owner->font());
    resize(clientSizeForOuter(299, 122));
    new FramePlacer(this, [owner] { return owner->pos() + QPoint(40, 40); });

    Label1 = placeLabel(this, QStringLiteral("Label1"), QStringLiteral("Find"), {8, 11});
    Label2 = placeLabel(this, QStringLiteral("Label2"), QStringLiteral("Replace"), {8, 35});
    Edit1 = placeEdit(this, QStringLiteral("Edit1"), {56, 8, 225, 20});
    Edit2 = placeEdit(this, QStringLiteral("Edit2"), {56, 32, 225, 20});
    Button_replace = placeButton(this, QStringLiteral("Button_replace"), QStringLiteral("Replace"),
                                 {224, 56, 57, 25});
    connect(Button_replace, &QPushButton::clicked, this, [this] { Button_replaceClick(); });
}

void Tform_replace::Button_replaceClick() {
    main_.RichEdit1->ReplaceAll(platform::codePageBytes(Edit1->text()),
                                platform::codePageBytes(Edit2->text()), true, false);
    close();
}

} // namespace lumarik::app
