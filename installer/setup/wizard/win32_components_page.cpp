#include "installer/setup/wizard/win32_components_page.h"

#include <algorithm>
#include <optional>

#include "installer/setup/actions/install_text.h"
#include "installer/setup/resource.h"
#include "installer/setup/wizard/wizard_texts.h"

namespace vortix {

const fw::MessageEntry<ComponentsPage> ComponentsPage::kMessages[] = {
    {WM_NOTIFY, &ComponentsPage::onNotify},
    {0, nullptr},
};

namespace {

enum StateImage { kNoBox, kUnticked, kTicked, kFixed, kStateImages };
constexpr int kImageSize = 16;

int stateImageOf(ComponentState state) {
    switch (state) {
        case ComponentState::Fixed: return kFixed;
        case ComponentState::Ticked: return kTicked;
        case ComponentState::Unticked: break;
    }
    return kUnticked;
}

}  // namespace

ComponentsPage::ComponentsPage(PageContext& run) : run_(run) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&classes);
}

ComponentsPage::~ComponentsPage() {
    if (HWND tree = item(IDC_COMPONENT_TREE))
        TreeView_SetImageList(tree, nullptr, TVSIL_STATE);
    if (states_)
        ImageList_Destroy(states_);
}

namespace {

// A box of 13 by 13 pixels in the middle of a state image: its frame, and a tick
// when `ticked`, both in `ink`.
void drawBox(HDC dc, bool ticked, COLORREF ink) {
    RECT all{0, 0, kImageSize, kImageSize};
    FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
    HPEN pen = CreatePen(PS_SOLID, 1, ink);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetSysColorBrush(COLOR_WINDOW));
    Rectangle(dc, 1, 1, 14, 14);
    if (ticked) {
        // Three strokes a pixel apart make a bold tick.
        for (int dy = 0; dy < 3; ++dy) {
            MoveToEx(dc, 4, 7 + dy, nullptr);
            LineTo(dc, 6, 9 + dy);
            LineTo(dc, 11, 4 + dy);
        }
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

}  // namespace

bool ComponentsPage::makeStateImages() {
    if (states_)
        return true;
    states_ = ImageList_Create(kImageSize, kImageSize, ILC_COLOR24, kStateImages, 0);
    if (!states_)
        return false;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    bool made = true;
    for (int image = 0; image < kStateImages && made; ++image) {
        HBITMAP bitmap = CreateCompatibleBitmap(screen, kImageSize, kImageSize);
        HGDIOBJ old = SelectObject(dc, bitmap);
        if (image == kNoBox) {
            RECT all{0, 0, kImageSize, kImageSize};
            FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
        } else {
            // A fixed component's box is greyed: it cannot be changed.
            drawBox(dc, image != kUnticked,
                    GetSysColor(image == kFixed ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
        }
        SelectObject(dc, old);
        made = ImageList_Add(states_, bitmap, nullptr) == image;
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return made;
}

bool ComponentsPage::fill(bool) {
    ComponentChoices& choices = *run_.choices.components;
    const LanguageSet& language = run_.language();
    const bool multilingual = run_.multilingual();
    const FaultPlan& faults = run_.faults;
    SetupMessages& messages = run_.messages;
    choices_ = &choices;
    HWND tree = faults.treeFails("create") ? nullptr : item(IDC_COMPONENT_TREE);
    if (!tree || !makeStateImages()) {
        messages.error(kComponentTreeFailedText);
        return false;
    }
    TreeView_SetImageList(tree, states_, TVSIL_STATE);
    setItemText(IDC_COMPONENT_DESCRIPTION_FRAME,
                entry(language.lines, LanguageEntry::DescriptionLabel));
    // Filled anew each time: the language may have changed since.
    TreeView_DeleteAllItems(tree);
    items_.assign(choices.count(), nullptr);
    for (std::size_t i = 0; i < choices.count(); ++i) {
        const Component& component = choices.component(i);
        std::string label = componentLabel(
            languageSection(component.name, language.identifier, multilingual), component);
        TVINSERTSTRUCTA insert{};
        std::optional<std::size_t> parent = choices.parent(i);
        insert.hParent = parent ? items_[*parent] : TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
        insert.item.pszText = label.data();
        insert.item.lParam = static_cast<LPARAM>(i);
        insert.item.stateMask = TVIS_STATEIMAGEMASK | TVIS_EXPANDED;
        insert.item.state = INDEXTOSTATEIMAGEMASK(stateImageOf(choices.state(i))) | TVIS_EXPANDED;
        items_[i] = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        if (!items_[i] || faults.treeFails("insert")) {
            messages.error(kComponentInsertFailedText);
            return false;
        }
    }
    for (HTREEITEM parent : items_)
        TreeView_Expand(tree, parent, TVE_EXPAND);
    HTREEITEM first = items_.empty() ? nullptr : items_.front();
    TreeView_SelectItem(tree, first);
    showDescription(first);
    showSpace();
    return true;
}

bool ComponentsPage::onNext() {
    if (!choices_)
        return true;
    const std::vector<bool> chosen = choices_->selected();
    if (chosen.empty() || std::find(chosen.begin(), chosen.end(), true) != chosen.end())
        return true;
    run_.messages.show(entry(run_.lines(), LanguageEntry::NoComponentChosen), Buttons::Ok,
                       MB_ICONEXCLAMATION);
    return false;
}

INT_PTR ComponentsPage::onNotify(WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!choices_ || header->idFrom != IDC_COMPONENT_TREE)
        return FALSE;
    HWND tree = header->hwndFrom;
    switch (header->code) {
        case TVN_SELCHANGEDA:
        case TVN_SELCHANGEDW:
            // The item handle sits at the same place in both forms.
            showDescription(reinterpret_cast<const NMTREEVIEWA*>(lParam)->itemNew.hItem);
            return FALSE;
        case TVN_KEYDOWN:
            if (reinterpret_cast<const NMTVKEYDOWN*>(lParam)->wVKey != VK_SPACE)
                return FALSE;
            toggle(TreeView_GetSelection(tree));
            // Handled: the space is no start of a search by name.
            SetWindowLongPtrA(handle(), DWLP_MSGRESULT, TRUE);
            return TRUE;
        case NM_CLICK: {
            DWORD at = GetMessagePos();
            TVHITTESTINFO hit{};
            hit.pt = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
            ScreenToClient(tree, &hit.pt);
            if (TreeView_HitTest(tree, &hit) && (hit.flags & TVHT_ONITEMSTATEICON)) {
                TreeView_SelectItem(tree, hit.hItem);
                toggle(hit.hItem);
            }
            return FALSE;
        }
        default: return FALSE;
    }
}

std::size_t ComponentsPage::componentOf(HTREEITEM item) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == item)
            return i;
    return items_.size();
}

void ComponentsPage::toggle(HTREEITEM item) {
    std::size_t component = componentOf(item);
    if (component >= items_.size())
        return;
    choices_->toggle(component);
    showStates();
    showSpace();
}

void ComponentsPage::showStates() {
    HWND tree = item(IDC_COMPONENT_TREE);
    for (std::size_t i = 0; i < items_.size(); ++i)
        TreeView_SetItemState(tree, items_[i],
                              INDEXTOSTATEIMAGEMASK(stateImageOf(choices_->state(i))),
                              TVIS_STATEIMAGEMASK);
}

void ComponentsPage::showDescription(HTREEITEM item) {
    std::size_t component = componentOf(item);
    std::string text;
    if (component < items_.size())
        text = languageSection(choices_->component(component).description,
                               run_.language().identifier, run_.multilingual());
    setItemText(IDC_COMPONENT_DESCRIPTION, text);
}

void ComponentsPage::showSpace() {
    setItemText(IDC_COMPONENT_SPACE, entry(run_.lines(), LanguageEntry::ComponentsSpaceLabel) +
                                         " " + requiredSizeText(choices_->requiredBytes()));
}

}  // namespace vortix
