// The copy commands of the Entry menu, the name list's menu and the card's menu.
#include <cstring>

#include "addressbook/model/copy_text.h"
#include "addressbook/ui/entry_form.h"
#include "addressbook/ui/main_window.h"
#include "addressbook/ui/resource.h"
#include "framework/application.h"

namespace ctlite {
namespace {

struct CopyCommand {
    int id;
    CopyPiece piece;
};

// The three menus send the same command ids.
constexpr CopyCommand kCopyCommands[] = {
    {ID_COPY_FULL_NAME, CopyPiece::FullName},
    {ID_COPY_COMPANY, CopyPiece::CompanyName},
    {ID_COPY_EMAIL, CopyPiece::EmailAddress},
    {ID_COPY_WORK_PHONE, CopyPiece::WorkPhone},
    {ID_COPY_HOME_PHONE, CopyPiece::HomePhone},
    {ID_COPY_MOBILE, CopyPiece::MobilePhone},
    {ID_COPY_PAGER, CopyPiece::PagerNumber},
    {ID_COPY_FAX, CopyPiece::FaxNumber},
    {ID_COPY_STREET, CopyPiece::StreetAddress},
    {ID_COPY_HOMEPAGE, CopyPiece::Homepage},
    {ID_COPY_NOTE, CopyPiece::Note},
    {ID_COPY_ALL, CopyPiece::AllFields},
    {ID_COPY_LETTER, CopyPiece::LetterAddress},
};

}  // namespace

bool MainWindow::runCopyCommand(int id) {
    for (const CopyCommand& command : kCopyCommands) {
        if (command.id == id) {
            putOnClipboard(copyText(entryAsTyped(entryToCopy(command.piece)), command.piece));
            return true;
        }
    }
    return false;
}

Entry MainWindow::entryToCopy(CopyPiece piece) const {
    // The selected line's entry as the book holds it now, not as the card last
    // showed it: Edit, Delete and the Group Editor change entries under the card.
    Entry entry;
    int index = selectedEntryIndex();
    if (index != kNoEntry && book_.group(book_.currentGroupIndex()).entries().get(index + 1, entry))
        return entry;
    // Without a selected line, the card while it is in view (every change to the
    // entries hides it); the letter then has an empty entry, as with no card.
    if (piece != CopyPiece::LetterAddress && IsWindowVisible(display_.handle()))
        return display_.entry();
    return Entry();
}

void MainWindow::putOnClipboard(const std::string& text) {
    // Another program may hold the clipboard for a moment (one reading it, a clipboard
    // manager): it is asked again for a little while before the copy is given up.
    bool open = OpenClipboard(handle()) != FALSE;
    for (int attempt = 1; !open && attempt < 25; ++attempt) {
        Sleep(20);
        open = OpenClipboard(handle()) != FALSE;
    }
    if (!open) {
        fw::messageBox(handle(), "Unexpected error", "Error", MB_OK | MB_ICONERROR);
        return;
    }
    EmptyClipboard();
    bool handedOver = false;
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1)) {
        if (void* bytes = GlobalLock(block)) {
            std::memcpy(bytes, text.c_str(), text.size() + 1);
            GlobalUnlock(block);
            // The clipboard owns the block once it takes it.
            handedOver = SetClipboardData(CF_TEXT, block) != nullptr;
        }
        if (!handedOver)
            GlobalFree(block);
    }
    CloseClipboard();
    // A copy that did not reach the clipboard is not passed over in silence.
    if (!handedOver)
        fw::messageBox(handle(), "Unexpected error", "Error", MB_OK | MB_ICONERROR);
}

}  // namespace ctlite
