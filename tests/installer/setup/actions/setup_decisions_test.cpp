#include <gtest/gtest.h>

#include <set>

#include "installer/setup/actions/install_text.h"
#include "installer/setup/actions/overwrite_decision.h"
#include "installer/setup/actions/registry_data.h"
#include "installer/setup/actions/text_edit.h"
#include "installer/setup/actions/windows_path.h"

using namespace vortix;
using namespace std::string_literals;

namespace {

std::vector<std::string> questionTexts() {
    std::vector<std::string> texts(141);
    for (std::size_t k = 0; k < texts.size(); ++k)
        texts[k] = "[" + std::to_string(k) + "]";
    texts[27] = "Description:";
    texts[53] = "version";
    texts[113] = "The file %s exists.";
    texts[114] = "Keep it?";
    texts[115] = "Language conflict";
    texts[116] = " Existing %s, new %s. ";
    texts[117] = "It is older.";
    texts[118] = "It is the same.";
    texts[119] = "It is newer.";
    return texts;
}

OverwriteFacts facts(std::uint32_t mode, FileVersion existing, FileVersion packaged) {
    OverwriteFacts f;
    f.mode = mode;
    f.path = "C:\\App\\a.dll";
    f.existing = existing;
    f.packaged = packaged;
    return f;
}

// Whether the file is replaced; `answer` is the Yes (keep) or No given to any question.
bool decide(const OverwriteFacts& f, bool answer, int* asked = nullptr) {
    int questions = 0;
    bool result = decideOverwrite(f, questionTexts(), [&](const std::string&) {
        ++questions;
        return answer;
    });
    if (asked)
        *asked = questions;
    return result;
}

const FileVersion kOld{0x00010000, 0};
const FileVersion kMid{0x00010002, 0x00030004};
const FileVersion kNew{0x00020000, 0};

}  // namespace

TEST(OverwriteDecision, VersionsCompareAsFourPartsMostSignificantFirst) {
    EXPECT_EQ(compareVersions(kOld, kMid), Age::Older);
    EXPECT_EQ(compareVersions(kMid, kMid), Age::Same);
    EXPECT_EQ(compareVersions(kNew, kMid), Age::Newer);
    // The low word counts only when the high word is equal; 0xFFFF parts are not negative.
    EXPECT_EQ(compareVersions({1, 0xFFFF0000}, {2, 0}), Age::Older);
    EXPECT_EQ(compareVersions({0xFFFF0000, 0}, {1, 0}), Age::Newer);
}

TEST(OverwriteDecision, ModesWithoutQuestions) {
    struct Case {
        std::uint32_t mode;
        FileVersion existing;
        bool replaced;
    };
    for (const Case& c : {Case{0, kNew, true}, Case{3, kNew, true}, Case{2, kOld, false},
                          Case{4, kOld, true}, Case{4, kMid, false}, Case{4, kNew, false},
                          Case{6, kOld, true}, Case{6, kMid, true}, Case{9, kOld, false}}) {
        int asked = 0;
        EXPECT_EQ(decide(facts(c.mode, c.existing, kMid), true, &asked), c.replaced)
            << "mode " << c.mode;
        EXPECT_EQ(asked, 0) << "mode " << c.mode;
    }
}

TEST(OverwriteDecision, QuestionsYesKeepsNoReplaces) {
    // Mode 1 always asks; mode 6 asks when the existing file is newer.
    for (auto [mode, existing] : {std::pair{1u, kOld}, {1u, kNew}, {6u, kNew}}) {
        int asked = 0;
        EXPECT_FALSE(decide(facts(mode, existing, kMid), true, &asked));
        EXPECT_EQ(asked, 1);
        EXPECT_TRUE(decide(facts(mode, existing, kMid), false, &asked));
        EXPECT_EQ(asked, 1);
    }
}

TEST(OverwriteDecision, LanguageQuestionWhenLanguagesDiffer) {
    OverwriteFacts f = facts(4, kOld, kMid);
    f.existingLanguage = 0x407;
    f.packagedLanguage = 0x409;
    EXPECT_EQ(questionFor(f), Question::Language);
    EXPECT_FALSE(decide(f, true));  // Yes keeps even an older file
    f.existing = kNew;              // mode 4 asks only about an older file
    EXPECT_EQ(questionFor(f), Question::None);
    f.mode = 6;
    EXPECT_EQ(questionFor(f), Question::Version);
    f.existing = kOld;
    EXPECT_EQ(questionFor(f), Question::Language);
    f.mode = 1;
    f.existing = kNew;
    EXPECT_EQ(questionFor(f), Question::Language);
    f.existingLanguage = 0;  // without language information there is nothing to compare
    EXPECT_EQ(questionFor(f), Question::Version);
    f.existingLanguage = 0x409;
    EXPECT_EQ(questionFor(f), Question::Version);
}

TEST(OverwriteDecision, ModeFiveGoesByTheSetupProgramsDate) {
    OverwriteFacts f = facts(5, kNew, kMid);
    f.setupTime = 100;
    f.packagedTime = 200;
    EXPECT_TRUE(decide(f, true));  // the setup program is older: replaced, whatever the version
    f.packagedTime = 100;
    EXPECT_FALSE(decide(f, false));
    f.packagedTime = 50;
    EXPECT_FALSE(decide(f, false));  // later, same language: kept without a question
    f.existingLanguage = 0x407;
    f.packagedLanguage = 0x409;
    int asked = 0;
    EXPECT_TRUE(decide(f, false, &asked));
    EXPECT_EQ(asked, 1);
}

TEST(OverwriteDecision, QuestionTexts) {
    OverwriteFacts f = facts(1, kOld, kMid);
    f.existingLanguage = 0x407;
    f.packagedLanguage = 0x409;
    f.existingLanguageName = "German";
    f.packagedLanguageName = "English";
    f.existingDescription = "Contavo helper";
    EXPECT_EQ(languageQuestion(f, questionTexts()),
              "Language conflict:\r\nThe file C:\\App\\a.dll exists.It is older. Existing German, "
              "new English. Keep it?\r\n\r\nDescription: Contavo helper");
    EXPECT_EQ(versionQuestion(f, questionTexts()),
              "The file C:\\App\\a.dll exists.\r\nIt is older.\r\nKeep it?\r\nDescription: "
              "Contavo helper\r\nVersion: 1.2.3.4");
    f.existingDescription.clear();
    f.packaged = {};
    f.existing = {};
    EXPECT_EQ(versionQuestion(f, questionTexts()),
              "The file C:\\App\\a.dll exists.\r\nIt is the same.\r\nKeep it?");
}

TEST(OverwriteDecision, VersionFormats) {
    EXPECT_EQ(formatVersion({0x00010002, 0x00030004}), "1.2.3.4");
    EXPECT_EQ(formatVersion({0x00010000, 0}), "1.0.0.0");
    EXPECT_EQ(formatVersion({0x00000002, 0x00030004}), "2.3.4");
    EXPECT_EQ(formatVersion({0, 0x00030004}), "3.4");
    EXPECT_EQ(formatVersion({0, 0x00000004}), "4");
    EXPECT_EQ(formatVersion({0xFFFF0000, 0xFFFFFFFF}), "65535.0.65535.65535");
}

TEST(RegistryData, ConversionByTypeCode) {
    std::optional<RegistryData> binary = convertRegistryData(0, "0A ff 7c");
    ASSERT_TRUE(binary);
    EXPECT_EQ(binary->type, RegistryValueType::Binary);
    EXPECT_EQ(binary->bytes, "\x0a\xff\x7c"s);
    // Every third character is skipped, whatever it is.
    EXPECT_EQ(convertRegistryData(0, "01,02-03")->bytes, "\x01\x02\x03"s);
    EXPECT_EQ(convertRegistryData(0, "")->bytes, "");

    std::optional<RegistryData> dword = convertRegistryData(1, "305419896");
    ASSERT_TRUE(dword);
    EXPECT_EQ(dword->type, RegistryValueType::Dword);
    EXPECT_EQ(dword->bytes, "\x78\x56\x34\x12"s);
    EXPECT_EQ(convertRegistryData(1, "4294967295")->bytes, "\xff\xff\xff\xff"s);
    EXPECT_EQ(convertRegistryData(1, "-1")->bytes, "\xff\xff\xff\xff"s);
    EXPECT_EQ(convertRegistryData(1, "-2147483648")->bytes, "\x00\x00\x00\x80"s);

    std::optional<RegistryData> text = convertRegistryData(2, "C:\\App");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->type, RegistryValueType::String);
    EXPECT_EQ(text->bytes, "C:\\App\0"s);

    std::optional<RegistryData> multi = convertRegistryData(3, "first<\\0>second");
    ASSERT_TRUE(multi);
    EXPECT_EQ(multi->type, RegistryValueType::MultiString);
    EXPECT_EQ(multi->bytes, "first\0second\0\0"s);
    EXPECT_EQ(convertRegistryData(7, "first<\\0>second<\\0>")->bytes, "first\0second\0\0"s);
    EXPECT_EQ(convertRegistryData(3, "")->bytes, "\0\0"s);
}

TEST(RegistryData, TextThatDoesNotFitItsTypeIsRefused) {
    EXPECT_FALSE(convertRegistryData(0, "0G"));
    EXPECT_FALSE(convertRegistryData(0, "01 2"));  // a lone digit at the end
    EXPECT_FALSE(convertRegistryData(1, "12a"));
    EXPECT_FALSE(convertRegistryData(1, "4294967296"));
    EXPECT_FALSE(convertRegistryData(1, "-2147483649"));
    EXPECT_FALSE(convertRegistryData(1, "-"));
}

TEST(TextEdit, EveryMode) {
    const std::string file = "@ECHO OFF\r\nSET PATH=C:\\DOS\r\nWIN\r\n";
    EXPECT_EQ(applyTextEdit(0, file, "", "REM first"), "REM first\r\n" + file);
    EXPECT_EQ(applyTextEdit(1, file, "", "C:\\APP\\RUN"), file + "\r\nC:\\APP\\RUN");
    EXPECT_EQ(applyTextEdit(2, file, "set path=c:\\dos", ";C:\\APP"),
              "@ECHO OFF\r\nSET PATH=C:\\DOS;C:\\APP\r\nWIN\r\n");
    EXPECT_EQ(applyTextEdit(3, file, "Set Path=C:\\Dos", ""), "@ECHO OFF\r\nWIN\r\n");
    EXPECT_EQ(applyTextEdit(4, file, "SET PATH=C:\\DOS", "CALL APP"),
              "@ECHO OFF\r\nSET PATH=C:\\DOS\r\nCALL APP\r\nWIN\r\n");
    for (std::uint32_t mode : {5u, 6u, 100u})
        EXPECT_EQ(applyTextEdit(mode, file, "win", "CALL APP"),
                  "@ECHO OFF\r\nSET PATH=C:\\DOS\r\nCALL APP\r\nWIN\r\n");
}

TEST(TextEdit, AnchorMatchesALineEndAndTheWholeLineIsTheAnchorLine) {
    const std::string file = "REM SET X=1\r\nSET X=1\r\n";
    // The first match ends the REM line; that whole line is deleted, nothing is split.
    EXPECT_EQ(applyTextEdit(3, file, "SET X=1", ""), "SET X=1\r\n");
    EXPECT_EQ(applyTextEdit(5, file, "SET X=1", "NEW"), "NEW\r\n" + file);
    // The anchor must reach the line end: a line that only starts with it is no match,
    // nor a last line without a line end.
    EXPECT_FALSE(applyTextEdit(4, "SET X=10\r\n"s, "SET X=1", "NEW"));
    EXPECT_FALSE(applyTextEdit(4, "A\r\nSET X=1"s, "SET X=1", "NEW"));
}

TEST(TextEdit, MissingOrUnreadableFiles) {
    EXPECT_EQ(applyTextEdit(1, std::nullopt, "", "LINE"), "\r\nLINE");
    for (std::uint32_t mode : {0u, 2u, 3u, 4u, 5u})
        EXPECT_FALSE(applyTextEdit(mode, std::nullopt, "X", "LINE")) << mode;
}

TEST(InstallText, IconFieldsAndPaths) {
    IconField icon = splitIconField("C:\\App\\x.ico,12");
    EXPECT_EQ(icon.file, "C:\\App\\x.ico");
    EXPECT_EQ(icon.index, 1);
    icon = splitIconField("C:\\A,B\\app.exe,3");
    EXPECT_EQ(icon.file, "C:\\A,B\\app.exe");
    EXPECT_EQ(icon.index, 3);
    EXPECT_EQ(splitIconField("app.exe").index, 0);
    EXPECT_EQ(splitIconField("app.exe,").file, "app.exe");
    EXPECT_EQ(splitIconField("app.exe,x").index, 0);

    EXPECT_EQ(collapseDoubleBackslashes("C:\\\\App\\\\\\\\x.dll"), "C:\\App\\\\x.dll");
    EXPECT_EQ(collapseDoubleBackslashes("C:\\App\\x.dll"), "C:\\App\\x.dll");
    EXPECT_EQ(directoryOf("C:\\App\\x.dll"), "C:\\App");
    EXPECT_EQ(directoryOf("x.dll"), "");
    EXPECT_EQ(scratchFileName("C:\\App", 4711), "C:\\App\\4711.tmp");
    EXPECT_EQ(scratchFileName("C:", 5), "C:\\5.tmp");
}

TEST(InstallText, AsideNameTakesTheFirstFreeNumber) {
    std::set<std::string> taken;
    auto isTaken = [&](const std::string& name) { return taken.count(name) > 0; };
    EXPECT_EQ(inUseAsideName("C:\\a.dll", isTaken), "C:\\a.dll.delete_on_reboot0");
    taken = {"C:\\a.dll.delete_on_reboot0", "C:\\a.dll.delete_on_reboot1"};
    EXPECT_EQ(inUseAsideName("C:\\a.dll", isTaken), "C:\\a.dll.delete_on_reboot2");
}

TEST(InstallText, FormattingNeverReadsPastItsArguments) {
    EXPECT_EQ(formatText("File %s in %s", {"a", "b"}), "File a in b");
    EXPECT_EQ(formatText("%s %s %d 100%%", {"a"}), "a   100%");
    EXPECT_EQ(formatText("code %d, %x %n", {"-8"}), "code -8, %x %n");
    EXPECT_EQ(entry({"zero"}, 5), "");
}
