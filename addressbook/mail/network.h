// The stream sockets the mail client talks through, behind one small interface, so
// that the conversation never includes a system header and runs natively against
// real servers. Each system has its own file: network_posix.cpp, network_win.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace ctlite {

class StreamSocket {
public:
    virtual ~StreamSocket() = default;
    // Sends up to `size` bytes; `sent` may be less than `size`. False on a socket error.
    virtual bool send(const char* data, std::size_t size, std::size_t& sent) = 0;

    enum class Wait { Readable, TimedOut, Failed };
    // Waits at most `milliseconds` for data (or the peer's close) to read, without
    // holding the processor.
    virtual Wait waitReadable(int milliseconds) = 0;
    // Receives what has arrived; `got` is 0 when the peer has closed. False on an error.
    virtual bool receive(char* buffer, std::size_t size, std::size_t& got) = 0;
};

class Network {
public:
    virtual ~Network() = default;
    // A connected TCP stream to `host` (a dotted address or a name, of which the first
    // address is taken) on `port`; null when the name is unknown or the connection fails.
    virtual std::unique_ptr<StreamSocket> connect(const std::string& host, std::uint16_t port) = 0;
    // This computer's name, at most 100 bytes.
    virtual std::string localHostName() = 0;
};

// The running system's sockets.
Network& systemNetwork();

}  // namespace ctlite
