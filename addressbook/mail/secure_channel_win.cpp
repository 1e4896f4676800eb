// TLS through the system's own Schannel (SSPI): the handshake, the server's
// certificate checked against the system's trusted roots and the host name by the
// SSL chain policy, then records encrypted and decrypted over the plain stream.
// Nothing of TLS is shipped with the program.
#include <windows.h>
// (after windows.h)
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>
#include <sspi.h>
#include <wincrypt.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "addressbook/mail/network.h"

namespace ctlite {
namespace {

constexpr int kHandshakeWaitMs = 20000;
constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                                ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                ISC_REQ_MANUAL_CRED_VALIDATION;

std::wstring wide(const std::string& text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), n);
    out.resize(out.size() - 1);
    return out;
}

std::string hex(long code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
    return text;
}

// Sends all of `bytes`; false when the stream refused them.
bool sendAll(StreamSocket& stream, const char* bytes, std::size_t size) {
    while (size > 0) {
        std::size_t sent = 0;
        if (!stream.send(bytes, size, sent))
            return false;
        bytes += sent;
        size -= sent;
    }
    return true;
}

// Waits for and appends what the stream has; false on a close, an error or the wait's end.
bool readMore(StreamSocket& stream, std::string& into, int milliseconds) {
    if (stream.waitReadable(milliseconds) != StreamSocket::Wait::Readable)
        return false;
    char buffer[16384];
    std::size_t got = 0;
    if (!stream.receive(buffer, sizeof buffer, got) || got == 0)
        return false;
    into.append(buffer, got);
    return true;
}

// The words for a certificate the SSL policy refused.
std::string certificateProblem(DWORD error, const std::string& host, const std::string& subject) {
    std::string of = "The certificate \"" + subject + "\" ";
    switch (error) {
        case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
        case static_cast<DWORD>(CERT_E_UNTRUSTEDTESTROOT):
        case static_cast<DWORD>(CERT_E_CHAINING):
            return of + "is not issued by an authority this computer trusts.";
        case static_cast<DWORD>(CERT_E_CN_NO_MATCH): return of + "is not made out to " + host + ".";
        case static_cast<DWORD>(CERT_E_EXPIRED): return of + "has expired or is not valid yet.";
        case static_cast<DWORD>(CERT_E_WRONG_USAGE): return of + "is not meant for a server.";
        case static_cast<DWORD>(CRYPT_E_REVOKED): return of + "has been revoked.";
        default:
            return of + "did not pass the check (error " + hex(static_cast<long>(error)) + ").";
    }
}

class SchannelStream final : public StreamSocket {
public:
    explicit SchannelStream(std::unique_ptr<StreamSocket> plain) : plain_(std::move(plain)) {}
    ~SchannelStream() override {
        if (haveContext_)
            DeleteSecurityContext(&context_);
        if (haveCredentials_)
            FreeCredentialsHandle(&credentials_);
    }

    SecureChannels::Outcome handshake(const std::string& host);

    bool send(const char* data, std::size_t size, std::size_t& sent) override {
        sent = 0;
        std::size_t chunk = size < sizes_.cbMaximumMessage ? size : sizes_.cbMaximumMessage;
        std::string record(sizes_.cbHeader + chunk + sizes_.cbTrailer, '\0');
        std::memcpy(&record[sizes_.cbHeader], data, chunk);
        SecBuffer buffers[4] = {
            {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, &record[0]},
            {static_cast<unsigned long>(chunk), SECBUFFER_DATA, &record[sizes_.cbHeader]},
            {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, &record[sizes_.cbHeader + chunk]},
            {0, SECBUFFER_EMPTY, nullptr},
        };
        SecBufferDesc message{SECBUFFER_VERSION, 4, buffers};
        if (EncryptMessage(&context_, 0, &message, 0) != SEC_E_OK)
            return false;
        std::size_t length = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
        if (!sendAll(*plain_, record.data(), length))
            return false;
        sent = chunk;
        return true;
    }

    Wait waitReadable(int milliseconds) override {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            if (!clear_.empty() || closed_)
                return Wait::Readable;
            if (!decrypt())
                return Wait::Failed;
            if (!clear_.empty() || closed_)
                return Wait::Readable;
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            Wait waited =
                plain_->waitReadable(left.count() > 0 ? static_cast<int>(left.count()) : 0);
            if (waited != Wait::Readable)
                return waited;
            char buffer[16384];
            std::size_t got = 0;
            if (!plain_->receive(buffer, sizeof buffer, got))
                return Wait::Failed;
            if (got == 0)
                closed_ = true;
            sealed_.append(buffer, got);
        }
    }

    bool receive(char* buffer, std::size_t size, std::size_t& got) override {
        got = size < clear_.size() ? size : clear_.size();
        std::memcpy(buffer, clear_.data(), got);
        clear_.erase(0, got);
        return true;
    }

private:
    bool step(SecBufferDesc* input, SECURITY_STATUS& status);
    // Opens the whole records in sealed_ into clear_; false on a record that does not open.
    bool decrypt();

    std::unique_ptr<StreamSocket> plain_;
    CredHandle credentials_{};
    CtxtHandle context_{};
    bool haveCredentials_ = false, haveContext_ = false;
    std::wstring target_;
    SecPkgContext_StreamSizes sizes_{};
    std::string sealed_;  // bytes received, not yet a whole record
    std::string clear_;   // opened, not yet taken
    bool closed_ = false;
};

// One call of the handshake: the server's bytes in `input` (none at first), our
// answer sent at once.
bool SchannelStream::step(SecBufferDesc* input, SECURITY_STATUS& status) {
    SecBuffer token{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc output{SECBUFFER_VERSION, 1, &token};
    ULONG attributes = 0;
    status = InitializeSecurityContextW(
        &credentials_, haveContext_ ? &context_ : nullptr, target_.data(), kContextFlags, 0, 0,
        input, 0, haveContext_ ? nullptr : &context_, &output, &attributes, nullptr);
    if (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED)
        haveContext_ = true;
    bool sent = true;
    if (token.pvBuffer) {
        if (token.cbBuffer > 0 && (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED))
            sent = sendAll(*plain_, static_cast<const char*>(token.pvBuffer), token.cbBuffer);
        FreeContextBuffer(token.pvBuffer);
    }
    return sent;
}

SecureChannels::Outcome SchannelStream::handshake(const std::string& host) {
    auto failed = [](const std::string& why) {
        return SecureChannels::Outcome{nullptr, SecureChannels::Failure::Handshake, why};
    };
    // The certificate is checked here, by the chain policy, not inside the handshake.
    SCHANNEL_CRED wanted{};
    wanted.dwVersion = SCHANNEL_CRED_VERSION;
    wanted.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    // TLS 1.0 and 1.1 are retired (RFC 8996): every provider speaks 1.2.
    wanted.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT;
    SECURITY_STATUS status =
        AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND,
                                  nullptr, &wanted, nullptr, nullptr, &credentials_, nullptr);
    if (status != SEC_E_OK)
        return failed("Windows offers no TLS here (error " + hex(status) + ").");
    haveCredentials_ = true;
    target_ = wide(host);

    if (!step(nullptr, status))
        return failed("The connection closed during the secure handshake.");
    std::string incoming;
    while (status == SEC_I_CONTINUE_NEEDED || status == SEC_E_INCOMPLETE_MESSAGE) {
        if (incoming.empty() || status == SEC_E_INCOMPLETE_MESSAGE) {
            if (!readMore(*plain_, incoming, kHandshakeWaitMs))
                return failed("The server ended the secure handshake.");
        }
        SecBuffer in[2] = {
            {static_cast<unsigned long>(incoming.size()), SECBUFFER_TOKEN, incoming.data()},
            {0, SECBUFFER_EMPTY, nullptr},
        };
        SecBufferDesc input{SECBUFFER_VERSION, 2, in};
        if (!step(&input, status))
            return failed("The connection closed during the secure handshake.");
        if (status == SEC_E_INCOMPLETE_MESSAGE)
            continue;
        // What the call did not use belongs to the next message (or the first record).
        if (in[1].BufferType == SECBUFFER_EXTRA)
            incoming.erase(0, incoming.size() - in[1].cbBuffer);
        else
            incoming.clear();
    }
    if (status != SEC_E_OK)
        return failed("The secure handshake failed (error " + hex(status) + ").");
    sealed_ = std::move(incoming);

    PCCERT_CONTEXT remote = nullptr;
    if (QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &remote) != SEC_E_OK ||
        !remote)
        return {nullptr, SecureChannels::Failure::Certificate, "The server showed no certificate."};
    char subject[256] = "";
    CertGetNameStringA(remote, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, subject, sizeof subject);
    LPSTR serverUsage[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
    CERT_CHAIN_PARA chainWanted{};
    chainWanted.cbSize = sizeof chainWanted;
    chainWanted.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    chainWanted.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainWanted.RequestedUsage.Usage.rgpszUsageIdentifier = serverUsage;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    DWORD error = 0;
    if (!CertGetCertificateChain(nullptr, remote, nullptr, remote->hCertStore, &chainWanted, 0,
                                 nullptr, &chain)) {
        error = GetLastError();
    } else {
        SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
        ssl.cbSize = sizeof ssl;
        ssl.dwAuthType = AUTHTYPE_SERVER;
        ssl.pwszServerName = target_.data();
        CERT_CHAIN_POLICY_PARA policy{};
        policy.cbSize = sizeof policy;
        policy.pvExtraPolicyPara = &ssl;
        CERT_CHAIN_POLICY_STATUS verdict{};
        verdict.cbSize = sizeof verdict;
        if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &verdict))
            error = GetLastError();
        else
            error = verdict.dwError;
        CertFreeCertificateChain(chain);
    }
    CertFreeCertificateContext(remote);
    if (error != 0)
        return {nullptr, SecureChannels::Failure::Certificate,
                certificateProblem(error, host, subject)};

    if (QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_) != SEC_E_OK)
        return failed("The secure connection has no record sizes.");
    return {nullptr, SecureChannels::Failure::None, {}};
}

bool SchannelStream::decrypt() {
    while (!sealed_.empty() && !closed_) {
        SecBuffer buffers[4] = {
            {static_cast<unsigned long>(sealed_.size()), SECBUFFER_DATA, sealed_.data()},
            {0, SECBUFFER_EMPTY, nullptr},
            {0, SECBUFFER_EMPTY, nullptr},
            {0, SECBUFFER_EMPTY, nullptr},
        };
        SecBufferDesc message{SECBUFFER_VERSION, 4, buffers};
        SECURITY_STATUS status = DecryptMessage(&context_, &message, 0, nullptr);
        if (status == SEC_E_INCOMPLETE_MESSAGE)
            return true;
        if (status == SEC_I_CONTEXT_EXPIRED) {
            closed_ = true;  // the server's close_notify
            return true;
        }
        if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE)
            return false;
        std::string extra;
        for (const SecBuffer& b : buffers) {
            if (b.BufferType == SECBUFFER_DATA)
                clear_.append(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
            else if (b.BufferType == SECBUFFER_EXTRA)
                extra.assign(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
        }
        sealed_ = std::move(extra);
        if (status == SEC_I_RENEGOTIATE) {
            // TLS 1.3 messages after the handshake (session tickets, key updates)
            // go back through the handshake call; what it leaves is records again.
            SecBuffer in[2] = {
                {static_cast<unsigned long>(sealed_.size()), SECBUFFER_TOKEN, sealed_.data()},
                {0, SECBUFFER_EMPTY, nullptr},
            };
            SecBufferDesc input{SECBUFFER_VERSION, 2, in};
            if (!step(sealed_.empty() ? nullptr : &input, status) ||
                (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED))
                return false;
            if (in[1].BufferType == SECBUFFER_EXTRA)
                sealed_.erase(0, sealed_.size() - in[1].cbBuffer);
            else
                sealed_.clear();
        }
    }
    return true;
}

class Schannel final : public SecureChannels {
public:
    Outcome secure(std::unique_ptr<StreamSocket> plain, const std::string& host) override {
        auto stream = std::make_unique<SchannelStream>(std::move(plain));
        Outcome outcome = stream->handshake(host);
        if (outcome.failure == Failure::None)
            outcome.stream = std::move(stream);
        return outcome;
    }
};

}  // namespace

SecureChannels& systemSecureChannels() {
    static Schannel channels;
    return channels;
}

}  // namespace ctlite
