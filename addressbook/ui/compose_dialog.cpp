#include "addressbook/ui/compose_dialog.h"

#include <commctrl.h>

#include "addressbook/ui/compose_rules.h"
#include "addressbook/ui/registry_settings.h"
#include "addressbook/ui/resource.h"
#include "addressbook/ui/send_progress_dialog.h"
#include "framework/application.h"
#include "framework/file_dialog.h"
#include "framework/settings_store.h"

namespace ctlite {
namespace {

const GroupList kNoGroup;

}  // namespace

// ---- "Add files"

const fw::CommandEntry<AttachmentsDialog> AttachmentsDialog::kCommands[] = {
    {IDC_ATTACH_ADD, BN_CLICKED, &AttachmentsDialog::onAddFile},
    {IDC_ATTACH_REMOVE, BN_CLICKED, &AttachmentsDialog::onRemoveFile},
    {IDOK, BN_CLICKED, &AttachmentsDialog::onOk},
    {IDCANCEL, BN_CLICKED, &AttachmentsDialog::onCancel},
    {0, 0, nullptr},
};

bool AttachmentsDialog::run(HWND owner) {
    return runModal(IDD_ATTACHMENTS, owner) == IDOK;
}

BOOL AttachmentsDialog::onInit() {
    for (const std::string& path : paths_)
        sendItem(IDC_ATTACH_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
    return TRUE;
}

void AttachmentsDialog::onAddFile() {
    fw::FileDialogOptions options;
    options.title = "Attach File";
    options.flags |= OFN_FILEMUSTEXIST;
    if (std::optional<std::string> path = fw::askFileToOpen(handle(), options))
        sendItem(IDC_ATTACH_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path->c_str()));
}

void AttachmentsDialog::onRemoveFile() {
    LRESULT at = sendItem(IDC_ATTACH_LIST, LB_GETCURSEL);
    if (at != LB_ERR)
        sendItem(IDC_ATTACH_LIST, LB_DELETESTRING, static_cast<WPARAM>(at));
}

void AttachmentsDialog::onOk() {
    paths_.clear();
    LRESULT count = sendItem(IDC_ATTACH_LIST, LB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = sendItem(IDC_ATTACH_LIST, LB_GETTEXTLEN, static_cast<WPARAM>(i));
        std::string path(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
        sendItem(IDC_ATTACH_LIST, LB_GETTEXT, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(path.data()));
        path.resize(path.find('\0'));
        paths_.push_back(path);
    }
    end(IDOK);
}

// ---- the compose window

const fw::CommandEntry<ComposeDialog> ComposeDialog::kCommands[] = {
    {IDC_COMPOSE_ADD, BN_CLICKED, &ComposeDialog::onAdd},
    {IDC_COMPOSE_ATTACHMENTS, BN_CLICKED, &ComposeDialog::onAttachments},
    {IDC_COMPOSE_SUBJECT, EN_CHANGE, &ComposeDialog::onSubjectChanged},
    {IDC_COMPOSE_ALL_AT_ONCE, BN_CLICKED, &ComposeDialog::onAllAtOnce},
    {IDC_COMPOSE_ONE_BY_ONE, BN_CLICKED, &ComposeDialog::onOneByOne},
    {IDOK, BN_CLICKED, &ComposeDialog::onSend},
    {IDCANCEL, BN_CLICKED, &ComposeDialog::onCancel},
    {0, 0, nullptr},
};

const fw::DataEntry<ComposeDialog> ComposeDialog::kData[] = {
    {IDC_COMPOSE_FROM, fw::DataKind::Text, &ComposeDialog::from_},
    {IDC_COMPOSE_TO, fw::DataKind::Text, &ComposeDialog::to_},
    {IDC_COMPOSE_SUBJECT, fw::DataKind::Text, &ComposeDialog::subject_},
    {IDC_COMPOSE_BODY, fw::DataKind::Text, &ComposeDialog::body_},
    {IDC_COMPOSE_SIGNATURE, fw::DataKind::Check, &ComposeDialog::withSignature_},
    {IDC_COMPOSE_COPY_SELF, fw::DataKind::Check, &ComposeDialog::copyToSelf_},
    {IDC_COMPOSE_ALL_AT_ONCE, fw::DataKind::Check, &ComposeDialog::allAtOnce_},
    {IDC_COMPOSE_ONE_BY_ONE, fw::DataKind::Check, &ComposeDialog::oneByOne_},
    {0, fw::DataKind::End},
};

bool ComposeDialog::open() {
    // The settings as they are now: the server and how it is reached, the user and
    // the signature.
    SettingsValues settings;
    readSettings(RegistrySettings(), settings);
    userName_ = settings.userName;
    server_ = settings.smtpServer;
    port_ = static_cast<std::uint16_t>(settings.smtpPort);
    account_ = {static_cast<MailSecurity>(settings.smtpSecurity), settings.smtpUser,
                settings.smtpPassword};
    userAddress_ = settings.email;
    signature_ = settings.signature;
    from_ = userName_ + " <" + userAddress_ + ">";
    if (mode_ == Mode::Normal) {
        std::string_view address = opener_.entry.get(Field::EmailAddress);
        if (!address.empty())
            to_ = opener_.entry.firstNameDisplay() + " <" + std::string(address) + ">";
    } else {
        to_ = std::string(kMakerName) + " <" + kFeedbackAddress + ">";
        subject_ = "Contavo Lite Feedback";
    }
    return createModeless(IDD_COMPOSE, opener_.main) != nullptr;
}

BOOL ComposeDialog::onInit() {
    enableItem(IDC_COMPOSE_ADD, mode_ == Mode::Normal);
    addTips();
    RECT owner{}, own{};
    GetWindowRect(opener_.main, &owner);
    GetWindowRect(handle(), &own);
    int width = own.right - own.left, height = own.bottom - own.top;
    SetWindowPos(handle(), nullptr, owner.left + (owner.right - owner.left - width) / 2,
                 owner.top + (owner.bottom - owner.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // "&Send now" waits for a subject (filling the controls may have enabled it).
    enableItem(IDOK, mode_ == Mode::Feedback);
    if (mode_ == Mode::Feedback) {
        enableItem(IDC_COMPOSE_ALL_AT_ONCE, false);
        enableItem(IDC_COMPOSE_ONE_BY_ONE, false);
        enableItem(IDC_COMPOSE_TO, false);
    }
    if (to_.empty()) {
        SetFocus(item(IDC_COMPOSE_TO));
        return FALSE;
    }
    return TRUE;
}

void ComposeDialog::addTips() {
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle(),
                               nullptr, fw::resourceInstance(), nullptr);
    SendMessageA(tooltip_, TTM_ACTIVATE, TRUE, 0);
    // Every control whose id has a string of the same number gets it as its tip.
    for (HWND child = GetWindow(handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[256] = "";
        if (!LoadStringA(fw::resourceInstance(), static_cast<UINT>(GetDlgCtrlID(child)), text,
                         sizeof text))
            continue;
        TOOLINFOA info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = handle();
        info.uId = reinterpret_cast<UINT_PTR>(child);
        info.lpszText = text;
        SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
}

const GroupList& ComposeDialog::group() const {
    const AddressBook& book = *opener_.book;
    if (opener_.group < 0 || opener_.group >= book.groupCount())
        return kNoGroup;
    return book.group(opener_.group).entries();
}

std::string ComposeDialog::self() const {
    return recipientText(userName_, userAddress_);
}

void ComposeDialog::onAdd() {
    saveData();
    std::string line = opener_.selectedLine ? opener_.selectedLine() : std::string();
    if (line.empty())
        return;  // no name selected: nothing to add
    for (const std::string& address : addressesOfLine(group(), line)) {
        if (address.empty()) {
            fw::messageBox(handle(), "Email address is not found", "Oops...",
                           MB_OK | MB_ICONEXCLAMATION);
            continue;
        }
        appendRecipient(to_, recipientText(line, address));
        loadData();
    }
}

void ComposeDialog::onAttachments() {
    if (!AttachmentsDialog(attachments_).run(handle()))
        return;
    setItemText(IDC_COMPOSE_ATTACHED, attachments_.empty() ? std::string() : attachments_.front());
}

void ComposeDialog::onAllAtOnce() {
    saveData();
    enableItem(IDC_COMPOSE_ONE_BY_ONE, !allAtOnce_);
    enableItem(IDC_COMPOSE_TO, !allAtOnce_);
}

void ComposeDialog::onOneByOne() {
    saveData();
    enableItem(IDC_COMPOSE_ALL_AT_ONCE, !oneByOne_);
    enableItem(IDC_COMPOSE_TO, !oneByOne_);
}

bool ComposeDialog::sendTo(const std::string& to) {
    std::string subject = subject_.empty() ? std::string("No Subject") : subject_;
    std::string body = withSignature_ ? body_ + "\n\n\n" + signature_ : body_;
    SendRequest request{server_, from_, to, subject, body, attachments_, port_, account_};
    return SendProgressDialog(std::move(request)).run(handle());
}

void ComposeDialog::onSend() {
    saveData();
    bool sent = false;
    if (allAtOnce_) {
        sent = sendTo(everyoneAtOnce(group(), copyToSelf_ ? self() : std::string()));
    } else if (oneByOne_) {
        std::vector<std::string> recipients = everyoneOneByOne(group());
        if (copyToSelf_)
            recipients.push_back(self());
        // A failed send does not stop the next; the last one decides.
        for (const std::string& to : recipients)
            sent = sendTo(to);
    } else {
        std::string to = to_;
        if (copyToSelf_)
            appendRecipient(to, self());
        sent = sendTo(to);
    }
    if (sent)
        close();
}

void ComposeDialog::close() {
    std::function<void()> closed = opener_.closed;
    end(IDCANCEL);
    if (closed)
        closed();
}

}  // namespace ctlite
