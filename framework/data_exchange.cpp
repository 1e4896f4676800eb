#include "framework/data_exchange.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <stdexcept>

#include "framework/window_base.h"

namespace fw::data_exchange {
namespace {

bool isRadioButton(HWND control) {
    return (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

// The radio buttons of the group that starts at `first`, in order.
template <class Visit>
void forEachRadio(HWND first, Visit visit) {
    int place = 0;
    for (HWND control = first; control; control = GetWindow(control, GW_HWNDNEXT)) {
        if (control != first && (GetWindowLongPtrA(control, GWL_STYLE) & WS_GROUP))
            break;
        if (isRadioButton(control))
            visit(control, place++);
    }
}

}  // namespace

void loadText(HWND dialog, int id, const std::string& value, int limit) {
    HWND control = GetDlgItem(dialog, id);
    if (limit > 0)
        SendMessageA(control, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
    setWindowText(control, value);
}

void loadCheck(HWND dialog, int id, bool value) {
    SendDlgItemMessageA(dialog, id, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void loadInteger(HWND dialog, int id, int value) {
    setWindowText(GetDlgItem(dialog, id), std::to_string(value));
}

void loadRadio(HWND dialog, int id, int value) {
    forEachRadio(GetDlgItem(dialog, id), [value](HWND button, int place) {
        SendMessageA(button, BM_SETCHECK, place == value ? BST_CHECKED : BST_UNCHECKED, 0);
    });
}

std::string saveText(HWND dialog, int id) {
    return windowText(GetDlgItem(dialog, id));
}

bool saveCheck(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool saveInteger(HWND dialog, int id, int& value) {
    std::string text = windowText(GetDlgItem(dialog, id));
    const char* start = text.c_str();
    while (*start == ' ' || *start == '\t')
        ++start;
    char* end = nullptr;
    errno = 0;
    long long number = std::strtoll(start, &end, 10);
    if (end == start || errno == ERANGE || number < INT_MIN || number > INT_MAX)
        return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end)
        return false;
    value = static_cast<int>(number);
    return true;
}

int saveRadio(HWND dialog, int id) {
    int checked = -1;
    forEachRadio(GetDlgItem(dialog, id), [&checked](HWND button, int place) {
        if (checked < 0 && SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED)
            checked = place;
    });
    return checked;
}

void mismatch(int id) {
    throw std::logic_error("data table entry " + std::to_string(id) +
                           ": the kind does not go with the member");
}

}  // namespace fw::data_exchange
