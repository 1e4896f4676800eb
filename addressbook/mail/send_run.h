// One send of the "Sending..." window, from loading the attachments to the end of
// the conversation, against the window as a small interface: the worker thread
// of the program's window runs it, and so can a test without windows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "addressbook/mail/smtp_connection.h"

namespace ctlite {

// The texts of one send, as the compose window hands them over.
struct SendRequest {
    std::string server;  // the setting: "host" or "host:port"
    std::string from;    // "Name <address>"
    std::string to;      // recipients separated by ","
    std::string subject;
    std::string body;
    std::vector<std::string> attachments;  // full paths, in order
    std::uint16_t port = 25;               // the port setting; a ":port" in `server` wins
    MailAccount account;                   // security and sign-in
};

// The "Sending..." window as the send sees it: its progress bar, its status line,
// its message boxes and its keep-going flag.
class SendWindow : public SendProgress, public MailNotices {
public:
    virtual void setProgress(int percent) = 0;
    // Moves the bar on by its step.
    virtual void stepProgress() = 0;
    virtual void setStatus(const std::string& text) = 0;

    void report(int percent, const std::string& status) override {
        setProgress(percent);
        setStatus(status);
    }
};

// The sender of a From text: the name before its "<" as it stands, the address
// between that "<" and the next ">"; a text without "<" is an address alone.
MailAddress senderOf(std::string_view from);

// Loads the attachments, connects, sends and says goodbye, telling the window each
// step and showing each failure in it. True when the message was accepted or the
// user cancelled; the connection is closed when this returns.
bool runSend(const SendRequest& request, SendWindow& window, Network& network = systemNetwork(),
             SecureChannels& channels = systemSecureChannels());

// The message shown when `connect` fails for `failure`, with the reason behind it.
std::string connectFailureMessage(ConnectFailure failure, const std::string& reason);

}  // namespace ctlite
