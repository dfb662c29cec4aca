#include "components/FileNameKeeper.h"

#include "platform/ProfileFile.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include <algorithm>

namespace lumarik::components {
namespace {

const QString kSection = QStringLiteral("KeepFileNames");

QString keyOf(int slot) {
    return QStringLiteral("FileName%1").arg(slot);
}

} // namespace

TFileNameKeep::TFileNameKeep(QString settingsPath, QObject* owner)
    : QObject(owner), settingsPath_(std::move(settingsPath)) {}

TFileNameKeep::~TFileNameKeep() {
    // A list never read would overwrite the stored one with nothing.
    if (!read_ || written_) {
        return;
    }
    platform::ProfileWriteBatch ini(settingsPath_);
    WriteFileNames(ini);
    platform::reportUnwritable(ini.commit());
}

QMenu* TFileNameKeep::ParentMenu() const {
    return parentMenu_;
}

void TFileNameKeep::SetParentMenu(QMenu* menu) {
    if (menu == parentMenu_) {
        return;
    }
    for (QAction* action : {separator_, items_[0], items_[1], items_[2], items_[3]}) {
        if (action == nullptr) {
            continue;
        }
        if (parentMenu_ != nullptr) {
            parentMenu_->removeAction(action);
        }
        if (menu != nullptr) {
            menu->addAction(action);
        }
    }
    parentMenu_ = menu;
    if (menu != nullptr) {
        ReadFileNames();
    }
}

void TFileNameKeep::ReadFileNames() {
    const platform::ProfileReader ini(settingsPath_);
    // Oldest first: each name read goes to the top, which restores the stored order.
    for (int slot = kCapacity; slot >= 1; --slot) {
        Add(ini.readString(kSection, keyOf(slot), QString()));
    }
    read_ = true;
}

void TFileNameKeep::Add(const QString& name) {
    if (parentMenu_ == nullptr || name.isEmpty()) {
        return;
    }
    auto found = std::find(names_.begin(), names_.end(), name);
    if (found == names_.end()) {
        const auto freeItem = std::find(items_.begin(), items_.end(), nullptr);
        if (freeItem != items_.end()) {
            AddItem(static_cast<int>(freeItem - items_.begin()) + 1);
        }
        // The oldest name drops out.
        found = names_.end() - 1;
    }
    std::rotate(names_.begin(), found, found + 1);
    names_[0] = name;
    written_ = false;
    for (int slot = 1; slot <= kCapacity && Item(slot) != nullptr; ++slot) {
        Item(slot)->setText(ItemCaption(names_[slot - 1]));
    }
}

void TFileNameKeep::AddItem(int slot) {
    if (slot == 1) {
        separator_ = new QAction(this);
        separator_->setSeparator(true);
        parentMenu_->addAction(separator_);
    }
    auto* item = new QAction(this);
    item->setData(slot);
    connect(item, &QAction::triggered, this, [this, slot]() { ItemClick(slot); });
    parentMenu_->addAction(item);
    items_[slot - 1] = item;
}

QAction* TFileNameKeep::Item(int slot) const {
    return slot >= 1 && slot <= kCapacity ? items_[slot - 1] : nullptr;
}

void TFileNameKeep::ItemClick(int slot) const {
    if (OnSelect) {
        OnSelect(names_[slot - 1]);
    }
}

void TFileNameKeep::WriteFileNames(platform::ProfileWriteBatch& batch) {
    batch.eraseSection(kSection);
    for (int slot = 1; slot <= kCapacity; ++slot) {
        batch.writeString(kSection, keyOf(slot), names_[slot - 1]);
    }
    written_ = true;
}

QString TFileNameKeep::ItemCaption(const QString& fileName) {
    QString caption = QFileInfo(fileName).fileName();
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    // A menu shows what follows a tab as the item's shortcut.
    caption.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return caption;
}

} // namespace lumarik::components
