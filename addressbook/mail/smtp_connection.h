// The SMTP conversation for one message: the greeting and HELO, MAIL FROM, one
// RCPT TO per recipient, DATA, the message, the end-of-data line and QUIT; no
// authentication and no service extensions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "addressbook/mail/mail_message.h"
#include "addressbook/mail/network.h"

namespace ctlite {

// Where the conversation shows its failures (message boxes in the program).
class MailNotices {
public:
    virtual ~MailNotices() = default;
    virtual void show(const std::string& text) = 0;
};

// The "Sending..." window as the conversation sees it.
class SendProgress {
public:
    virtual ~SendProgress() = default;
    // `percent` of the attachment data sent, and the status line that says so.
    virtual void report(int percent, const std::string& status) = 0;
    // Cleared when the user cancels.
    virtual bool keepGoing() = 0;
};

// The server setting: "host" (port 25) or "host:port".
struct MailServer {
    std::string host;
    std::uint16_t port = 25;
};
// False when a port is given but is not a number from 1 to 65535.
bool parseMailServer(std::string_view setting, MailServer& out);

class SmtpConnection {
public:
    static constexpr int kReplyTimeoutMs = 20000;
    static constexpr std::size_t kChunk = 2048;

    explicit SmtpConnection(MailNotices& notices, Network& network = systemNetwork());
    ~SmtpConnection();
    SmtpConnection(const SmtpConnection&) = delete;
    SmtpConnection& operator=(const SmtpConnection&) = delete;

    // True when the greeting was 220 and HELO got 250.
    bool connect(const std::string& host, std::uint16_t port = 25);
    // True when QUIT got 221; false also when not connected. Closes the socket.
    bool disconnect();
    // True when the server accepted the message, or when the user cancelled (then
    // the end-of-data line is never sent and the connection is closed).
    bool sendMail(MailMessage& message, SendProgress* progress);
    // Reads one whole reply, of one line or of several ("250-..." lines up to the
    // "250 ..." one); true when its code is `expected`.
    bool readReply(int expected);
    // Sends `text` in chunks of kChunk bytes; with a progress window, reports after
    // each chunk the share of `total` sent so far and stops early when the user
    // cancels. False when the socket refused data.
    bool sendText(std::string_view text, std::size_t total = 0, SendProgress* progress = nullptr);

    bool connected() const { return connected_; }
    int lastReplyCode() const { return lastReplyCode_; }
    // The last reply's lines, joined by "\r\n".
    const std::string& lastReply() const { return lastReply_; }

    // The longest idle wait for a reply, and the pause before the greeting is read.
    void setReplyTimeout(int milliseconds) { replyTimeoutMs_ = milliseconds; }
    void setGreetingPause(int milliseconds) { greetingPauseMs_ = milliseconds; }

private:
    bool sendCommand(const std::string& command) { return sendText(command); }
    void close();

    MailNotices& notices_;
    Network& network_;
    std::unique_ptr<StreamSocket> socket_;
    bool connected_ = false;
    int replyTimeoutMs_ = kReplyTimeoutMs;
    int greetingPauseMs_ = 1000;
    int lastReplyCode_ = 0;
    std::string lastReply_;
    std::string pending_;  // bytes that arrived after the last reply's end
};

}  // namespace ctlite
