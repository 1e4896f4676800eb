#include "addressbook/mail/mail_message.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "addressbook/mail/mime_text.h"
#include "addressbook/mail/send_run.h"
#include "addressbook/mail/smtp_connection.h"
#include "tests/support/temp_dir.h"

namespace ctlite {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(Base64, LinesOfSeventySixAndOneMoreLineEnd) {
    std::string line57(57, 'a'), groups19;
    for (int i = 0; i < 19; ++i)
        groups19 += "YWFh";
    const std::pair<std::string, std::string> cases[] = {
        {"", "\r\n"},
        {"M", "TQ==\r\n"},
        {"Ma", "TWE=\r\n"},
        {"Man", "TWFu\r\n"},
        {"\xff\xfe\xfd", "//79\r\n"},
        {line57, groups19 + "\r\n\r\n"},
        {line57 + "a", groups19 + "\r\nYQ==\r\n"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(base64Lines(bytes), text) << bytes.size() << " bytes";
        EXPECT_EQ(base64LinesLength(bytes.size()), text.size()) << bytes.size() << " bytes";
    }
}

TEST(Body, CrLfLinesDotStuffingAndQuotedPrintable) {
    MailMessage message;
    message.setBody(".first\nmid\r\n.\n\n\nlast\r");
    EXPECT_EQ(dotStuffed(message.body()), "..first\r\nmid\r\n..\r\n\r\n\r\nlast\r\n");
    // Quoted-printable leaves plain text alone and encodes "=", 8-bit bytes and end blanks.
    EXPECT_EQ(quotedPrintable("plain\r\ncaf\xe9 a=b \r\n"), "plain\r\ncaf=E9 a=3Db=20\r\n");
}

struct RecipientCase {
    const char* text;
    bool ok;
    Pairs recipients;  // name, address
};

TEST(Recipients, PiecesNamesAndBlanks) {
    const RecipientCase cases[] = {
        {"Ann <a>,b", true, {{"Ann ", "a"}, {"", "b"}}},
        {"a@x, b@y", true, {{"", "a@x"}, {"", "b@y"}}},
        {"a@x,", true, {{"", "a@x"}}},
        {" , ,", true, {}},
        {"\"Smith, John\" <j@x>,k@x", true, {{"Smith, John", "j@x"}, {"", "k@x"}}},
        {"Ann < a@x >", true, {{"Ann ", "a@x"}}},
        {"a@x,B <b,c@x", false, {{"", "a@x"}}},
        {"a@x,B >b<", false, {{"", "a@x"}}},
        {"a@x\r\nRCPT TO:evil", false, {}},
    };
    for (const RecipientCase& c : cases) {
        MailMessage message;
        EXPECT_EQ(message.parseRecipients(c.text), c.ok) << c.text;
        Pairs got;
        for (const MailAddress& r : message.recipients)
            got.emplace_back(r.name, r.address);
        EXPECT_EQ(got, c.recipients) << c.text;
    }
}

TEST(Header, MimeLinesOnlyWhereTheMessageNeedsThem) {
    struct Case {
        const char* subject;
        const char* body;
        bool attachment;
        const char* mime;  // the lines after Message-ID
    } cases[] = {
        {"Hi", "Plain.\n", false, ""},
        {"Gr\xfc\xdf"
         "e",
         "Plain.\n", false,
         "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=windows-1252\r\n"
         "Content-Transfer-Encoding: quoted-printable\r\n"},
        {"Hi", "Plain.\n", true,
         "MIME-Version: 1.0\r\nContent-type: multipart/mixed; boundary=\"#BOUNDARY#\"\r\n"},
    };
    for (const Case& c : cases) {
        MailMessage message;
        message.from = {"Me", "me@example.org"};
        message.parseRecipients("Ann <a@x>,b@y");
        message.subject = c.subject;
        message.setBody(c.body);
        if (c.attachment)
            message.addAttachment(std::make_unique<MailAttachment>());
        std::string header = message.buildHeader();
        std::size_t id = header.find("Message-ID: <");
        ASSERT_NE(id, std::string::npos) << header;
        EXPECT_EQ(header.rfind("From: Me <me@example.org>\r\nTo: Ann  <a@x>,b@y\r\n", 0), 0u)
            << header;
        EXPECT_NE(header.find("@example.org>\r\n", id), std::string::npos) << header;
        std::size_t afterId = header.find("\r\n", id) + 2;
        EXPECT_EQ(header.substr(afterId), std::string(c.mime) + "\r\n") << c.subject;
    }
}

void setZone(const char* zone) {
#ifdef _WIN32
    _putenv_s("TZ", zone);
    _tzset();
#else
    setenv("TZ", zone, 1);
    tzset();
#endif
}

TEST(Header, DateHasEnglishNamesAndANumericZone) {
    const std::pair<const char*, const char*> cases[] = {
        {"UTC0", "Thu, 01 Jan 1970 00:00:00 +0000"},
        {"CET-1", "Thu, 01 Jan 1970 01:00:00 +0100"},
        {"EST5", "Wed, 31 Dec 1969 19:00:00 -0500"},
    };
    for (const auto& [zone, date] : cases) {
        setZone(zone);
        EXPECT_EQ(mailDate(0), date) << zone;
    }
    setZone("UTC0");
}

TEST(Attachment, TooLargeOrMissingFileIsRefusedWithAMessage) {
    testing_support::TempDir dir;
    testing_support::writeBytes(dir.file("big.bin"), std::string(1000, 'x'));
    MailAttachment attachment;
    EXPECT_EQ(attachment.loadFile(dir.file("big.bin"), platform::systemFileSystem(), 999),
              AttachmentLoad::TooLarge);
    EXPECT_EQ(attachmentLoadMessage(AttachmentLoad::TooLarge, "big.bin"),
              "The file big.bin is too large to send as an attachment.");
    EXPECT_EQ(attachment.loadFile(dir.file("missing.bin")), AttachmentLoad::CannotOpen);
}

// The port setting counts for a host alone; a ":port" written in the server wins.
TEST(Server, HostAloneTakesThePortSettingAWrittenPortWins) {
    const std::tuple<const char*, std::uint16_t, int> cases[] = {
        {"mail.example.org", 25, 25},       {"mail.example.org:2525", 25, 2525},
        {"mail.example.org:1", 25, 1},      {"mail.example.org:", 25, -1},
        {"mail.example.org:0", 25, -1},     {"mail.example.org:65536", 25, -1},
        {"mail.example.org:x25", 25, -1},   {"mail.example.org", 587, 587},
        {"mail.example.org:465", 587, 465},
    };
    for (const auto& [setting, portSetting, port] : cases) {
        MailServer server;
        bool ok = parseMailServer(setting, server, portSetting);
        EXPECT_EQ(ok ? static_cast<int>(server.port) : -1, port) << setting;
        EXPECT_TRUE(!ok || server.host == "mail.example.org") << setting;
    }
}

// The From field as the user may leave it: the address is what stands between the
// angle brackets, or the whole text when there are none.
TEST(Sender, NameBeforeTheBracketAddressBetweenThem) {
    const std::pair<std::string, std::pair<std::string, std::string>> cases[] = {
        {"Me Myself <me@example.com>", {"Me Myself ", "me@example.com"}},
        {" <me@example.com>", {" ", "me@example.com"}},
        {"Me <me@example.com> ", {"Me ", "me@example.com"}},
        {"me@example.com", {"", "me@example.com"}},
    };
    for (const auto& [from, expected] : cases) {
        MailAddress sender = senderOf(from);
        EXPECT_EQ(std::make_pair(sender.name, sender.address), expected) << from;
    }
}

}  // namespace
}  // namespace ctlite
