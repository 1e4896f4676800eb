// POSIX implementation of the mail client's sockets.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "addressbook/mail/network.h"

namespace ctlite {
namespace {

class PosixSocket final : public StreamSocket {
public:
    explicit PosixSocket(int fd) : fd_(fd) {}
    ~PosixSocket() override { ::close(fd_); }

    bool send(const char* data, std::size_t size, std::size_t& sent) override {
        ssize_t n;
        do
            n = ::send(fd_, data, size, MSG_NOSIGNAL);
        while (n < 0 && errno == EINTR);
        sent = n > 0 ? static_cast<std::size_t>(n) : 0;
        return n >= 0;
    }

    Wait waitReadable(int milliseconds) override {
        pollfd p{fd_, POLLIN, 0};
        int n = ::poll(&p, 1, milliseconds);
        if (n < 0)
            return errno == EINTR ? Wait::TimedOut : Wait::Failed;
        return n == 0 ? Wait::TimedOut : Wait::Readable;
    }

    bool receive(char* buffer, std::size_t size, std::size_t& got) override {
        ssize_t n;
        do
            n = ::recv(fd_, buffer, size, 0);
        while (n < 0 && errno == EINTR);
        got = n > 0 ? static_cast<std::size_t>(n) : 0;
        return n >= 0;
    }

private:
    int fd_;
};

class PosixNetwork final : public Network {
public:
    std::unique_ptr<StreamSocket> connect(const std::string& host, std::uint16_t port) override {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
            addrinfo hints{};
            hints.ai_family = AF_INET;
            hints.ai_socktype = SOCK_STREAM;
            addrinfo* found = nullptr;
            if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
                return nullptr;
            address.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
            freeaddrinfo(found);
        }
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return nullptr;
        auto socket = std::make_unique<PosixSocket>(fd);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return nullptr;
        return socket;
    }

    std::string localHostName() override {
        char name[101] = {};
        if (gethostname(name, 100) != 0)
            return {};
        return name;
    }
};

// The program runs on Windows only; natively the conversation's tests bring their own.
class NoSecureChannels final : public SecureChannels {
public:
    Outcome secure(std::unique_ptr<StreamSocket>, const std::string&) override {
        return {nullptr, Failure::Handshake, "This system offers no secure connections."};
    }
};

}  // namespace

SecureChannels& systemSecureChannels() {
    static NoSecureChannels channels;
    return channels;
}

Network& systemNetwork() {
    static PosixNetwork network;
    return network;
}

}  // namespace ctlite
