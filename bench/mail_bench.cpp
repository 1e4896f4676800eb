// Base64 of an attachment: the encoder reads a whole file and writes its lines in one
// pass, so its speed bounds how soon a large attachment is ready to send. And the
// whole send of an attachment to a server on loopback, as the "Sending..." window
// runs it: the file read and encoded, the conversation, the chunks with their
// progress reports; beside it curl uploading a prepared message of the same size to
// the same server (mail_send_vs_curl.sh starts the server and prepares the files).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "addressbook/mail/mime_text.h"
#include "addressbook/mail/smtp_connection.h"

namespace {

void Base64Lines(benchmark::State& state) {
    std::string bytes(static_cast<std::size_t>(state.range(0)), '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 2654435761u >> 13);
    for (auto _ : state)
        benchmark::DoNotOptimize(ctlite::base64Lines(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(Base64Lines)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

class Silent : public ctlite::MailNotices, public ctlite::SendProgress {
public:
    void show(const std::string& text) override { failure = text; }
    void report(int percent, const std::string& status) override {
        benchmark::DoNotOptimize(percent);
        benchmark::DoNotOptimize(status.data());
    }
    bool keepGoing() override { return true; }
    std::string failure;
};

// MAIL_BENCH_PORT: the server's port; MAIL_BENCH_FILE: the file to attach. Without
// the greeting's fixed pause, which is not work.
void SendAttachment(benchmark::State& state) {
    const char* port = std::getenv("MAIL_BENCH_PORT");
    const char* file = std::getenv("MAIL_BENCH_FILE");
    if (!port || !file) {
        state.SkipWithError("MAIL_BENCH_PORT and MAIL_BENCH_FILE name the server and the file");
        return;
    }
    Silent window;
    for (auto _ : state) {
        ctlite::MailMessage message;
        message.from = {"Me", "me@example.com"};
        message.parseRecipients("Ann Smith <ann@example.com>");
        message.subject = "Report";
        message.setBody("The report.");
        auto attachment = std::make_unique<ctlite::MailAttachment>();
        if (attachment->loadFile(file) != ctlite::AttachmentLoad::Ok) {
            state.SkipWithError("the file cannot be read");
            return;
        }
        message.addAttachment(std::move(attachment));
        ctlite::SmtpConnection connection(window);
        connection.setGreetingPause(0);
        if (!connection.connect("127.0.0.1", static_cast<std::uint16_t>(std::atoi(port))) ||
            !connection.sendMail(message, &window) || !connection.disconnect()) {
            state.SkipWithError(("the send failed: " + window.failure).c_str());
            return;
        }
    }
}
BENCHMARK(SendAttachment)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

extern "C" char** environ;

// MAIL_BENCH_MESSAGE: the prepared message curl uploads; curl's start is counted, as
// a user of curl waits for it too.
void CurlUpload(benchmark::State& state) {
    const char* port = std::getenv("MAIL_BENCH_PORT");
    const char* message = std::getenv("MAIL_BENCH_MESSAGE");
    if (!port || !message) {
        state.SkipWithError("MAIL_BENCH_PORT and MAIL_BENCH_MESSAGE name the server and message");
        return;
    }
    std::string url = std::string("smtp://127.0.0.1:") + port;
    const char* argv[] = {"curl",           "-s",          url.c_str(),       "--mail-from",
                          "me@example.com", "--mail-rcpt", "ann@example.com", "--upload-file",
                          message,          nullptr};
    for (auto _ : state) {
        pid_t child = 0;
        int status = 0;
        if (posix_spawnp(&child, "curl", nullptr, nullptr, const_cast<char**>(argv), environ) !=
                0 ||
            waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("curl failed");
            return;
        }
    }
}
BENCHMARK(CurlUpload)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
