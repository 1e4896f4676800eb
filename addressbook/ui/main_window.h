// The address book's main window: owns the book, loads and saves it, shows one
// group at a time as a sorted name list, and hosts the commands. Its members are
// spread over files by concern:
//   main_window.cpp          message tables, start-up, exit, help and About
//   main_window_files.cpp    the data file: opening, saving, New/Open/Save As, backup, password
//   main_window_entries.cpp  the name list, sort orders, quick search, entry commands, Post
//   main_window_groups.cpp   the group selector and the group commands
//   main_window_look.cpp     buttons, tooltips, layout, painting and owner drawing
//   main_window_tray.cpp     hiding in the notification area and coming back
//   main_window_display.cpp  the display card beside the name list
//   main_window_transfer.cpp Import and Export
//   main_window_mail.cpp     the compose window, normal and to the maker
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "addressbook/model/address_book.h"
#include "addressbook/model/copy_text.h"
#include "addressbook/model/data_file.h"
#include "addressbook/model/name_list.h"
#include "addressbook/shell/single_instance.h"
#include "addressbook/shell/tray_icon.h"
#include "addressbook/ui/compose_dialog.h"
#include "addressbook/ui/display_colours.h"
#include "addressbook/ui/display_window.h"
#include "addressbook/ui/search_dialog.h"
#include "framework/dialog.h"
#include "framework/settings_store.h"

namespace ctlite {

// The wait cursor for as long as a book is loaded or saved.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

class MainWindow : public fw::DialogImpl<MainWindow> {
public:
    static const fw::CommandEntry<MainWindow> kCommands[];
    static const fw::MessageEntry<MainWindow> kMessages[];
    static const fw::TimerEntry<MainWindow> kTimers[];
    static const fw::SizeEntry<MainWindow> kSize;

    MainWindow();
    ~MainWindow() override;

    // The dialog's result: IDOK after a normal exit, -1 when the program must end
    // with exit code -1 (a fatal load failure).
    INT_PTR run();

    CSingleInstance& instanceChecker() { return instance_; }

private:
    static constexpr char kProduct[] = "Contavo Lite";

    // ---- start-up, exit, help (main_window.cpp)
    BOOL onInit() override;
    // The shell's restart comes under a registered message number, outside the tables.
    bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void placeWindow();
    void onExit();
    // Saves for an exit; a failure is shown with the window in view (false).
    bool saveForExit();
    // The exit sequence after the save: positions, then the dialog ends.
    void finishExit();
    void onEnterKey();
    void onEscape() {}  // Escape never closes the window
    void showFailure(const Failure& failure);
    void endProgram();
    // Ends before the book was shown (a refused password): nothing is written.
    void endQuietly();
    void onManual();
    void onDownload();
    void onAbout();
    INT_PTR ignoreOtherCommands(WPARAM, LPARAM);
    INT_PTR onClose(WPARAM, LPARAM);
    INT_PTR onDestroy(WPARAM, LPARAM);
    INT_PTR onEndSession(WPARAM, LPARAM);
    INT_PTR onQueryEndSession(WPARAM, LPARAM);
    INT_PTR onSysCommand(WPARAM command, LPARAM);

    // ---- the data file (main_window_files.cpp)
    // Reads the file at the book's path into the window: trailer, settings, the
    // password prompt, the groups. False when the program is ending.
    bool openBook(bool justCreated, int groupToSelect, bool atStartUp);
    void keepDamagedCopy(const ProblemList& problems);
    // Saves the book (group section and trailer); shows the failure and returns false.
    bool save();
    Outcome writeBook();
    // Before another book replaces this one: saves it, or asks whether to go on without.
    bool saveOrGoOnWithout();
    void showBookInTitle();
    void onSave();
    void onFileNew();
    void onFileOpen();
    void onFileSaveAs();
    void onBackup();
    void onPasswordSetup();

    // ---- the name list and entries (main_window_entries.cpp)
    void readRegistrySettings();
    void fillNameList();
    void updateCaptions();
    void setSortMode(SortMode mode);
    void checkSortItem();
    int selectedEntryIndex(std::string* lineText = nullptr) const;
    void onQuickSearch();
    void onQuickSearchFocus();
    void onAdd();
    void onEdit();
    void onDelete();
    void onPost();
    void onCall();
    void onSortFirst() { setSortMode(SortMode::FirstName); }
    void onSortLast() { setSortMode(SortMode::LastName); }
    void onSortCompany() { setSortMode(SortMode::Company); }

    // ---- groups (main_window_groups.cpp)
    void fillGroupSelector();
    void selectGroup(int index);
    // Reads the groups again from the file (the trailer stays as it is in memory).
    void reloadGroups(int groupToSelect);
    void onGroupChanged();
    void onAddGroup();
    void onDeleteGroup();
    void onRenameGroup();
    void onSwapEntries();

    // ---- import and export (main_window_transfer.cpp)
    void onImport();
    void onExport();
    void onExportEntry();  // the selected entry as one vCard
    // Writes an exported file whole (an old one stays as it was on failure) and says how it went.
    void finishExport(const std::string& path, const std::string& bytes);
    // The group that receives an import, chosen in "Import to"; -1 when none.
    int chooseImportGroup();

    // ---- look (main_window_look.cpp)
    void setUpButtons();
    void onSize(UINT sizing, int width, int height);
    INT_PTR onPaint(WPARAM, LPARAM);
    INT_PTR onDialogColour(WPARAM, LPARAM);
    INT_PTR onStaticColour(WPARAM, LPARAM);
    INT_PTR onDrawItem(WPARAM, LPARAM);
    INT_PTR onRightButtonUp(WPARAM, LPARAM);

    // ---- the tray (main_window_tray.cpp)
    // False when the shell refused the icon: the window must then stay in view.
    bool showTrayIcon();
    INT_PTR onTaskbarCreated();
    void hideInTray();
    void onShowFromTray();
    // Asks for the password of a locked book; a refusal ends the program (false).
    bool unlockOrEnd();
    void onTrayExit();
    void onTraySettings();
    INT_PTR onTrayNotify(WPARAM, LPARAM);
    void onStartInTrayTimer();

    // ---- the display card (main_window_display.cpp)
    // Makes the card; without its library the program ends (false).
    bool createDisplay();
    void readDisplaySettings();
    RECT controlRect(int id) const;
    void placeDisplay();
    void hideDisplay();
    void onNameSelected();
    void storeDisplayPlacement();
    void setUpCustomControls();
    void onFieldLabels();
    void onSettings();

    // ---- the Search dialog (main_window_search.cpp)
    void onFind();
    void showFound(const FindResult& result);

    // ---- e-mail (main_window_mail.cpp)
    void onEmail();
    void openCompose(ComposeDialog::Mode mode);

    // ---- printing (main_window_print.cpp)
    void onPrintButton();
    void onPrintSelected();
    void onPrintAllFirst() { printAll(SortMode::FirstName); }
    void onPrintAllLast() { printAll(SortMode::LastName); }
    void onPrintAllCompany() { printAll(SortMode::Company); }
    void printAll(SortMode key);

    // ---- the copy commands (main_window_copy.cpp)
    // Runs the copy command `id` of any of the three menus; false for other ids.
    bool runCopyCommand(int id);
    // The entry a copy command takes its text from.
    Entry entryToCopy(CopyPiece piece) const;
    void putOnClipboard(const std::string& text);

    AddressBook book_;
    fw::Profile profile_;
    fw::UserRegistryKey registry_;
    CSingleInstance instance_;
    CTrayIcon tray_;
    SortMode sortMode_ = kDefaultSortMode;
    NameList names_{GroupList(), kDefaultSortMode};  // the lines the name list shows
    UINT taskbarCreated_ = 0;
    bool maximizedBeforeTray_ = false;
    bool sessionEndAgreed_ = false;  // saved at the question, or ending without was chosen
    bool showingFromTray_ = false;
    HWND tooltip_ = nullptr;
    HICON icon_ = nullptr;
    HBITMAP groupIcon_ = nullptr, entryIcon_ = nullptr;
    DisplayWindow display_;
    DisplayColours displayColours_;
    std::string displayFont_;
    bool displayPlacedFromProfile_ = false;
    bool fatal_ = false;
    bool closedEarly_ = false;
    std::unique_ptr<SearchDialog> search_;    // kept after closing until the next Find
    std::unique_ptr<ComposeDialog> compose_;  // the same, until the next Email
};

}  // namespace ctlite
