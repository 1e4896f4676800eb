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

// The TLS layer put over a connected stream: the handshake to a named host, the
// server's certificate checked against the system's trust and that name, then the
// same stream interface carrying encrypted records.
class SecureChannels {
public:
    virtual ~SecureChannels() = default;

    enum class Failure { None, Handshake, Certificate };
    struct Outcome {
        std::unique_ptr<StreamSocket> stream;  // null when the channel was not made
        Failure failure = Failure::None;
        std::string reason;  // why, in words the user can act on
    };
    // Takes `plain` over; a certificate that does not pass is refused, never accepted.
    virtual Outcome secure(std::unique_ptr<StreamSocket> plain, const std::string& host) = 0;
};

// The running system's sockets.
Network& systemNetwork();
// The running system's TLS (Windows: Schannel); elsewhere every handshake fails.
SecureChannels& systemSecureChannels();

}  // namespace ctlite
