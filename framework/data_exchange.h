// Data exchange: a dialog's controls bound to its members by one static table,
// read into the controls when the dialog starts and written back when it asks
// (on OK, say):
//
//   const fw::DataEntry<GroupNameDialog> GroupNameDialog::kData[] = {
//       {IDC_GROUP_NAME, fw::DataKind::Text, &GroupNameDialog::name_, kMaxNameLength},
//       {0, fw::DataKind::End}};
//
//   void GroupNameDialog::onOk() {
//       if (saveData())
//           end(IDOK);
//   }
//
// Kinds and their members:
//   Text     std::string: an edit's (or any control's) whole text; a limit above
//            zero caps what an edit takes (EM_LIMITTEXT).
//   Check    bool: a check box is checked.
//   Integer  int: an edit's text as a whole decimal number (blanks around it are
//            allowed); a text that is not one fails the save.
//   Radio    int: the radio buttons of a group, from the button with `id` (the
//            one with WS_GROUP) up to the next control with WS_GROUP; the member
//            is the checked button's place, from 0, or -1 when none is checked.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

enum class DataKind { End, Text, Check, Integer, Radio };

template <class T>
struct DataEntry {
    constexpr DataEntry(int control, DataKind how) : id(control), kind(how) {}
    constexpr DataEntry(int control, DataKind how, std::string T::*member, int most = 0)
        : id(control), kind(how), text(member), limit(most) {}
    constexpr DataEntry(int control, DataKind how, bool T::*member)
        : id(control), kind(how), check(member) {}
    constexpr DataEntry(int control, DataKind how, int T::*member)
        : id(control), kind(how), number(member) {}

    int id;
    DataKind kind;
    std::string T::*text = nullptr;
    bool T::*check = nullptr;
    int T::*number = nullptr;
    int limit = 0;
};

// One control and its value, whatever the class: what the tables come down to.
namespace data_exchange {

void loadText(HWND dialog, int id, const std::string& value, int limit);
void loadCheck(HWND dialog, int id, bool value);
void loadInteger(HWND dialog, int id, int value);
void loadRadio(HWND dialog, int id, int value);

std::string saveText(HWND dialog, int id);
bool saveCheck(HWND dialog, int id);
// False (the value untouched) when the text is not a whole number.
bool saveInteger(HWND dialog, int id, int& value);
int saveRadio(HWND dialog, int id);

// A kind that does not go with the entry's member: a mistake in the table.
[[noreturn]] void mismatch(int id);

}  // namespace data_exchange

// Sets every control of `table` from its member of `self`.
template <class T>
void loadData(HWND dialog, const T& self, const DataEntry<T>* table) {
    namespace dx = data_exchange;
    for (const DataEntry<T>* e = table; e->kind != DataKind::End; ++e) {
        if (e->kind == DataKind::Text && e->text)
            dx::loadText(dialog, e->id, self.*(e->text), e->limit);
        else if (e->kind == DataKind::Check && e->check)
            dx::loadCheck(dialog, e->id, self.*(e->check));
        else if (e->kind == DataKind::Integer && e->number)
            dx::loadInteger(dialog, e->id, self.*(e->number));
        else if (e->kind == DataKind::Radio && e->number)
            dx::loadRadio(dialog, e->id, self.*(e->number));
        else
            dx::mismatch(e->id);
    }
}

// Reads every control of `table` back into its member of `self`; the id of the
// first integer control whose text is not a number, or 0 when all were read.
template <class T>
int saveData(HWND dialog, T& self, const DataEntry<T>* table) {
    namespace dx = data_exchange;
    int failed = 0;
    for (const DataEntry<T>* e = table; e->kind != DataKind::End; ++e) {
        if (e->kind == DataKind::Text && e->text)
            self.*(e->text) = dx::saveText(dialog, e->id);
        else if (e->kind == DataKind::Check && e->check)
            self.*(e->check) = dx::saveCheck(dialog, e->id);
        else if (e->kind == DataKind::Integer && e->number) {
            if (!dx::saveInteger(dialog, e->id, self.*(e->number)) && !failed)
                failed = e->id;
        } else if (e->kind == DataKind::Radio && e->number)
            self.*(e->number) = dx::saveRadio(dialog, e->id);
        else
            dx::mismatch(e->id);
    }
    return failed;
}

}  // namespace fw
