// Windows Sockets implementation of the mail client's sockets.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

#include "addressbook/mail/network.h"

namespace ctlite {
namespace {

class WinSocket final : public StreamSocket {
public:
    explicit WinSocket(SOCKET s) : socket_(s) {}
    ~WinSocket() override { closesocket(socket_); }

    bool send(const char* data, std::size_t size, std::size_t& sent) override {
        int chunk = static_cast<int>(size > 0x40000000 ? 0x40000000 : size);
        int n = ::send(socket_, data, chunk, 0);
        sent = n > 0 ? static_cast<std::size_t>(n) : 0;
        return n != SOCKET_ERROR;
    }

    Wait waitReadable(int milliseconds) override {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval wait{milliseconds / 1000, (milliseconds % 1000) * 1000};
        int n = select(0, &readable, nullptr, nullptr, &wait);
        if (n == SOCKET_ERROR)
            return Wait::Failed;
        return n == 0 ? Wait::TimedOut : Wait::Readable;
    }

    bool receive(char* buffer, std::size_t size, std::size_t& got) override {
        int chunk = static_cast<int>(size > 0x40000000 ? 0x40000000 : size);
        int n = recv(socket_, buffer, chunk, 0);
        got = n > 0 ? static_cast<std::size_t>(n) : 0;
        return n != SOCKET_ERROR;
    }

private:
    SOCKET socket_;
};

class WinNetwork final : public Network {
public:
    WinNetwork() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }
    ~WinNetwork() override {
        if (started_)
            WSACleanup();
    }

    std::unique_ptr<StreamSocket> connect(const std::string& host, std::uint16_t port) override {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = inet_addr(host.c_str());
        if (address.sin_addr.s_addr == INADDR_NONE) {
            hostent* found = gethostbyname(host.c_str());
            if (!found || found->h_addrtype != AF_INET || !found->h_addr_list[0]) {
                WSASetLastError(WSAEINVAL);
                return nullptr;
            }
            memcpy(&address.sin_addr, found->h_addr_list[0], sizeof address.sin_addr);
        }
        SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        if (s == INVALID_SOCKET)
            return nullptr;
        auto stream = std::make_unique<WinSocket>(s);
        if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == SOCKET_ERROR)
            return nullptr;
        return stream;
    }

    std::string localHostName() override {
        char name[101] = {};
        if (gethostname(name, 100) != 0)
            return {};
        return name;
    }

private:
    bool started_ = false;
};

}  // namespace

// Windows Sockets is started with the first use here and kept for the program's
// life (a second start by the program itself only raises the count).
Network& systemNetwork() {
    static WinNetwork network;
    return network;
}

}  // namespace ctlite
