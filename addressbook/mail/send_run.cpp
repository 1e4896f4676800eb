#include "addressbook/mail/send_run.h"

#include <memory>

namespace ctlite {
namespace {

std::string trimmed(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

constexpr char kCannotOpen[] =
    "File cannot be opened.\nMake sure this file is not being accessed by other applications.";
constexpr char kCannotConnect[] =
    "Cannt connect to SMTP server.\nPossible reasons:\n\n1. You are not connected to "
    "Internet.\n2. SMTP address is incorrect.\n3. Timeout when connecting to SMTP.\n\nPlease "
    "try again.";

constexpr char kCheckSettings[] = "Check the server's settings in Options->Settings.";

}  // namespace

std::string connectFailureMessage(ConnectFailure failure, const std::string& reason) {
    switch (failure) {
        case ConnectFailure::None:
        case ConnectFailure::Unreachable: return kCannotConnect;
        case ConnectFailure::SignInNeedsSecurity:
            return "The password is sent only over a secure connection; nothing was sent.\n\n"
                   "Choose STARTTLS or TLS from the start in Options->Settings.";
        case ConnectFailure::NoStartTls:
            return "The SMTP server does not offer STARTTLS.\n\nChoose \"TLS from the start\" or "
                   "another port in Options->Settings, and try again.";
        case ConnectFailure::StartTlsRefused:
            return "The SMTP server refused to secure the connection:\n\n" + reason +
                   "\n\nPlease try again.";
        case ConnectFailure::Handshake:
            return "Cannot make a secure connection to the SMTP server.\nPossible reasons:\n\n"
                   "1. The server does not speak TLS on this port.\n2. The security chosen in "
                   "Options->Settings is not the server's.\n\n" +
                   reason;
        case ConnectFailure::Certificate:
            return "The SMTP server's certificate was refused; nothing was sent.\n\n" + reason +
                   "\n\n" + kCheckSettings;
        case ConnectFailure::NoSignInMethod:
            return "The SMTP server offers no sign-in this program knows (AUTH PLAIN or AUTH "
                   "LOGIN).\n\n" +
                   std::string(kCheckSettings);
        case ConnectFailure::SignInRefused:
            return "The SMTP server refused the sign-in:\n\n" + reason +
                   "\n\nCheck the user name and password in Options->Settings.";
    }
    return kCannotConnect;
}

MailAddress senderOf(std::string_view from) {
    MailAddress sender;
    std::size_t open = from.find('<');
    if (open == std::string_view::npos) {
        sender.address = trimmed(from);
        return sender;
    }
    sender.name = std::string(from.substr(0, open));
    std::size_t close = from.find('>', open);
    sender.address = trimmed(from.substr(
        open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1));
    return sender;
}

bool runSend(const SendRequest& request, SendWindow& window, Network& network,
             SecureChannels& channels) {
    SmtpConnection connection(window, network, channels);
    MailMessage message;
    message.from = senderOf(request.from);
    message.parseRecipients(request.to);
    message.subject = request.subject;
    message.setBody(request.body);
    window.stepProgress();

    // Every file is read and encoded before the server hears from us.
    for (const std::string& path : request.attachments) {
        auto attachment = std::make_unique<MailAttachment>();
        AttachmentLoad loaded = attachment->loadFile(path);
        if (loaded != AttachmentLoad::Ok) {
            window.show(loaded == AttachmentLoad::TooLarge ? attachmentLoadMessage(loaded, path)
                                                           : kCannotOpen);
            return false;
        }
        message.addAttachment(std::move(attachment));
    }

    window.setStatus("Status: Connecting to " + request.server + "...");
    MailServer server;
    if (!parseMailServer(request.server, server, request.port)) {
        window.show(kCannotConnect);
        return false;
    }
    if (!connection.connect(server.host, server.port, request.account,
                            [&](const std::string& status) { window.setStatus(status); })) {
        window.show(connectFailureMessage(connection.failure(), connection.failureReason()));
        return false;
    }
    window.stepProgress();
    window.setStatus("Status: Sending message to server...");
    if (!connection.sendMail(message, &window)) {
        window.show("Failed to send the message.\n\nPlease try again.");
        return false;
    }
    window.setProgress(100);
    window.setStatus("Status: Disconnecting from server...");
    if (window.keepGoing() && !connection.disconnect()) {
        window.show("Failed to disconnect from the server.\n\nPlease try again.");
        return false;
    }
    window.setStatus("Status: Done...");
    window.setProgress(100);
    if (!window.keepGoing())
        window.show("The process is canceled by user.");
    return true;
}

}  // namespace ctlite
