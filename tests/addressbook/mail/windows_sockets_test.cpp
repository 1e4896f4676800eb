// The conversation over Windows Sockets, against a small server in the same process.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "addressbook/mail/smtp_connection.h"

namespace ctlite {
namespace {

struct Notices : MailNotices {
    void show(const std::string& text) override { shown += text; }
    std::string shown;
};

// Answers one client: a two-line greeting, then a reply to each command line.
void serveOne(SOCKET listener, std::string& heard) {
    SOCKET peer = accept(listener, nullptr, nullptr);
    if (peer == INVALID_SOCKET)
        return;
    auto say = [&](const char* text) { send(peer, text, static_cast<int>(strlen(text)), 0); };
    say("220-Windows Sockets\r\n220 ready\r\n");
    std::string pending;
    char buffer[512];
    int n;
    while ((n = recv(peer, buffer, sizeof buffer, 0)) > 0) {
        pending.append(buffer, n);
        for (std::size_t end; (end = pending.find("\r\n")) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 2);
            heard += line.substr(0, 4) + ";";
            say(line.rfind("QUIT", 0) == 0 ? "221 bye\r\n" : "250 ok\r\n");
        }
    }
    closesocket(peer);
}

TEST(WindowsSockets, GreetingHeloAndQuit) {
    Notices notices;
    SmtpConnection smtp(notices);  // starts Windows Sockets
    smtp.setGreetingPause(0);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_NE(listener, INVALID_SOCKET);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    int size = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), size), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    std::string heard;
    std::thread server(serveOne, listener, std::ref(heard));

    EXPECT_TRUE(smtp.connect("127.0.0.1", ntohs(address.sin_port)));
    EXPECT_TRUE(smtp.disconnect());
    server.join();
    closesocket(listener);
    EXPECT_EQ(heard, "HELO;QUIT;");
    EXPECT_EQ(notices.shown, "");
}

}  // namespace
}  // namespace ctlite
