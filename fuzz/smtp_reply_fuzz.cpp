// Any bytes as a server's replies, arriving in pieces the input chooses: reading
// never crashes or hangs, and each reply's code is the one its last line starts with.
// An odd first byte greets with EHLO, asks for STARTTLS (through a channel that
// passes the bytes on) and signs in, so the server's extensions are read too.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "addressbook/mail/smtp_connection.h"

using namespace ctlite;

namespace {

// Hands out the input a few bytes at a time, then reports the peer's close.
class ScriptedSocket final : public StreamSocket {
public:
    explicit ScriptedSocket(std::string_view bytes) : bytes_(bytes) {}
    bool send(const char*, std::size_t size, std::size_t& sent) override {
        sent = size;
        return true;
    }
    Wait waitReadable(int) override { return Wait::Readable; }
    bool receive(char* buffer, std::size_t size, std::size_t& got) override {
        std::size_t piece = bytes_.empty() ? 0 : 1 + static_cast<unsigned char>(bytes_[0]) % 64;
        got = piece < bytes_.size() ? piece : bytes_.size();
        got = got < size ? got : size;
        bytes_.copy(buffer, got);
        bytes_.remove_prefix(got);
        return true;
    }

private:
    std::string_view bytes_;
};

class ScriptedNetwork final : public Network {
public:
    explicit ScriptedNetwork(std::string_view bytes) : bytes_(bytes) {}
    std::unique_ptr<StreamSocket> connect(const std::string&, std::uint16_t) override {
        return std::make_unique<ScriptedSocket>(bytes_);
    }
    std::string localHostName() override { return "fuzz"; }

private:
    std::string_view bytes_;
};

class PassOn final : public SecureChannels {
public:
    Outcome secure(std::unique_ptr<StreamSocket> plain, const std::string&) override {
        return {std::move(plain), Failure::None, {}};
    }
};

class Quiet final : public MailNotices {
public:
    void show(const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ScriptedNetwork network(std::string_view(reinterpret_cast<const char*>(data), size));
    Quiet quiet;
    PassOn channels;
    SmtpConnection smtp(quiet, network, channels);
    smtp.setGreetingPause(0);
    smtp.setReplyTimeout(0);
    MailAccount account;
    if (size > 0 && (data[0] & 1))
        account = {MailSecurity::StartTls, "me", "pw"};
    if (!smtp.connect("fuzz", 25, account))
        return 0;
    for (int i = 0; i < 64; ++i) {
        smtp.readReply(250);
        const std::string& reply = smtp.lastReply();
        std::size_t lastLine = reply.rfind("\r\n");
        std::string last = lastLine == std::string::npos ? reply : reply.substr(lastLine + 2);
        char code[8];
        std::snprintf(code, sizeof code, "%03d", smtp.lastReplyCode());
        if (smtp.lastReplyCode() != 0 && reply.size() < 8000 && last.substr(0, 3) != code)
            std::abort();
        if (reply.empty() && smtp.lastReplyCode() == 0)
            break;
    }
    return 0;
}
