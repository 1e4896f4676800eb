// The conversation against real servers on loopback: aiosmtpd, whose messages are
// parsed by Python's email package, and scripted servers for faults.
#include "addressbook/mail/smtp_connection.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "platform/windows1252.h"
#include "tests/support/temp_dir.h"

namespace ctlite {
namespace {

using testing_support::readBytes;
using testing_support::TempDir;

// One smtp_peer.py server, stopped with the object.
class Peer {
public:
    Peer(const std::string& mode, const std::string& folder) {
        std::string command = "exec /usr/bin/python3 " SMTP_PEER " " + mode + " " + folder;
        pipe_ = popen(command.c_str(), "r");
        char line[128] = {};
        if (pipe_ && std::fgets(line, sizeof line, pipe_)) {
            std::string first = line;
            if (first.rfind("NO-AIOSMTPD", 0) == 0)
                missingAiosmtpd = true;
            else
                std::sscanf(line, "%hu %d", &port, &pid_);
        }
    }
    ~Peer() {
        if (pid_ > 0)
            kill(pid_, SIGTERM);
        if (pipe_)
            pclose(pipe_);
    }

    std::uint16_t port = 0;
    bool missingAiosmtpd = false;

private:
    FILE* pipe_ = nullptr;
    int pid_ = 0;
};

bool waitFor(const std::function<bool()>& condition) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool exists(const std::string& path) {
    return std::ifstream(path).good();
}

class Notices : public MailNotices {
public:
    void show(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

// Cancels at the report that reaches `cancelAt` percent.
class Progress : public SendProgress {
public:
    void report(int percent, const std::string& status) override {
        lastStatus = status;
        if (percent >= cancelAt)
            going = false;
    }
    bool keepGoing() override { return going; }
    int cancelAt = 1000;
    bool going = true;
    std::string lastStatus;
};

// TLS as the conversation sees it, without the encryption: the plain stream goes on
// as it was (the "auth" peers' STARTTLS carries on in plain text too), or the
// handshake fails as told.
class StandInChannels : public SecureChannels {
public:
    Outcome secure(std::unique_ptr<StreamSocket> plain, const std::string& host) override {
        hosts.push_back(host);
        if (failure != Failure::None)
            return {nullptr, failure, "The certificate is not trusted."};
        return {std::move(plain), Failure::None, {}};
    }
    Failure failure = Failure::None;
    std::vector<std::string> hosts;
};

// Counts the connections asked for.
class CountingNetwork : public Network {
public:
    std::unique_ptr<StreamSocket> connect(const std::string& host, std::uint16_t port) override {
        ++connections;
        return systemNetwork().connect(host, port);
    }
    std::string localHostName() override { return systemNetwork().localHostName(); }
    int connections = 0;
};

class Conversation : public testing::Test {
protected:
    void startPeer(const std::string& mode) {
        peer_ = std::make_unique<Peer>(mode, dir_.path());
        if (peer_->missingAiosmtpd)
            GTEST_SKIP() << "python3-aiosmtpd is not installed (apt-get install python3-aiosmtpd)";
        ASSERT_NE(peer_->port, 0) << "smtp_peer.py " << mode << " did not start";
        smtp_.setGreetingPause(0);
    }
    MailMessage message(const std::string& body) {
        MailMessage m;
        m.from = {"Me", "me@example.org"};
        m.parseRecipients(
            "Ann <a@example.org>,\"Smith, John\" <j@example.org>, b@example.org,"
            "Zo\xeb <z@example.org>");
        m.subject = "Greetings";
        m.setBody(body);
        return m;
    }
    nlohmann::json delivered(int n) {
        std::string path = dir_.file(std::to_string(n) + ".json");
        EXPECT_TRUE(waitFor([&] { return exists(path); })) << "no message " << n;
        return nlohmann::json::parse(readBytes(path));
    }
    std::string closedLog() {
        return exists(dir_.file("closed.log")) ? readBytes(dir_.file("closed.log")) : "";
    }

    TempDir dir_;
    std::unique_ptr<Peer> peer_;
    Notices notices_;
    CountingNetwork network_;
    StandInChannels channels_;
    SmtpConnection smtp_{notices_, network_, channels_};
};

struct DeliveryCase {
    const char* name;
    std::string subject;
    std::string body;  // as typed, Windows-1252; the reader's program shows the same
    std::vector<std::size_t> attachmentSizes;
};

class Delivery : public Conversation, public testing::WithParamInterface<DeliveryCase> {};

TEST_P(Delivery, TheReaderGetsWhatWasWritten) {
    startPeer("store");
    const DeliveryCase& c = GetParam();
    MailMessage m = message(c.body);
    m.subject = c.subject;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < c.attachmentSizes.size(); ++i) {
        std::string bytes(c.attachmentSizes[i], '\0');
        for (std::size_t k = 0; k < bytes.size(); ++k)
            bytes[k] = static_cast<char>((k * 7919 + i) >> 3);
        std::string path = dir_.file(
            "pi\xe8"
            "ce " +
            std::to_string(i) + ".bin");
        testing_support::writeBytes(path, bytes);
        files.push_back(bytes);
        auto attachment = std::make_unique<MailAttachment>();
        ASSERT_EQ(attachment->loadFile(path), AttachmentLoad::Ok);
        m.addAttachment(std::move(attachment));
    }
    ASSERT_TRUE(smtp_.connect("127.0.0.1", peer_->port));
    Progress progress;
    ASSERT_TRUE(smtp_.sendMail(m, &progress));
    EXPECT_TRUE(smtp_.disconnect());
    EXPECT_TRUE(notices_.shown.empty());

    nlohmann::json got = delivered(0);
    EXPECT_EQ(got["rcpt_tos"],
              nlohmann::json({"a@example.org", "j@example.org", "b@example.org", "z@example.org"}));
    EXPECT_EQ(got["to"], nlohmann::json::parse(R"([["Ann","a@example.org"],
        ["Smith, John","j@example.org"],["","b@example.org"],["Zoë","z@example.org"]])"));
    EXPECT_EQ(got["subject"], platform::utf8FromCp1252(c.subject));
    EXPECT_TRUE(got["date_ok"].get<bool>());
    EXPECT_TRUE(got["has_message_id"].get<bool>());
    EXPECT_EQ(got["body"], platform::utf8FromCp1252(c.body));
    ASSERT_EQ(got["attachments"].size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(got["attachments"][i], "pièce " + std::to_string(i) + ".bin");
        EXPECT_TRUE(readBytes(dir_.file("0." + std::to_string(i) + ".bin")) == files[i])
            << "attachment " << i << " differs";
    }
    if (!files.empty()) {
        EXPECT_EQ(progress.lastStatus, "Sending Attachments: 100%");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, Delivery,
    testing::Values(DeliveryCase{"Dots", "Dots", ".first\n..second\nend\n", {}},
                    DeliveryCase{"LoneDot", "One dot", ".\n", {}},
                    DeliveryCase{"EightBit",
                                 "Gr\xfc\xdf"
                                 "e \x80",
                                 "5 \x80 = x, \xe0 bient\xf4t\n",
                                 {}},
                    DeliveryCase{"LongLine", "Long", std::string(3000, 'w') + "\n", {}},
                    DeliveryCase{"Attachments", "Files", ".dot\n", {0, 57, 1 << 20}},
                    DeliveryCase{"TenMegabytes", "Big", "See attached.\n", {10 << 20}}),
    [](const testing::TestParamInfo<DeliveryCase>& p) { return p.param.name; });

TEST_F(Conversation, CancelDuringTheLastChunkDeliversNothingAndSucceeds) {
    startPeer("store");
    MailMessage m = message("Text\n");
    testing_support::writeBytes(dir_.file("a.bin"), std::string(10000, 'a'));
    auto attachment = std::make_unique<MailAttachment>();
    ASSERT_EQ(attachment->loadFile(dir_.file("a.bin")), AttachmentLoad::Ok);
    m.addAttachment(std::move(attachment));
    Progress progress;
    progress.cancelAt = 100;
    ASSERT_TRUE(smtp_.connect("127.0.0.1", peer_->port));
    EXPECT_TRUE(smtp_.sendMail(m, &progress));
    EXPECT_FALSE(smtp_.connected());
    ASSERT_TRUE(waitFor([&] { return !closedLog().empty(); }));
    EXPECT_FALSE(exists(dir_.file("0.json")));
}

struct SignInCase {
    const char* name;
    const char* mode;
    MailAccount account;
    SecureChannels::Failure channel;
    ConnectFailure failure;
    const char* reason;  // how failureReason() starts
    const char* login;   // the sign-in the server took with the message; "" for none
};

class SignIn : public Conversation, public testing::WithParamInterface<SignInCase> {};

TEST_P(SignIn, OnlyOverTlsAndAsTheServerOffers) {
    const SignInCase& c = GetParam();
    startPeer(c.mode);
    channels_.failure = c.channel;
    std::vector<std::string> steps;
    bool connected = smtp_.connect("127.0.0.1", peer_->port, c.account,
                                   [&](const std::string& status) { steps.push_back(status); });
    EXPECT_EQ(smtp_.failure(), c.failure);
    EXPECT_EQ(smtp_.failureReason().rfind(c.reason, 0), 0u) << smtp_.failureReason();
    if (c.failure == ConnectFailure::SignInNeedsSecurity)
        EXPECT_EQ(network_.connections, 0);
    else
        EXPECT_EQ(channels_.hosts, std::vector<std::string>{"127.0.0.1"});
    if (!connected) {
        EXPECT_FALSE(smtp_.connected());
        return;
    }
    EXPECT_EQ(steps.front(), "Status: Securing the connection...");
    EXPECT_EQ(steps.size(), c.account.user.empty() ? 1u : 2u);
    MailMessage m = message("Text\n");
    ASSERT_TRUE(smtp_.sendMail(m, nullptr));
    EXPECT_TRUE(smtp_.disconnect());
    nlohmann::json got = delivered(0);
    EXPECT_TRUE(got["secured"].get<bool>());
    EXPECT_EQ(got["login"].is_null() ? "" : got["login"].get<std::string>(), c.login);
}

const MailAccount kStartTls{MailSecurity::StartTls, "me", "s3cret"};
constexpr auto kTrusted = SecureChannels::Failure::None;

INSTANTIATE_TEST_SUITE_P(
    Peers, SignIn,
    testing::Values(
        SignInCase{"Plain", "auth", kStartTls, kTrusted, ConnectFailure::None, "", "me"},
        SignInCase{"Login", "auth-login", kStartTls, kTrusted, ConnectFailure::None, "", "me"},
        SignInCase{"SecuredWithoutSignIn",
                   "auth",
                   {MailSecurity::StartTls, "", ""},
                   kTrusted,
                   ConnectFailure::None,
                   "",
                   ""},
        SignInCase{"WrongPassword",
                   "auth",
                   {MailSecurity::StartTls, "me", "guess"},
                   kTrusted,
                   ConnectFailure::SignInRefused,
                   "535",
                   ""},
        SignInCase{"WrongPasswordByLogin",
                   "auth-login",
                   {MailSecurity::StartTls, "me", "guess"},
                   kTrusted,
                   ConnectFailure::SignInRefused,
                   "535",
                   ""},
        SignInCase{"CertificateRefused", "auth", kStartTls, SecureChannels::Failure::Certificate,
                   ConnectFailure::Certificate, "The certificate is not trusted.", ""},
        SignInCase{"NeverWithoutTls",
                   "auth",
                   {MailSecurity::None, "me", "s3cret"},
                   kTrusted,
                   ConnectFailure::SignInNeedsSecurity,
                   "",
                   ""}),
    [](const testing::TestParamInfo<SignInCase>& p) { return p.param.name; });

// A server that refuses EHLO is asked with HELO, and then offers no STARTTLS: the
// client goes no further, and nothing of the sign-in is sent.
TEST_F(Conversation, EhloRefusedFallsBackToHeloAndNeverSignsInWithoutStartTls) {
    startPeer("no-ehlo");
    smtp_.setReplyTimeout(5000);
    EXPECT_FALSE(smtp_.connect("127.0.0.1", peer_->port, kStartTls));
    EXPECT_EQ(smtp_.failure(), ConnectFailure::NoStartTls);
    ASSERT_TRUE(waitFor([&] { return !closedLog().empty(); }));
    std::string received = readBytes(dir_.file("received.txt"));
    std::string host = systemNetwork().localHostName();
    EXPECT_EQ(received, "EHLO " + host + "\r\nHELO " + host + "\r\nQUIT\r\n");
    EXPECT_TRUE(channels_.hosts.empty());
}

// A reply that arrived with STARTTLS's, before the handshake, is not the server's
// over TLS: the EHLO after the handshake reads the server's real answer.
TEST_F(Conversation, RepliesSentBeforeTheHandshakeAreDropped) {
    startPeer("inject");
    EXPECT_TRUE(smtp_.connect("127.0.0.1", peer_->port, kStartTls)) << smtp_.lastReply();
    smtp_.disconnect();
    ASSERT_TRUE(waitFor([&] { return !closedLog().empty(); }));
    std::string received = readBytes(dir_.file("received.txt"));
    EXPECT_NE(received.find("STARTTLS\r\nEHLO "), std::string::npos) << received;
    EXPECT_NE(received.find("AUTH PLAIN "), std::string::npos) << received;
}

struct FaultCase {
    const char* mode;
    bool connects;
    bool sends;
    std::vector<std::string> notices;
    const char* lastCommand;  // how the last line the server received starts
};

class Faults : public Conversation, public testing::WithParamInterface<FaultCase> {};

TEST_P(Faults, EachEndsAsThePeerDecides) {
    const FaultCase& c = GetParam();
    startPeer(c.mode);
    smtp_.setReplyTimeout(300);
    MailMessage m = message("Text\n");
    std::clock_t before = std::clock();
    bool connected = smtp_.connect("127.0.0.1", peer_->port);
    EXPECT_EQ(connected, c.connects);
    if (connected) {
        EXPECT_EQ(smtp_.sendMail(m, nullptr), c.sends);
    }
    smtp_.disconnect();
    // Waiting for a reply (twice 300 ms for the silent peer) leaves the processor free.
    EXPECT_LT(std::clock() - before, CLOCKS_PER_SEC / 5);
    EXPECT_EQ(notices_.shown, c.notices);
    ASSERT_TRUE(waitFor([&] { return !closedLog().empty(); }));
    std::string received = readBytes(dir_.file("received.txt"));
    std::size_t last = received.rfind("\r\n", received.size() - 3);
    std::string lastLine = received.substr(last == std::string::npos ? 0 : last + 2);
    EXPECT_EQ(lastLine.rfind(c.lastCommand, 0), 0u) << lastLine;
}

INSTANTIATE_TEST_SUITE_P(
    Peers, Faults,
    testing::Values(FaultCase{"greet421", false, false, {}, "QUIT\r\n"},
                    FaultCase{"multiline", true, true, {}, "QUIT\r\n"},
                    FaultCase{"long-line", true, true, {}, "QUIT\r\n"},
                    FaultCase{"close", false, false, {}, "HELO "},
                    FaultCase{"silent",
                              false,
                              false,
                              {"Timed out\n\nPlease try again", "Timed out\n\nPlease try again"},
                              "QUIT\r\n"},
                    FaultCase{"reject-data", true, false, {"Failed in call to sen"}, "QUIT\r\n"}),
    [](const testing::TestParamInfo<FaultCase>& p) {
        std::string name = p.param.mode;
        name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
        return name;
    });

}  // namespace
}  // namespace ctlite
