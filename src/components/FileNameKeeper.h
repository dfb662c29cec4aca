#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>

class QAction;
class QMenu;

namespace lumarik::platform {
class ProfileWriteBatch;
}

namespace lumarik::components {

// The four most recently used files, shown as items at the end of a menu and kept in
// the settings file's section "KeepFileNames" between runs. Slot 1 is the most recent.
// Items are added as names arrive (after a separator before the first one) and are
// never removed; a click on one reports its full path through OnSelect.
class TFileNameKeep : public QObject {
public:
    static constexpr int kCapacity = 4;
    using Names = std::array<QString, kCapacity>;

    // settingsPath: the program's settings file, which the list is read from and
    // written to.
    explicit TFileNameKeep(QString settingsPath, QObject* owner = nullptr);
    // Writes the list when it was read (a menu was assigned) and has not been written
    // since it last changed. Tells the user when the settings file cannot be written.
    ~TFileNameKeep() override;
    TFileNameKeep(const TFileNameKeep&) = delete;
    TFileNameKeep& operator=(const TFileNameKeep&) = delete;

    QMenu* ParentMenu() const;
    // Moves the items made so far to the menu, then reads the stored list into it.
    void SetParentMenu(QMenu* menu);

    // Puts the name at the top of the list; a name already in it (compared exactly,
    // letter case included) moves up instead. Ignored while no menu is assigned, and
    // for an empty name.
    void Add(const QString& name);

    const Names& FileNames() const { return names_; }
    // The item of a slot (1 to kCapacity), or nullptr while it does not exist.
    QAction* Item(int slot) const;

    // Called with the full path of the item the user picked.
    std::function<void(const QString& SelectFileName)> OnSelect;

    // Adds the list to a write of the settings file: the stored section erased, then
    // all four keys, empty ones too. The owner may write its settings and the list in
    // one go this way; the list then counts as written.
    void WriteFileNames(platform::ProfileWriteBatch& batch);

    // The caption of a name's item: its file part, with "&" doubled so that it shows
    // as itself rather than marking a mnemonic.
    static QString ItemCaption(const QString& fileName);

private:
    void ReadFileNames();
    void ItemClick(int slot) const;
    void AddItem(int slot);

    QString settingsPath_;
    QPointer<QMenu> parentMenu_;
    bool read_ = false;
    bool written_ = false;
    Names names_;
    QAction* separator_ = nullptr;
    std::array<QAction*, kCapacity> items_{};
};

} // namespace lumarik::components
