// Sets the stage for the README's pictures of the display card, under Wine:
//
//   card_demo.exe book FOLDER PHOTO   writes FOLDER\data.dat with one well-filled entry
//   card_demo.exe select              selects the first line of Contavo Lite's name list
#include <windows.h>

#include <cstdio>
#include <string>

#include "addressbook/model/address_book.h"
#include "addressbook/model/data_file.h"
#include "addressbook/ui/resource.h"
#include "platform/file_system.h"

namespace {

int writeBook(const std::string& folder, const std::string& photo) {
    using ctlite::Field;
    ctlite::AddressBook book;
    ctlite::Entry ann;
    const std::pair<Field, const char*> fields[] = {
        {Field::FirstName, "Ann"},
        {Field::LastName, "Smith"},
        {Field::CompanyName, "Smith && Partners"},
        {Field::WorkPhone, "+44 20 7946 0958"},
        {Field::MobilePhone, "+44 7700 900123"},
        {Field::StreetAddress, "12 Baker Street"},
        {Field::City, "London"},
        {Field::ZipCode, "NW1 6XE"},
        {Field::Country, "United Kingdom"},
        {Field::EmailAddress, "ann.smith@example.com"},
        {Field::Homepage, "http://www.example.com/ann"},
        {Field::Note,
         "Met at the book fair in March. Likes jazz, long walks and old maps; "
         "ask about the trip to Lisbon."},
    };
    for (const auto& [field, text] : fields)
        ann.set(field, text);
    ann.set(Field::Picture, photo);
    auto& list = book.group(0).entries();
    list.insert(1, ann);
    ctlite::Entry bob;
    bob.set(Field::FirstName, "Bob");
    bob.set(Field::LastName, "Adams");
    list.insert(2, bob);
    ctlite::Entry cy;
    cy.set(Field::FirstName, "Cy");
    cy.set(Field::LastName, "Miller");
    list.insert(3, cy);
    book.addGroup("Friends");
    ctlite::DataFile file(platform::systemFileSystem(), folder + "\\data.dat");
    return file.save(book) ? 1 : 0;
}

int selectFirstLine() {
    for (int tries = 0; tries < 100; ++tries) {
        HWND window = FindWindowA(nullptr, nullptr);
        char title[512];
        for (; window; window = GetWindow(window, GW_HWNDNEXT)) {
            GetWindowTextA(window, title, sizeof title);
            if (std::string(title).rfind("Contavo Lite - ", 0) == 0)
                break;
        }
        if (window) {
            HWND list = GetDlgItem(window, IDC_NAME_LIST);
            SendMessageA(list, LB_SETCURSEL, 0, 0);
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_NAME_LIST, LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(list));
            return 0;
        }
        Sleep(100);
    }
    std::fprintf(stderr, "no Contavo Lite window\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "book" && argc == 4)
        return writeBook(argv[2], argv[3]);
    if (command == "select")
        return selectFirstLine();
    std::fprintf(stderr, "usage: card_demo book FOLDER PHOTO | card_demo select\n");
    return 2;
}
