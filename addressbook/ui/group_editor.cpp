#include "addressbook/ui/group_editor.h"

#include "addressbook/model/group_swap.h"
#include "addressbook/ui/program_name.h"
#include "addressbook/ui/resource.h"
#include "framework/application.h"

namespace ctlite {
namespace {

constexpr char kTitle[] = "Group Editor";

}  // namespace

std::string GroupEditor::listLineText(int list, int line) const {
    LRESULT length = sendItem(list, LB_GETTEXTLEN, static_cast<WPARAM>(line));
    if (length < 0)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    sendItem(list, LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

const fw::CommandEntry<GroupEditor> GroupEditor::kCommands[] = {
    {IDC_EDITOR_LEFT_GROUP, CBN_SELCHANGE, &GroupEditor::onLeftGroup},
    {IDC_EDITOR_RIGHT_GROUP, CBN_SELCHANGE, &GroupEditor::onRightGroup},
    {IDC_EDITOR_MOVE_RIGHT, BN_CLICKED, &GroupEditor::onMoveRight},
    {IDC_EDITOR_MOVE_LEFT, BN_CLICKED, &GroupEditor::onMoveLeft},
    {IDC_EDITOR_COPY_RIGHT, BN_CLICKED, &GroupEditor::onCopyRight},
    {IDC_EDITOR_COPY_LEFT, BN_CLICKED, &GroupEditor::onCopyLeft},
    {IDC_EDITOR_SORT_FIRST, BN_CLICKED, &GroupEditor::onSortMethod},
    {IDC_EDITOR_SORT_LAST, BN_CLICKED, &GroupEditor::onSortMethod},
    {IDC_EDITOR_SORT_COMPANY, BN_CLICKED, &GroupEditor::onSortMethod},
    {IDOK, BN_CLICKED, &GroupEditor::onOk},
    {IDCANCEL, BN_CLICKED, &GroupEditor::onCancel},
    {0, 0, nullptr},
};

const fw::DataEntry<GroupEditor> GroupEditor::kData[] = {
    {IDC_EDITOR_SORT_FIRST, fw::DataKind::Radio, &GroupEditor::sortMethod_},
    {0, fw::DataKind::End},
};

bool GroupEditor::run(HWND owner) {
    return runModal(IDD_GROUP_EDITOR, owner) == IDOK;
}

BOOL GroupEditor::onInit() {
    left_ = {IDC_EDITOR_LEFT_GROUP, IDC_EDITOR_LEFT_LIST, IDC_EDITOR_LEFT_COUNT, 0};
    right_ = {IDC_EDITOR_RIGHT_GROUP, IDC_EDITOR_RIGHT_LIST, IDC_EDITOR_RIGHT_COUNT, 1};
    for (const Side* side : {&left_, &right_}) {
        for (int g = 0; g < book_.groupCount(); ++g)
            sendItem(side->groupBox, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(book_.groupName(g).c_str()));
        sendItem(side->groupBox, CB_SETCURSEL, static_cast<WPARAM>(side->group));
    }
    fillBoth();
    return TRUE;
}

void GroupEditor::fillList(const Side& side) {
    sendItem(side.list, LB_RESETCONTENT);
    NameList names = groupEditorLines(book_.group(side.group), sort_);
    for (const NameLine& line : names.lines()) {
        LRESULT at =
            sendItem(side.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.text.c_str()));
        if (at >= 0)
            sendItem(side.list, LB_SETITEMDATA, static_cast<WPARAM>(at),
                     static_cast<LPARAM>(line.index));
    }
    // Every entry counts, placeholders and entries this sort does not list included.
    setItemText(side.count, std::to_string(book_.group(side.group).entries().count()));
}

void GroupEditor::fillBoth() {
    fillList(left_);
    fillList(right_);
}

void GroupEditor::chooseGroup(Side& side, const Side& other) {
    LRESULT chosen = sendItem(side.groupBox, CB_GETCURSEL);
    if (chosen == CB_ERR)
        return;
    if (static_cast<int>(chosen) == other.group) {
        fw::messageBox(handle(), "You can't swap entries between the same groups", kTitle, MB_OK);
        sendItem(side.groupBox, CB_SETCURSEL, static_cast<WPARAM>(side.group));
    } else {
        side.group = static_cast<int>(chosen);
    }
    fillList(side);
}

void GroupEditor::transfer(const Side& from, const Side& to, bool keepSource) {
    LRESULT line = sendItem(from.list, LB_GETCURSEL);
    if (line == LB_ERR)
        return;
    // A lone "{ EMPTY }" line is refused by its text: an empty group's line, or a
    // placeholder shown as its bare first name in last-name sort.
    bool loneEmptyLine =
        sendItem(from.list, LB_GETCOUNT) == 1 && listLineText(from.list, 0) == kPlaceholderText;
    int index = static_cast<int>(sendItem(from.list, LB_GETITEMDATA, static_cast<WPARAM>(line)));
    SwapOutcome outcome = loneEmptyLine
                              ? SwapOutcome::EmptyLine
                              : transferEntry(book_, from.group, index, to.group, keepSource);
    switch (outcome) {
        case SwapOutcome::EmptyLine:
            fw::messageBox(handle(), "Can't swap { EMPTY }", "Opps...", MB_OK);
            return;
        case SwapOutcome::Failed:
            fw::messageBox(
                handle(), "Severe internal error. If problem persists, please contact me.(ERR:002)",
                programName().c_str(), MB_OK);
            break;
        default: break;
    }
    fillBoth();
}

void GroupEditor::onSortMethod() {
    saveData();
    sort_ = groupEditorSortMode(sortMethod_);
    fillBoth();
}

void GroupEditor::onOk() {
    keepEmptyGroups(book_);
    end(IDOK);
}

}  // namespace ctlite
