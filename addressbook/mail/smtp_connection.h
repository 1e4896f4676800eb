// The SMTP conversation for one message: the greeting and HELO, MAIL FROM, one
// RCPT TO per recipient, DATA, the message, the end-of-data line and QUIT. With
// security or a sign-in chosen, the greeting is answered with EHLO (HELO when the
// server refuses it), the stream is secured by STARTTLS or from the start, and the
// client signs in with AUTH PLAIN or AUTH LOGIN, only ever over TLS.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// The server setting: "host" or "host:port". A port written in the setting wins over
// `port` (the port setting, 25 unless chosen), so a setting made before the port
// had a place of its own keeps its meaning.
struct MailServer {
    std::string host;
    std::uint16_t port = 25;
};
// False when a port is given but is not a number from 1 to 65535.
bool parseMailServer(std::string_view setting, MailServer& out, std::uint16_t port = 25);

// The values are the ones stored in the settings ("SMTP Security").
enum class MailSecurity : std::uint32_t { None = 0, StartTls = 1, TlsFromStart = 2 };

// How the program reaches its server beyond the host and the port.
struct MailAccount {
    MailSecurity security = MailSecurity::None;
    std::string user;  // empty: no sign-in
    std::string password;

    // Either asks for EHLO; with neither the conversation is the plain HELO one.
    bool extended() const { return security != MailSecurity::None || !user.empty(); }
};

// Why `connect` failed; Unreachable stands for every failure of the plain conversation.
enum class ConnectFailure {
    None,
    Unreachable,
    SignInNeedsSecurity,  // a sign-in is chosen without TLS: nothing was sent
    NoStartTls,           // the server does not offer STARTTLS
    StartTlsRefused,      // it offered it but refused the command
    Handshake,            // the TLS handshake failed
    Certificate,          // the server's certificate did not pass
    NoSignInMethod,       // neither AUTH PLAIN nor AUTH LOGIN is offered
    SignInRefused,        // the server refused the name or the password
};

// Each step of `connect` beyond the TCP connection, as a status text.
using ConnectSteps = std::function<void(const std::string& status)>;

class SmtpConnection {
public:
    static constexpr int kReplyTimeoutMs = 20000;
    static constexpr std::size_t kChunk = 2048;

    explicit SmtpConnection(MailNotices& notices, Network& network = systemNetwork(),
                            SecureChannels& channels = systemSecureChannels());
    ~SmtpConnection();
    SmtpConnection(const SmtpConnection&) = delete;
    SmtpConnection& operator=(const SmtpConnection&) = delete;

    // True when the greeting was 220 and HELO got 250. With an extended account:
    // the stream secured as chosen, EHLO (or HELO) answered, and the sign-in
    // accepted. On false, failure() says why.
    bool connect(const std::string& host, std::uint16_t port = 25, const MailAccount& account = {},
                 const ConnectSteps& steps = {});
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
    bool secured() const { return secured_; }
    ConnectFailure failure() const { return failure_; }
    // The certificate's problem or the server's refusal behind failure().
    const std::string& failureReason() const { return failureReason_; }
    int lastReplyCode() const { return lastReplyCode_; }
    // The last reply's lines, joined by "\r\n".
    const std::string& lastReply() const { return lastReply_; }

    // The longest idle wait for a reply, and the pause before the greeting is read.
    void setReplyTimeout(int milliseconds) { replyTimeoutMs_ = milliseconds; }
    void setGreetingPause(int milliseconds) { greetingPauseMs_ = milliseconds; }

private:
    bool sendCommand(const std::string& command) { return sendText(command); }
    void close();
    bool fail(ConnectFailure why, std::string reason = {});
    // EHLO, or HELO when `extended` is false or the server refuses EHLO.
    bool greet(bool extended);
    bool offers(std::string_view keyword) const;
    bool offersSignIn(std::string_view mechanism) const;
    bool secure(const std::string& host);
    bool signIn(const MailAccount& account);

    MailNotices& notices_;
    Network& network_;
    SecureChannels& channels_;
    std::unique_ptr<StreamSocket> socket_;
    bool connected_ = false;
    bool secured_ = false;
    ConnectFailure failure_ = ConnectFailure::None;
    std::string failureReason_;
    std::vector<std::string> extensions_;  // the EHLO reply's keyword lines, upper case
    int replyTimeoutMs_ = kReplyTimeoutMs;
    int greetingPauseMs_ = 1000;
    int lastReplyCode_ = 0;
    std::string lastReply_;
    std::string pending_;  // bytes that arrived after the last reply's end
};

}  // namespace ctlite
