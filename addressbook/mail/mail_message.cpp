#include "addressbook/mail/mail_message.h"

#include <atomic>
#include <cstdio>
#include <new>
#include <utility>

#include "addressbook/mail/mime_text.h"
#include "platform/whole_file.h"

namespace ctlite {
namespace {

std::string trimmed(std::string_view text) {
    const char* blanks = " \t\r\n";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    std::size_t last = text.find_last_not_of(blanks);
    return std::string(text.substr(first, last - first + 1));
}

// Header fields stay on their line whatever the user typed.
std::string oneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\r' || c == '\n')
            c = ' ';
    return out;
}

std::string quotedParameter(std::string_view value) {
    std::string out = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + '"';
}

// RFC 2231: filename*=windows-1252''%E9t%E9.txt
std::string extendedParameter(std::string_view value) {
    const char* hex = "0123456789ABCDEF";
    std::string out = std::string(kMailCharset) + "''";
    for (unsigned char c : value) {
        bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                     c == '.' || c == '-' || c == '_';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

}  // namespace

std::string MailAddress::displayForm() const {
    return name.empty() ? address : name + " <" + address + ">";
}

std::string MailAddress::headerForm() const {
    std::string shown = oneLine(name);
    std::string bare = trimmed(shown);
    if (bare.empty())
        return address;
    std::string written = headerName(bare);
    return (written == bare ? shown : written) + " <" + address + ">";
}

MailAttachment::MailAttachment(std::string title, std::string_view bytes)
    : title_(std::move(title)), encoded_(base64Lines(bytes)) {}

AttachmentLoad MailAttachment::loadFile(const std::string& path, platform::FileSystem& files,
                                        std::size_t maxBytes) {
    encoded_.clear();
    platform::FileBytes bytes;
    switch (platform::readWholeFile(files, path, maxBytes, bytes)) {
        case platform::ReadOutcome::Ok: break;
        case platform::ReadOutcome::TooLarge: return AttachmentLoad::TooLarge;
        default: return AttachmentLoad::CannotOpen;
    }
    try {
        encoded_ = base64Lines(bytes.view());
    } catch (const std::bad_alloc&) {
        return AttachmentLoad::TooLarge;
    }
    std::size_t slash = path.find_last_of("\\/:");
    title_ = slash == std::string::npos ? path : path.substr(slash + 1);
    return AttachmentLoad::Ok;
}

std::string MailAttachment::partHeader() const {
    std::string name = oneLine(title_);
    std::string filename = hasEightBit(name) ? "filename*=" + extendedParameter(name)
                                             : "filename=" + quotedParameter(name);
    return std::string("\r\n\r\n--") + MailMessage::kBoundary +
           "\r\nContent-Type: application/octet-stream; name=" + quotedParameter(headerText(name)) +
           "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; " + filename +
           "\r\n\r\n";
}

std::string attachmentLoadMessage(AttachmentLoad outcome, const std::string& path) {
    if (outcome == AttachmentLoad::TooLarge)
        return "The file " + path + " is too large to send as an attachment.";
    return "Cannot open the file " + path;
}

bool MailMessage::parseRecipients(std::string_view text) {
    std::size_t start = 0;
    while (start <= text.size()) {
        bool quoted = false;
        std::size_t end = start;
        while (end < text.size() && (quoted || text[end] != ',')) {
            if (text[end] == '"')
                quoted = !quoted;
            ++end;
        }
        std::string_view piece = text.substr(start, end - start);
        start = end + 1;
        MailAddress recipient;
        std::size_t open = piece.find('<');
        if (open == std::string_view::npos) {
            recipient.address = trimmed(piece);
        } else {
            std::size_t close = piece.find('>', open);
            if (close == std::string_view::npos)
                return false;
            recipient.name = std::string(piece.substr(0, open));
            std::string name = trimmed(recipient.name);
            if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
                recipient.name = name.substr(1, name.size() - 2);
            recipient.address = trimmed(piece.substr(open + 1, close - open - 1));
        }
        if (recipient.address.find_first_of("\r\n<>") != std::string::npos)
            return false;
        if (!recipient.address.empty())
            recipients.push_back(std::move(recipient));
    }
    return true;
}

void MailMessage::setBody(std::string_view text) {
    body_ = crlfLines(text);
}

bool MailMessage::needsTextEncoding() const {
    if (hasAttachments() || hasEightBit(body_) || hasEightBit(subject))
        return true;
    // SMTP carries lines of at most 998 bytes.
    std::size_t start = 0;
    for (std::size_t end; (end = body_.find("\r\n", start)) != std::string::npos; start = end + 2)
        if (end - start > 998)
            return true;
    return body_.size() - start > 998;
}

std::string MailMessage::buildHeader() const {
    std::time_t when = sentAt ? sentAt : std::time(nullptr);
    std::string to;
    for (const MailAddress& r : recipients)
        to += (to.empty() ? "" : ",") + r.headerForm();

    static std::atomic<unsigned> sequence{0};
    std::size_t at = from.address.rfind('@');
    std::string domain = at == std::string::npos || at + 1 == from.address.size()
                             ? std::string("contavo.invalid")
                             : from.address.substr(at + 1);
    char id[64];
    std::snprintf(id, sizeof id, "%lld.%u.%u", static_cast<long long>(when),
                  static_cast<unsigned>(std::clock()) & 0xFFFFu, ++sequence);

    std::string header = "From: " + from.headerForm() + "\r\nTo: " + to +
                         "\r\nSubject: " + headerText(oneLine(subject)) +
                         "\r\nDate: " + mailDate(when) + "\r\nX-Mailer: " + kMailer +
                         "\r\nMessage-ID: <" + id + "@" + domain + ">\r\n";
    if (hasAttachments())
        header += std::string("MIME-Version: 1.0\r\nContent-type: multipart/mixed; boundary=\"") +
                  kBoundary + "\"\r\n";
    else if (needsTextEncoding())
        header += std::string("MIME-Version: 1.0\r\nContent-Type: text/plain; charset=") +
                  kMailCharset + "\r\nContent-Transfer-Encoding: quoted-printable\r\n";
    return header + "\r\n";
}

std::string MailMessage::textPart() const {
    if (!needsTextEncoding())
        return body_;
    std::string text = quotedPrintable(body_);
    if (!hasAttachments())
        return text;
    // The line end before the next part's boundary belongs to the boundary.
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
        text.resize(text.size() - 2);
    return std::string("\r\n--") + kBoundary + "\r\nContent-Type: text/plain; charset=" +
           (hasEightBit(body_) ? kMailCharset : "us-ascii") +
           "\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n" + text;
}

std::string mailDate(std::time_t when) {
    static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm local = *std::localtime(&when);
    std::tm utc = *std::gmtime(&when);
    // The zone is the difference between the two clocks, at most a day apart.
    long minutes = (local.tm_hour - utc.tm_hour) * 60L + (local.tm_min - utc.tm_min);
    int dayStep = local.tm_year != utc.tm_year ? (local.tm_year > utc.tm_year ? 1 : -1)
                                               : local.tm_yday - utc.tm_yday;
    minutes += dayStep * 24L * 60L;
    char sign = minutes < 0 ? '-' : '+';
    if (minutes < 0)
        minutes = -minutes;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                  days[local.tm_wday], local.tm_mday, months[local.tm_mon], local.tm_year + 1900,
                  local.tm_hour, local.tm_min, local.tm_sec, sign, minutes / 60, minutes % 60);
    return text;
}

}  // namespace ctlite
