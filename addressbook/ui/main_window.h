// The address book's main window: owns the book, loads and saves it, shows one
// group at a time as a sorted name list, and hosts the commands.
#pragma once

#include <optional>
#include <string>

#include "addressbook/model/address_book.h"
#include "addressbook/model/data_file.h"
#include "addressbook/model/name_list.h"
#include "addressbook/shell/single_instance.h"
#include "addressbook/shell/tray_icon.h"
#include "framework/dialog.h"
#include "framework/settings_store.h"

namespace ctlite {

class MainWindow : public fw::DialogImpl<MainWindow> {
public:
    static const fw::CommandEntry<MainWindow> kCommands[];
    static const fw::MessageEntry<MainWindow> kMessages[];

    MainWindow();
    ~MainWindow() override;

    // The dialog's result: IDOK after a normal exit, -1 when the program must end
    // with exit code -1 (a fatal load failure).
    INT_PTR run();

    CSingleInstance& instanceChecker() { return instance_; }

private:
    BOOL onInit() override;

    // ---- start-up
    void placeWindow();
    // Reads the file at the book's path into the window: trailer, settings, the
    // password prompt, the groups. False when the program is ending.
    bool openBook(bool justCreated, int groupToSelect, bool atStartUp);
    void keepDamagedCopy(const ProblemList& problems);
    void readRegistrySettings();
    void setUpButtons();

    // ---- groups, list and captions
    void fillGroupSelector();
    void selectGroup(int index);
    void fillNameList();
    void updateCaptions();
    void setSortMode(SortMode mode);
    void checkSortItem();
    int selectedEntryIndex(std::string* lineText = nullptr) const;

    // ---- commands
    void onGroupChanged();
    void onQuickSearch();
    void onAdd();
    void onEdit();
    void onDelete();
    void onSave();
    void onSortFirst() { setSortMode(SortMode::FirstName); }
    void onSortLast() { setSortMode(SortMode::LastName); }
    void onSortCompany() { setSortMode(SortMode::Company); }
    void onExit();
    void onEscape() {}  // Escape never closes the window

    // ---- messages
    INT_PTR ignoreOtherCommands(WPARAM, LPARAM);
    INT_PTR onClose(WPARAM, LPARAM);
    INT_PTR onSize(WPARAM, LPARAM);
    INT_PTR onDestroy(WPARAM, LPARAM);
    INT_PTR onEndSession(WPARAM, LPARAM);
    INT_PTR onQueryEndSession(WPARAM, LPARAM);
    INT_PTR onTrayNotify(WPARAM, LPARAM);
    INT_PTR onTimer(WPARAM, LPARAM);
    INT_PTR onPaint(WPARAM, LPARAM);
    INT_PTR onDialogColour(WPARAM, LPARAM);
    INT_PTR onStaticColour(WPARAM, LPARAM);
    INT_PTR onRightButtonUp(WPARAM, LPARAM);
    INT_PTR onDrawItem(WPARAM, LPARAM);

    // ---- the tray
    void showTrayIcon();
    void hideInTray();
    void onShowFromTray();
    void onTrayExit();
    void onTraySettings() {}  // the settings window comes later

    // Saves the book (group section and trailer); shows the failure and returns false.
    bool save();
    void showFailure(const Failure& failure);
    void endProgram();
    // Ends before the book was shown (a refused password): nothing is written.
    void endQuietly();
    void onPasswordSetup();
    void onAddGroup();
    void onDeleteGroup();
    void onRenameGroup();
    // Reads the groups again from the file (the trailer stays as it is in memory).
    void reloadGroups(int groupToSelect);
    void onFileNew();
    void onFileOpen();
    void onFileSaveAs();
    void onBackup();
    void onPost();
    void onManual();
    void onDownload();
    void onAbout();
    INT_PTR onSysCommand(WPARAM command, LPARAM);

    AddressBook book_;
    fw::Profile profile_;
    fw::UserRegistryKey registry_;
    CSingleInstance instance_;
    CTrayIcon tray_;
    SortMode sortMode_ = kDefaultSortMode;
    HWND tooltip_ = nullptr;
    HICON icon_ = nullptr;
    HBITMAP groupIcon_ = nullptr, entryIcon_ = nullptr;
    bool fatal_ = false;
    bool closedEarly_ = false;
};

}  // namespace ctlite
