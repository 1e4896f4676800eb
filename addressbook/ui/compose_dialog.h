// "Contavo Lite Email": the modeless compose window, and "Add files", the list of
// its attachments. In normal mode it writes to entries of the group that was
// current when it opened ("&Add" takes the name selected in the main list, the two
// "To All" boxes the whole group); in feedback mode it writes to the maker.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "addressbook/mail/smtp_connection.h"
#include "addressbook/model/address_book.h"
#include "framework/dialog.h"

namespace ctlite {

class AttachmentsDialog : public fw::DialogImpl<AttachmentsDialog> {
public:
    static const fw::CommandEntry<AttachmentsDialog> kCommands[];

    explicit AttachmentsDialog(std::vector<std::string>& paths) : paths_(paths) {}
    // OK replaces the paths by the list's, in its sorted order; Cancel keeps them.
    bool run(HWND owner);

private:
    BOOL onInit() override;
    void onAddFile();
    void onRemoveFile();
    void onOk();
    void onCancel() { end(IDCANCEL); }

    std::vector<std::string>& paths_;
};

// The maker, as feedback mode writes to it.
inline constexpr char kMakerName[] = "Velmora Systems";
inline constexpr char kFeedbackAddress[] = "contavo-feedback@example.com";

class ComposeDialog : public fw::DialogImpl<ComposeDialog> {
public:
    static const fw::CommandEntry<ComposeDialog> kCommands[];
    static const fw::DataEntry<ComposeDialog> kData[];

    enum class Mode { Normal, Feedback };

    // What the compose window uses of the main window: the book, the group current
    // at the opening, the entry To starts with, the text of the line selected in
    // the name list (empty when none), and the call once the window has gone.
    struct Opener {
        HWND main = nullptr;
        const AddressBook* book = nullptr;
        int group = 0;
        Entry entry;
        std::function<std::string()> selectedLine;
        std::function<void()> closed;
    };

    ComposeDialog(Mode mode, Opener opener) : mode_(mode), opener_(std::move(opener)) {}

    // Shown, centred on the main window; false when it could not be made.
    bool open();

private:
    BOOL onInit() override;
    void addTips();
    void onAdd();
    void onAttachments();
    void onSubjectChanged() { enableItem(IDOK); }
    void onAllAtOnce();
    void onOneByOne();
    void onSend();
    void onCancel() { close(); }
    void close();
    // One send of what the controls show, to `to`; true when it ended with OK.
    bool sendTo(const std::string& to);
    // The group the window writes to, empty when it is gone.
    const GroupList& group() const;
    std::string self() const;

    Mode mode_;
    Opener opener_;
    std::string server_, signature_, userName_, userAddress_;
    std::uint16_t port_ = 25;
    MailAccount account_;
    std::string from_, to_, subject_, body_;
    bool withSignature_ = true, copyToSelf_ = false, allAtOnce_ = false, oneByOne_ = false;
    std::vector<std::string> attachments_;
    HWND tooltip_ = nullptr;
};

}  // namespace ctlite
