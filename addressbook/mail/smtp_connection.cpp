#include "addressbook/mail/smtp_connection.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "addressbook/mail/mime_text.h"
#include "platform/windows1252.h"

namespace ctlite {
namespace {

// A reply line longer than this is read to its end but kept only this long.
constexpr std::size_t kReplyLineKept = 999;
// The lines of a long multi-line reply are read to its end but kept only this far.
constexpr std::size_t kReplyKept = 8192;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Base64 on one line, as AUTH takes it.
std::string base64(std::string_view bytes) {
    std::string text = base64Lines(bytes);
    std::string out;
    for (char c : text)
        if (c != '\r' && c != '\n')
            out += c;
    return out;
}

constexpr char kSecuring[] = "Status: Securing the connection...";
constexpr char kSigningIn[] = "Status: Signing in...";

}  // namespace

bool parseMailServer(std::string_view setting, MailServer& out, std::uint16_t port) {
    std::size_t colon = setting.rfind(':');
    out.host = std::string(setting.substr(0, colon));
    out.port = port ? port : 25;
    if (colon == std::string_view::npos)
        return true;
    std::string_view digits = setting.substr(colon + 1);
    unsigned long written = 0;
    for (char c : digits) {
        if (!isDigit(c) || written > 65535)
            return false;
        written = written * 10 + static_cast<unsigned long>(c - '0');
    }
    if (digits.empty() || written == 0 || written > 65535)
        return false;
    out.port = static_cast<std::uint16_t>(written);
    return true;
}

SmtpConnection::SmtpConnection(MailNotices& notices, Network& network, SecureChannels& channels)
    : notices_(notices), network_(network), channels_(channels) {}

SmtpConnection::~SmtpConnection() {
    if (connected_)
        disconnect();
    close();
}

void SmtpConnection::close() {
    socket_.reset();
    connected_ = false;
    secured_ = false;
    pending_.clear();
}

bool SmtpConnection::fail(ConnectFailure why, std::string reason) {
    failure_ = why;
    failureReason_ = std::move(reason);
    if (connected_)
        disconnect();
    close();
    return false;
}

bool SmtpConnection::connect(const std::string& host, std::uint16_t port,
                             const MailAccount& account, const ConnectSteps& steps) {
    close();
    failure_ = ConnectFailure::Unreachable;
    failureReason_.clear();
    extensions_.clear();
    auto step = [&](const char* status) {
        if (steps)
            steps(status);
    };
    // A password goes over TLS or not at all: refused before a byte is sent.
    if (!account.user.empty() && account.security == MailSecurity::None)
        return fail(ConnectFailure::SignInNeedsSecurity);
    socket_ = network_.connect(host, port);
    if (!socket_)
        return false;
    if (account.security == MailSecurity::TlsFromStart) {
        step(kSecuring);
        if (!secure(host))
            return false;
    }
    connected_ = true;
    if (greetingPauseMs_ > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(greetingPauseMs_));
    if (!readReply(220) || !greet(account.extended()))
        return fail(ConnectFailure::Unreachable);
    if (account.security == MailSecurity::StartTls) {
        if (!offers("STARTTLS"))
            return fail(ConnectFailure::NoStartTls);
        step(kSecuring);
        if (!sendCommand("STARTTLS\r\n"))
            return fail(ConnectFailure::Unreachable);
        if (!readReply(220))
            return fail(
                lastReplyCode_ ? ConnectFailure::StartTlsRefused : ConnectFailure::Unreachable,
                lastReply_);
        // What the server offered before TLS counts for nothing after it.
        extensions_.clear();
        if (!secure(host))
            return false;
        if (!greet(true))
            return fail(ConnectFailure::Unreachable);
    }
    if (!account.user.empty()) {
        step(kSigningIn);
        if (!signIn(account))
            return false;
    }
    failure_ = ConnectFailure::None;
    return true;
}

bool SmtpConnection::greet(bool extended) {
    const std::string name = network_.localHostName();
    if (extended) {
        if (!sendCommand("EHLO " + name + "\r\n"))
            return false;
        if (readReply(250)) {
            // Each line after the first names one extension: "AUTH PLAIN LOGIN", "STARTTLS".
            std::size_t at = lastReply_.find("\r\n");
            while (at != std::string::npos) {
                std::size_t next = lastReply_.find("\r\n", at + 2);
                std::string line = lastReply_.substr(
                    at + 2, next == std::string::npos ? std::string::npos : next - at - 2);
                std::string keywords = line.size() > 4 ? line.substr(4) : std::string();
                for (char& c : keywords)
                    c = upper(c);
                extensions_.push_back(keywords);
                at = next;
            }
            return true;
        }
        // A server that answered but does not know EHLO is asked the old way.
        if (!socket_ || lastReplyCode_ == 0)
            return false;
    }
    return sendCommand("HELO " + name + "\r\n") && readReply(250);
}

bool SmtpConnection::offers(std::string_view keyword) const {
    for (const std::string& line : extensions_)
        if (line.compare(0, keyword.size(), keyword) == 0 &&
            (line.size() == keyword.size() || line[keyword.size()] == ' '))
            return true;
    return false;
}

// "AUTH PLAIN LOGIN", or the older "AUTH=PLAIN LOGIN" some servers still send.
bool SmtpConnection::offersSignIn(std::string_view mechanism) const {
    for (const std::string& line : extensions_) {
        if (line.compare(0, 5, "AUTH ") != 0 && line.compare(0, 5, "AUTH=") != 0)
            continue;
        std::size_t at = 5;
        while (at < line.size()) {
            std::size_t end = line.find(' ', at);
            if (end == std::string::npos)
                end = line.size();
            if (std::string_view(line).substr(at, end - at) == mechanism)
                return true;
            at = end + 1;
        }
    }
    return false;
}

bool SmtpConnection::secure(const std::string& host) {
    // Bytes that came before the handshake were not protected by it: they go.
    pending_.clear();
    SecureChannels::Outcome outcome = channels_.secure(std::move(socket_), host);
    if (!outcome.stream) {
        connected_ = false;  // the stream is gone: nothing more is said on it
        return fail(outcome.failure == SecureChannels::Failure::Certificate
                        ? ConnectFailure::Certificate
                        : ConnectFailure::Handshake,
                    outcome.reason);
    }
    socket_ = std::move(outcome.stream);
    secured_ = true;
    return true;
}

// The name and password go as UTF-8, as RFC 4616 asks; plain ASCII is unchanged.
bool SmtpConnection::signIn(const MailAccount& account) {
    if (!secured_)
        return fail(ConnectFailure::SignInNeedsSecurity);
    const std::string user = platform::utf8FromCp1252(account.user);
    const std::string password = platform::utf8FromCp1252(account.password);
    bool sent = false;
    if (offersSignIn("PLAIN")) {
        sent = sendCommand("AUTH PLAIN " + base64(std::string(1, '\0') + user + '\0' + password) +
                           "\r\n") &&
               readReply(235);
    } else if (offersSignIn("LOGIN")) {
        sent = sendCommand("AUTH LOGIN\r\n") && readReply(334) &&
               sendCommand(base64(user) + "\r\n") && readReply(334) &&
               sendCommand(base64(password) + "\r\n") && readReply(235);
    } else {
        return fail(ConnectFailure::NoSignInMethod);
    }
    if (sent)
        return true;
    return fail(lastReplyCode_ ? ConnectFailure::SignInRefused : ConnectFailure::Unreachable,
                lastReply_);
}

bool SmtpConnection::disconnect() {
    bool said = false;
    if (connected_ && socket_)
        said = sendCommand("QUIT\r\n") && readReply(221);
    close();
    return said;
}

bool SmtpConnection::readReply(int expected) {
    lastReplyCode_ = 0;
    lastReply_.clear();
    if (!socket_)
        return false;
    std::string line;
    bool lineCut = false;
    for (;;) {
        std::size_t end = pending_.find("\r\n");
        if (end == std::string::npos) {
            // Keep only the start of an overlong line; its end is still looked for.
            if (pending_.size() > kReplyLineKept + 1) {
                if (!lineCut)
                    line = pending_.substr(0, kReplyLineKept);
                lineCut = true;
                pending_.erase(0, pending_.size() - 1);
            }
            char buffer[4096];
            std::size_t got = 0;
            switch (socket_->waitReadable(replyTimeoutMs_)) {
                case StreamSocket::Wait::Failed: return false;
                case StreamSocket::Wait::TimedOut:
                    notices_.show("Timed out\n\nPlease try again");
                    return false;
                case StreamSocket::Wait::Readable: break;
            }
            if (!socket_->receive(buffer, sizeof buffer, got))
                return false;
            if (got == 0) {
                close();  // the server has gone: nothing more to say to it
                return false;
            }
            pending_.append(buffer, got);
            continue;
        }
        if (!lineCut)
            line = pending_.substr(0, end < kReplyLineKept ? end : kReplyLineKept);
        pending_.erase(0, end + 2);
        lineCut = false;
        if (lastReply_.size() < kReplyKept) {
            if (!lastReply_.empty())
                lastReply_ += "\r\n";
            lastReply_ += line;
        }
        // "250-..." lines continue the reply; "250 ..." or a bare "250" ends it.
        bool continues = line.size() >= 4 && line[3] == '-';
        if (!continues)
            break;
    }
    if (line.size() >= 3 && isDigit(line[0]) && isDigit(line[1]) && isDigit(line[2]))
        lastReplyCode_ = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
    return lastReplyCode_ == expected;
}

bool SmtpConnection::sendText(std::string_view text, std::size_t total, SendProgress* progress) {
    if (!socket_)
        return false;
    std::size_t offset = 0;
    bool keepGoing = true;
    std::size_t sentTotal = 0;
    do {
        std::size_t chunk = text.size() - offset < kChunk ? text.size() - offset : kChunk;
        std::size_t done = 0;
        while (done < chunk) {
            std::size_t sent = 0;
            if (!socket_->send(text.data() + offset + done, chunk - done, sent)) {
                notices_.show("SOCKET_ERROR HELO");
                return false;
            }
            done += sent;
        }
        offset += chunk;
        if (progress) {
            sentTotal += chunk;
            double share = total ? static_cast<double>(sentTotal) / total * 100.0 : 100.0;
            char status[64];
            std::snprintf(status, sizeof status, "Sending Attachments: %.0f%%", share);
            progress->report(static_cast<int>(share), status);
            keepGoing = progress->keepGoing();
        }
        if (chunk < kChunk)
            break;
    } while (offset < text.size() && keepGoing);
    return true;
}

bool SmtpConnection::sendMail(MailMessage& message, SendProgress* progress) {
    if (!sendCommand("MAIL FROM:<" + message.from.address + ">\r\n")) {
        notices_.show("failed in MAIL");
        return false;
    }
    if (!readReply(250)) {
        notices_.show("Failed in call to send MAIL command");
        return false;
    }
    for (const MailAddress& recipient : message.recipients) {
        if (!sendCommand("RCPT TO:<" + recipient.address + ">\r\n")) {
            notices_.show("Failed in call to send REPT command");
            return false;
        }
        if (!readReply(250)) {
            notices_.show("Failed RCPT");
            return false;
        }
    }
    bool multipart = message.hasAttachments();
    if (!sendCommand("DATA\r\n") || !readReply(354))
        return false;
    if (!sendText(message.buildHeader())) {
        notices_.show("Failed in call to send header");
        return false;
    }
    std::string text = dotStuffed(message.textPart());
    // The end of data is a line with a lone "."; it follows the last line's end.
    bool endsLine = text.empty() || text.compare(text.size() - 1, 1, "\n") == 0;
    if (!sendText(text)) {
        notices_.show(multipart ? "Failed in call to send body header"
                                : "Failed in call to send header");
        return false;
    }
    auto& attachments = message.attachments();
    while (!attachments.empty()) {
        MailAttachment& attachment = *attachments.front();
        if (!sendText(attachment.partHeader()) ||
            !sendText(attachment.encoded(), attachment.encodedLength(), progress))
            return false;
        attachments.erase(attachments.begin());
        if (progress && !progress->keepGoing())
            break;
    }
    if (multipart && !sendText(std::string("\r\n--") + MailMessage::kBoundary + "--"))
        return false;
    if (progress && !progress->keepGoing()) {
        close();
        return true;
    }
    if (!sendText(endsLine && !multipart ? ".\r\n" : "\r\n.\r\n"))
        return false;
    if (!readReply(250)) {
        notices_.show("Failed in call to sen");
        return false;
    }
    return true;
}

}  // namespace ctlite
