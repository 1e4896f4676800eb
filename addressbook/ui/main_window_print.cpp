// Printing: the selected entry on one page, or the whole group as a list of blocks.
#include <windows.h>
// (after windows.h)
#include <commdlg.h>

#include "addressbook/model/print_layout.h"
#include "addressbook/ui/entry_form.h"
#include "addressbook/ui/main_window.h"
#include "addressbook/ui/program_name.h"
#include "addressbook/ui/resource.h"
#include "framework/application.h"

namespace ctlite {
namespace {

constexpr char kDocumentName[] = "Contavo Lite";

// The printer the user chooses in the Print dialog, as a device context of its own.
class ChosenPrinter {
public:
    explicit ChosenPrinter(HWND owner) {
        PRINTDLGA dialog{};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = owner;
        dialog.Flags = PD_RETURNDC | PD_HIDEPRINTTOFILE | PD_NOSELECTION | PD_NOPAGENUMS;
        dialog.nCopies = 1;
        if (PrintDlgA(&dialog))
            dc_ = dialog.hDC;
        for (HGLOBAL settings : {dialog.hDevMode, dialog.hDevNames})
            if (settings)
                GlobalFree(settings);
        if (!dc_)
            return;
        // One line: the default font's height and its leading.
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc_, &metrics);
        lineHeight_ = metrics.tmHeight + metrics.tmExternalLeading;
        if (lineHeight_ <= 0)
            lineHeight_ = 1;
        linesPerPage_ = GetDeviceCaps(dc_, VERTRES) / lineHeight_;
    }
    ~ChosenPrinter() {
        if (dc_)
            DeleteDC(dc_);
    }
    ChosenPrinter(const ChosenPrinter&) = delete;
    ChosenPrinter& operator=(const ChosenPrinter&) = delete;

    HDC dc() const { return dc_; }
    int linesPerPage() const { return linesPerPage_; }

    bool startDocument() const {
        DOCINFOA document{};
        document.cbSize = sizeof document;
        document.lpszDocName = kDocumentName;
        return StartDocA(dc_, &document) > 0;
    }
    // Eleven lines from `top` (in lines), each one run at the left edge, unwrapped.
    void print(const PrintBlock& block, int top) const {
        for (int i = 0; i < kBlockLines; ++i)
            TextOutA(dc_, 0, (top + i) * lineHeight_, block[i].c_str(),
                     static_cast<int>(block[i].size()));
    }

private:
    HDC dc_ = nullptr;
    int lineHeight_ = 1;
    int linesPerPage_ = 0;
};

}  // namespace

void MainWindow::onPrintButton() {
    HMENU menu = LoadMenuA(fw::resourceInstance(), "DUMMY");
    if (!menu)
        return;
    RECT button = controlRect(IDC_PRINT);
    POINT at{button.left, button.bottom};
    ClientToScreen(handle(), &at);
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, handle(),
                   nullptr);
    DestroyMenu(menu);
}

void MainWindow::onPrintSelected() {
    int index = selectedEntryIndex();
    Entry entry;
    if (index == kNoEntry || !book_.currentGroup().entries().get(index + 1, entry)) {
        fw::messageBox(handle(), "Please select an entry first.", "Print",
                       MB_OK | MB_ICONINFORMATION);
        return;
    }
    ChosenPrinter printer(handle());
    if (!printer.dc() || !printer.startDocument())
        return;
    StartPage(printer.dc());
    // The selected line's own entry, even when others share its text.
    printer.print(singleEntryPage(entryAsTyped(entry)), 0);
    EndPage(printer.dc());
    EndDoc(printer.dc());
}

void MainWindow::printAll(SortMode key) {
    ChosenPrinter printer(handle());
    if (!printer.dc())
        return;
    // The list shows the printed order, and keeps it afterwards.
    sortMode_ = key;
    checkSortItem();
    fillNameList();
    updateCaptions();
    const GroupList& list = book_.currentGroup().entries();
    // In the order the user sees: the list's own lines, read back.
    std::vector<int> lineEntries;
    LRESULT lines = sendItem(IDC_NAME_LIST, LB_GETCOUNT);
    lineEntries.reserve(static_cast<std::size_t>(lines > 0 ? lines : 0));
    for (LRESULT line = 0; line < lines; ++line)
        lineEntries.push_back(
            static_cast<int>(sendItem(IDC_NAME_LIST, LB_GETITEMDATA, static_cast<WPARAM>(line))));
    std::vector<PrintedPage> pages = planPrintAll(lineEntries, printer.linesPerPage());
    if (pages.empty())
        return;  // nothing to print: no empty page either
    if (!printer.startDocument()) {
        if (key == SortMode::FirstName)
            fw::messageBox(handle(), "Printing error!", programName().c_str(), MB_OK);
        else
            fw::messageBox(handle(), "Printing error!", "Print", MB_OK | MB_ICONSTOP);
        return;
    }
    for (const PrintedPage& page : pages) {
        if (StartPage(printer.dc()) <= 0)
            break;
        int top = 0;
        for (int index : page.entries) {
            printer.print(listBlock(entryAsTyped(*list.find(index + 1)), key), top);
            top += kBlockLines;
        }
        if (EndPage(printer.dc()) <= 0)
            break;
    }
    EndDoc(printer.dc());
    // The selection ends on the last line printed.
    LRESULT count = sendItem(IDC_NAME_LIST, LB_GETCOUNT);
    if (count > 0)
        sendItem(IDC_NAME_LIST, LB_SETCURSEL, static_cast<WPARAM>(count - 1));
}

}  // namespace ctlite
