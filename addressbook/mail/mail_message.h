// One e-mail: sender, recipients, subject, text and attached files, and the header
// block and MIME parts it goes out as.
#pragma once

#include <cstddef>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace ctlite {

struct MailAddress {
    std::string name;  // may be empty
    std::string address;

    // "name <address>", or the address alone when there is no name.
    std::string displayForm() const;
    // The form for the From and To lines: the name encoded or quoted as it needs.
    std::string headerForm() const;
};

enum class AttachmentLoad { Ok, CannotOpen, TooLarge };

class MailAttachment {
public:
    // Files above this size are refused before anything is sent: the file and its
    // encoded text are both held in memory.
    static constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;

    MailAttachment() = default;
    // An attachment of bytes already in memory, under `title`.
    MailAttachment(std::string title, std::string_view bytes);

    AttachmentLoad loadFile(const std::string& path,
                            platform::FileSystem& files = platform::systemFileSystem(),
                            std::size_t maxBytes = kMaxFileBytes);

    // The file's name and extension without drive and directory.
    const std::string& title() const { return title_; }
    // The whole file in base64 lines.
    const std::string& encoded() const { return encoded_; }
    std::size_t encodedLength() const { return encoded_.size(); }
    // The part header that introduces the file, with its own name in it.
    std::string partHeader() const;

private:
    std::string title_;
    std::string encoded_;
};

// The message shown when an attachment cannot be loaded.
std::string attachmentLoadMessage(AttachmentLoad outcome, const std::string& path);

class MailMessage {
public:
    static constexpr const char* kMailer = "Contavo Lite Email v2.1";
    static constexpr const char* kBoundary = "#BOUNDARY#";

    MailAddress from;
    std::vector<MailAddress> recipients;
    std::string subject;

    MailMessage() = default;
    MailMessage(MailMessage&&) = default;
    MailMessage& operator=(MailMessage&&) = default;
    virtual ~MailMessage() = default;

    // Appends the recipients of a comma-separated text. Each piece is an address,
    // or a name followed by an address in "<" and ">"; a name in double quotes may
    // hold commas. Blanks around an address are dropped and empty pieces skipped.
    // False, keeping what came before, at a piece with "<" but no ">" after it, or
    // an address with a line break or an angle bracket in it.
    bool parseRecipients(std::string_view text);

    // The text, with its line ends made "\r\n".
    void setBody(std::string_view text);
    const std::string& body() const { return body_; }

    void addAttachment(std::unique_ptr<MailAttachment> attachment) {
        attachments_.push_back(std::move(attachment));
    }
    std::vector<std::unique_ptr<MailAttachment>>& attachments() { return attachments_; }
    bool hasAttachments() const { return !attachments_.empty(); }

    // The header block, up to and including the empty line that ends it.
    virtual std::string buildHeader() const;
    // The body as it follows the header (for a message with attachments, the first
    // part's header and its text); not yet dot-stuffed.
    std::string textPart() const;

    // The time the Date line states; now unless set (tests set it).
    std::time_t sentAt = 0;

private:
    bool needsTextEncoding() const;

    std::string body_;
    std::vector<std::unique_ptr<MailAttachment>> attachments_;
};

// "Wed, 09 Dec 2026 02:56:18 +0100" for `when` in local time.
std::string mailDate(std::time_t when);

}  // namespace ctlite
