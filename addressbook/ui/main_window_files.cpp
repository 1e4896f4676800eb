#include "addressbook/ui/main_window.h"

#include "addressbook/model/data_format.h"
#include "addressbook/ui/password_dialogs.h"
#include "addressbook/ui/resource.h"
#include "framework/application.h"
#include "framework/file_dialog.h"
#include "platform/file_system.h"
#include "platform/whole_file.h"

namespace ctlite {
namespace {

fw::FileDialogOptions dataFileDialog(const char* title) {
    fw::FileDialogOptions options;
    options.title = title;
    options.filter = std::string("Contavo Lite data (*.dat)\0*.dat\0", 32);
    options.defaultExtension = "dat";
    options.defaultName = "data.dat";
    return options;
}

}  // namespace

bool MainWindow::openBook(bool justCreated, int groupToSelect, bool atStartUp) {
    DataFile file(platform::systemFileSystem(), book_.dataPath());
    TrailerResult trailer = file.readTrailer(book_);
    if (trailer.unreadable) {
        // Saving later would write default values over the password and names.
        showFailure(failures::kCannotOpen);
        endProgram();
        return false;
    }
    readRegistrySettings();
    bool startInTray = atStartUp && registry_.getDword("Minimize").value_or(0) != 0;
    if (startInTray)
        SetTimer(handle(), 1, 1, nullptr);  // the prompt waits for the first showing
    if (book_.locked() && !startInTray) {
        // Asked before the book is shown; refusing ends the program with nothing written.
        if (!PasswordPromptDialog(book_.password()).ask(handle())) {
            if (atStartUp)
                endQuietly();
            else
                endProgram();
            return false;
        }
        book_.setLocked(false);
    }
    LoadResult loaded;
    {
        WaitCursor wait;
        loaded = file.load(book_, justCreated);
    }
    if (loaded.failure) {
        showFailure(*loaded.failure);
        endProgram();
        return false;
    }
    if (!loaded.problems.empty())
        keepDamagedCopy(loaded.problems);
    fillGroupSelector();
    selectGroup(groupToSelect >= 0 && groupToSelect < book_.groupCount() ? groupToSelect : 0);
    showBookInTitle();
    if (atStartUp)
        instance_.PublishMainWindow(handle());
    return true;
}

void MainWindow::keepDamagedCopy(const ProblemList& problems) {
    // The file could not be read as it stands: keep it as it was before anything
    // is saved over it.
    DataFile file(platform::systemFileSystem(), book_.dataPath());
    std::string copy;
    for (int n = 0; n < 1000; ++n) {
        copy = book_.dataPath() + (n ? ".damaged" + std::to_string(n) : ".damaged");
        if (!DataFile(platform::systemFileSystem(), copy).exists())
            break;
    }
    bool kept = file.backupTo(copy);
    std::string text =
        "Parts of the address book file could not be read (" + std::to_string(problems.total()) +
        " problem" + (problems.total() == 1 ? "" : "s") + ", the first at byte " +
        std::to_string(problems.kept().front().offset) + "). What could be read is shown.";
    text += kept ? "\nThe file as it was has been kept as " + copy + "."
                 : "\nA copy of the file as it was could not be made.";
    fw::messageBox(handle(), text, "Error", MB_OK | MB_ICONWARNING);
}

Outcome MainWindow::writeBook() {
    WaitCursor wait;
    return DataFile(platform::systemFileSystem(), book_.dataPath()).save(book_);
}

bool MainWindow::save() {
    if (Outcome failure = writeBook()) {
        showFailure(*failure);
        if (failure->endsProgram)
            endProgram();
        return false;
    }
    return true;
}

bool MainWindow::saveOrGoOnWithout() {
    Outcome failure = writeBook();
    if (!failure)
        return true;
    // A book that cannot be saved (a read-only file) must not trap the user in it.
    return fw::messageBox(handle(),
                          std::string(failure->message) +
                              "\n\nThe address book on screen could not be saved. Go on "
                              "without saving it?",
                          std::string(failure->title).c_str(),
                          MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES;
}

void MainWindow::onSave() {
    save();
}

void MainWindow::showBookInTitle() {
    fw::setWindowText(handle(), std::string(kProduct) + " - " + book_.dataPath());
}

void MainWindow::onFileNew() {
    std::optional<std::string> path = fw::askFileToOpen(handle(), dataFileDialog("New"));
    if (!path)
        return;
    DataFile file(platform::systemFileSystem(), *path);
    if (file.exists() &&
        fw::messageBox(handle(),
                       *path + " already exists.\nReplace it with a new, empty address book?",
                       "Confirmation", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (!saveOrGoOnWithout())
        return;  // the book on screen stays
    if (Outcome failure = file.createNew()) {
        showFailure(*failure);
        return;
    }
    book_.setDataPath(*path);
    openBook(/*justCreated=*/true, 0, /*atStartUp=*/false);
}

void MainWindow::onFileOpen() {
    std::optional<std::string> path = fw::askFileToOpen(handle(), dataFileDialog("Open"));
    if (!path)
        return;
    if (!DataFile(platform::systemFileSystem(), *path).exists()) {
        fw::messageBox(handle(), *path + " does not exist. The address book on screen stays open.",
                       "Error", MB_OK | MB_ICONERROR);
        return;
    }
    {
        // A file that cannot be read is reported before the book on screen is given up.
        platform::FileBytes probe;
        platform::ReadOutcome read = platform::readWholeFile(platform::systemFileSystem(), *path,
                                                             dataformat::kMaxFileSize, probe);
        if (read != platform::ReadOutcome::Ok) {
            fw::messageBox(handle(),
                           *path +
                               (read == platform::ReadOutcome::TooLarge
                                    ? " is too large to be an address book."
                                    : " could not be read.") +
                               " The address book on screen stays open.",
                           "Error", MB_OK | MB_ICONERROR);
            return;
        }
    }
    if (!saveOrGoOnWithout())
        return;  // the book on screen stays
    book_.setDataPath(*path);
    openBook(/*justCreated=*/false, 0, /*atStartUp=*/false);
}

void MainWindow::onFileSaveAs() {
    fw::FileDialogOptions options = dataFileDialog("Save As");
    options.flags |= OFN_OVERWRITEPROMPT;  // never over another book without asking
    std::optional<std::string> path = fw::askFileToSave(handle(), options);
    if (!path)
        return;
    book_.setDataPath(*path);
    save();
    showBookInTitle();
}

void MainWindow::onBackup() {
    fw::FileDialogOptions options = dataFileDialog("Backup");
    options.flags |= OFN_OVERWRITEPROMPT;
    std::optional<std::string> path = fw::askFileToSave(handle(), options);
    // The file as it is on disk (the last saved state); a failed copy is not reported.
    if (path)
        DataFile(platform::systemFileSystem(), book_.dataPath()).backupTo(*path);
}

void MainWindow::onPasswordSetup() {
    PasswordSetupDialog dialog(book_.password());
    if (dialog.run(handle()))
        book_.setPassword(dialog.newPassword());
}

}  // namespace ctlite
