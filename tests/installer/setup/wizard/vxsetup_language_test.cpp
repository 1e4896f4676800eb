// The language page and the program folder page under Wine, driven as a user
// would: a package with an English (default) and a German set, each walked page by
// page in its own language.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/installer/setup/vxsetup_fixture.h"

using namespace vxsetup_testing;

namespace {

constexpr int kPrompt = 30, kStatus = 20;
constexpr int kLanguageList = 50, kProgramFolderLabel = 51, kProgramFolder = 52,
              kExistingFolders = 54;

// Picks row `row` of a list box as a click would: selected, and its owner told.
void pick(HWND page, int id, int row) {
    HWND list = GetDlgItem(page, id);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// The progress page (it has the status line and no heading).
HWND progressPage(HWND window) {
    HWND page = nullptr;
    waitUntil([&] {
        page = nullptr;
        while ((page = FindWindowExA(window, page, "VIDialogTemplate", nullptr)))
            if (IsWindowVisible(page) && GetDlgItem(page, kStatus))
                return true;
        return false;
    });
    return page;
}

// The visible windows of a process and their captions, for a failure's message.
std::string windowsOf(DWORD processId) {
    struct Found {
        DWORD processId;
        std::string text;
    } found{processId, ""};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* into = reinterpret_cast<Found*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            char caption[256] = "", className[64] = "";
            GetWindowTextA(window, caption, sizeof caption);
            GetClassNameA(window, className, sizeof className);
            if (owner != into->processId || !IsWindowVisible(window))
                return TRUE;
            into->text += std::string(className) + " \"" + caption + "\" (";
            for (HWND page = nullptr; (page = FindWindowExA(window, page, nullptr, nullptr));) {
                char heading[256] = "";
                GetDlgItemTextA(page, 31, heading, sizeof heading);
                into->text += std::string(IsWindowVisible(page) ? "shown" : "hidden") + " \"" +
                              heading + "\", ";
            }
            into->text += "); ";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.text;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

const std::string kProduct = "VxLang";

// A package with the language, welcome, information and program folder pages, an
// English and a German set, and a shortcut to its one file. Its ActiveX library
// fails to register, which holds the progress page with a question.
class VxsetupLanguages : public testing::Test {
protected:
    Package make(const std::string& name) {
        PackageMaker maker(name);
        maker.file("read.txt", "language");
        maker.file("control.ocx", "not a library at all");
        maker.file("information.txt",
                   "<LangID=1033>\nRead this first.\n</LangID=1033>"
                   "<LangID=1031>\nBitte zuerst lesen.\n</LangID=1031>");
        return maker.build(R"(
[package]
product = "VxLang"
install_dir = '<ProgramFiles>\VxLang'
shortcut_folder = "VxLang Tools"
pages = ["language", "welcome", "information", "program_folder"]
language_caption = "Language / Sprache"
language_prompt = "Choose your language:"
information = "information.txt"

[[languages]]
name = "Deutsch"
id = 1031
file = ')" + kDeutsch + R"('

[[files]]
source = "read.txt"
target = '<InstallDir>\read.txt'

[[files]]
source = "control.ocx"
target = '<InstallDir>\control.ocx'
register = true

[[shortcuts]]
target = '<InstallDir>\read.txt'
file = '<ShortcutDir>\Read.lnk'
)");
    }

    void SetUp() override {
        CreateDirectoryA(existing.c_str(), nullptr);
        CreateDirectoryA(hidden.c_str(), nullptr);
    }
    void TearDown() override {
        RemoveDirectoryA(existing.c_str());
        RemoveDirectoryA(hidden.c_str());
    }

    const std::string dir = programFiles() + "\\VxLang";
    const std::string existing = programsFolder() + "\\VxExisting";
    const std::string hidden = programsFolder() + "\\.VxHidden";
};

// What a run in one language shows: the list row chosen, the window title, and
// each page's heading and texts in that language.
struct LanguageRun {
    const char* name;
    int row;
    std::string title;
    std::string quitQuestion, next, install;
    std::string welcome, information, informationText;
    std::string programFolder, programFolderLabel, folderRefused;
    std::string installing;
};

const LanguageRun kRuns[] = {
    {"English", 0, "VxLang Setup", "Do you really want to quit Setup?", "&Next >", "&Install",
     "Welcome", "Information", "Read this first.", "Program Folder", "&Program folder:",
     "cannot hold any of the characters", "Please wait while Setup installs the program"},
    {"Deutsch", 1, "Installation von VxLang",
     "M\xF6"
     "chten Sie das Setup wirklich beenden?",
     "&Weiter >", "&Installieren", "Willkommen", "Information", "Bitte zuerst lesen.",
     "Programmordner", "&Programmordner:", "darf keines der Zeichen",
     "Bitte warten Sie, w\xE4hrend das Setup"},
};

class VxsetupLanguageWalk : public VxsetupLanguages,
                            public testing::WithParamInterface<LanguageRun> {};

}  // namespace

TEST_P(VxsetupLanguageWalk, EveryPageAfterTheChoiceSpeaksItsLanguage) {
    const LanguageRun& run = GetParam();
    Package package = make(std::string("language-walk-") + run.name);
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    EndsWithTheTest ending{setup};
    User user(setup.process.dwProcessId);

    // The language page: no set is loaded yet, so the package's own words.
    HWND languages = waitForPage(kProduct);
    ASSERT_NE(languages, nullptr);
    EXPECT_EQ(User::text(languages, kHeading), "Language / Sprache");
    EXPECT_EQ(User::text(languages, kPrompt), "Choose your language:");
    EXPECT_EQ(User::text(languages, IDOK), "&Next >>");
    EXPECT_EQ(User::text(languages, kBack), "<< &Back");
    EXPECT_EQ(User::text(languages, IDCANCEL), "&Cancel");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(languages, kBack)));
    EXPECT_EQ(User::rows(languages, kLanguageList),
              (std::vector<std::string>{"English", "Deutsch"}));
    EXPECT_EQ(SendDlgItemMessageA(languages, kLanguageList, LB_GETCURSEL, 0, 0), 0);
    pick(languages, kLanguageList, run.row);
    User::press(languages, IDOK);

    // From here on, the chosen set: the main window's title first.
    ASSERT_TRUE(waitUntil([&] { return FindWindowA("VortixInstaller", run.title.c_str()); }))
        << run.title;
    HWND welcome = nextPage(kProduct, languages);
    ASSERT_NE(welcome, nullptr);
    EXPECT_EQ(User::text(welcome, kHeading), run.welcome);
    EXPECT_EQ(User::text(welcome, IDOK), run.next);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(welcome, kBack)));
    // The quit question in the language, under the language's title; No keeps the page.
    User::press(welcome, IDCANCEL);
    HWND box = user.waitFor(run.title, 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(contains(User::messageText(box), run.quitQuestion)) << User::messageText(box);
    User::answer(box, IDNO);
    ASSERT_TRUE(waitUntil([&] { return IsWindowEnabled(welcome) != FALSE; }));
    User::press(welcome, IDOK);

    HWND information = nextPage(kProduct, welcome);
    ASSERT_NE(information, nullptr);
    EXPECT_EQ(User::text(information, kHeading), run.information);
    // The multilingual text's section of the chosen language only.
    std::string document = User::text(information, kDocument);
    EXPECT_EQ(document.rfind(run.informationText, 0), 0u) << document;
    EXPECT_EQ(document.find("<LangID"), std::string::npos) << document;
    User::press(information, IDOK);

    // The program folder page: the package's folder first, the existing folders
    // (not the hidden one) to pick from, and Install as the last page's Next.
    HWND folder = nextPage(kProduct, information);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(User::text(folder, kHeading), run.programFolder);
    EXPECT_EQ(User::text(folder, kProgramFolderLabel), run.programFolderLabel);
    EXPECT_EQ(User::text(folder, IDOK), run.install);
    EXPECT_EQ(User::text(folder, kProgramFolder), "VxLang Tools");
    std::vector<std::string> listed = User::rows(folder, kExistingFolders);
    auto at = std::find(listed.begin(), listed.end(), "VxExisting");
    ASSERT_NE(at, listed.end());
    EXPECT_EQ(std::find(listed.begin(), listed.end(), ".VxHidden"), listed.end());
    pick(folder, kExistingFolders, static_cast<int>(at - listed.begin()));
    EXPECT_TRUE(waitUntil([&] { return User::text(folder, kProgramFolder) == "VxExisting"; }));
    // A name no folder can have is refused in the language, and the page stays.
    SetDlgItemTextA(folder, kProgramFolder, "Tools|Menu");
    User::press(folder, IDOK);
    box = user.waitFor(run.title, 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(contains(User::messageText(box), run.folderRefused)) << User::messageText(box);
    User::answer(box, IDOK);
    EXPECT_EQ(waitForPage(kProduct), folder);
    SetDlgItemTextA(folder, kProgramFolder, "VxLang Menu");
    User::press(folder, IDOK);

    // The progress page's prompt, while the registration question holds it.
    box = user.waitFor(run.title, 60, 0xFFFF);
    ASSERT_NE(box, nullptr);
    HWND progress = progressPage(findSetupWindow(run.title));
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(User::text(progress, kPrompt).rfind(run.installing, 0), 0u)
        << User::text(progress, kPrompt);
    User::answer(box, IDOK);
    EXPECT_EQ(setup.wait(), 1u);

    // The shortcut went into the typed folder under the Programs folder.
    std::string menu = programsFolder() + "\\VxLang Menu";
    EXPECT_TRUE(exists(menu + "\\Read.lnk"));
    EXPECT_FALSE(exists(programsFolder() + "\\VxLang Tools"));
    EXPECT_EQ(uninstall(kProduct), 1u);
    simulateRestart();
    EXPECT_FALSE(exists(menu + "\\Read.lnk"));
    EXPECT_FALSE(exists(dir));
}

INSTANTIATE_TEST_SUITE_P(Languages, VxsetupLanguageWalk, testing::ValuesIn(kRuns),
                         [](const testing::TestParamInfo<LanguageRun>& named) {
                             return std::string(named.param.name);
                         });

TEST_F(VxsetupLanguages, BackReturnsToTheChoiceCancelThereAsksASecondCopyFindsTheWindow) {
    Package package = make("language-back");
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    EndsWithTheTest ending{setup};
    User user(setup.process.dwProcessId);
    HWND languages = waitForPage(kProduct);
    ASSERT_NE(languages, nullptr);
    EXPECT_TRUE(FindWindowA("VortixInstaller", kProduct.c_str()));  // the package's title

    // No set is loaded: the question is the fixed one, under the package's title.
    User::press(languages, IDCANCEL);
    HWND box = user.waitFor(kProduct, 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "Do your really want to exit setup?");
    User::answer(box, IDNO);
    ASSERT_TRUE(waitUntil([&] { return IsWindowEnabled(languages) != FALSE; }));
    EXPECT_TRUE(IsWindowVisible(languages));

    User::press(languages, IDOK);  // English, the default
    HWND welcome = nextPage(kProduct, languages);
    ASSERT_NE(welcome, nullptr);
    EXPECT_EQ(User::text(welcome, kHeading), "Welcome");
    ASSERT_TRUE(User::waitEnabled(welcome, kBack));
    User::press(welcome, kBack);
    ASSERT_TRUE(waitUntil([&] { return waitForPage(kProduct) == languages; }));
    EXPECT_EQ(SendDlgItemMessageA(languages, kLanguageList, LB_GETCURSEL, 0, 0), 0);
    // Another choice: the pages come again in the new language.
    pick(languages, kLanguageList, 1);
    User::press(languages, IDOK);
    ASSERT_TRUE(waitUntil([&] { return waitForPage(kProduct) != languages; }));
    HWND window = FindWindowA("VortixInstaller", "Installation von VxLang");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(User::text(waitForPage(kProduct), kHeading), "Willkommen")
        << windowsOf(setup.process.dwProcessId);

    // A second copy finds the running one although its title is no longer the
    // package's, and brings it back from the task bar.
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(waitUntil([&] { return IsIconic(window) != FALSE; }));
    Started second = launch("\"" + package.setup + "\"", package.directory);
    EXPECT_EQ(second.wait(30000), 0u);
    EXPECT_TRUE(waitUntil([&] { return !IsIconic(window); }));

    User::press(waitForPage(kProduct), IDCANCEL);
    box = user.waitFor("Installation von VxLang", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    User::answer(box, IDYES);
    EXPECT_EQ(setup.wait(), 0u);
    EXPECT_FALSE(exists(dir));
}

namespace {

// Where the German set lies in a setup program: the offset of its name (after the
// name's length) and the length of its sealed texts, which follow the identifier.
struct GermanSet {
    std::size_t name = std::string::npos, texts = 0, textLength = 0;
};

GermanSet findGermanSet(const std::string& bytes) {
    const std::string name = std::string("Deutsch") + std::string("\0\0\x04\x07", 4);
    GermanSet found;
    found.name = bytes.rfind(name);
    if (found.name == std::string::npos || found.name + name.size() + 4 > bytes.size())
        return {};
    std::size_t at = found.name + name.size();
    for (int i = 0; i < 4; ++i)
        found.textLength = found.textLength << 8 | static_cast<unsigned char>(bytes[at + i]);
    found.texts = at + 4;
    return found;
}

}  // namespace

TEST_F(VxsetupLanguages, ASetThatCannotBeLoadedIsSaidAndThePageStays) {
    Package package = make("language-broken");
    // Damage the German texts: their seal no longer matches.
    std::string bytes = readAll(package.setup);
    GermanSet german = findGermanSet(bytes);
    ASSERT_NE(german.name, std::string::npos);
    ASSERT_LT(german.texts + german.textLength, bytes.size());
    bytes[german.texts + german.textLength / 2] ^= 0x55;
    writeResealed(package.setup, bytes);

    Started setup = launch("\"" + package.setup + "\"", package.directory);
    EndsWithTheTest ending{setup};
    User user(setup.process.dwProcessId);
    HWND languages = waitForPage(kProduct);
    ASSERT_NE(languages, nullptr);
    pick(languages, kLanguageList, 1);
    User::press(languages, IDOK);
    HWND box = user.waitFor(kProduct, 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "Couldn't load language set!");
    User::answer(box, IDOK);
    EXPECT_EQ(waitForPage(kProduct), languages);
    EXPECT_TRUE(FindWindowA("VortixInstaller", kProduct.c_str()));
    // English still loads.
    pick(languages, kLanguageList, 0);
    User::press(languages, IDOK);
    HWND welcome = nextPage(kProduct, languages);
    ASSERT_NE(welcome, nullptr);
    EXPECT_EQ(User::text(welcome, kHeading), "Welcome");
}

TEST_F(VxsetupLanguages, ALanguageListThatCannotBeReadEndsTheRun) {
    Package package = make("language-list-broken");
    // The German name's length runs past its entry: the list cannot be read.
    std::string bytes = readAll(package.setup);
    GermanSet german = findGermanSet(bytes);
    ASSERT_NE(german.name, std::string::npos);
    ASSERT_GE(german.name, 4u);
    bytes.replace(german.name - 4, 4, std::string("\x00\x01\x00\x00", 4));
    writeResealed(package.setup, bytes);

    Started setup = launch("\"" + package.setup + "\"", package.directory);
    EndsWithTheTest ending{setup};
    User user(setup.process.dwProcessId);
    HWND box = user.waitFor(kProduct, 60, 0xFFFF);
    ASSERT_NE(box, nullptr) << windowsOf(setup.process.dwProcessId);
    EXPECT_EQ(User::messageText(box), "Unknown error");
    User::answer(box, IDOK);
    EXPECT_EQ(setup.wait(), 0u);
    EXPECT_FALSE(exists(dir));
}

namespace {

// Entry `k` of a language set file as the setup program shows it (the files are
// UTF-8; the pages are read through the ANSI code page).
std::string setEntry(const std::string& file, std::size_t k) {
    std::string text = readAll(file), line;
    for (std::size_t at = 0, n = 0; at <= text.size(); ++n) {
        std::size_t end = text.find("\r\n", at);
        if (n == k) {
            line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
            break;
        }
        if (end == std::string::npos)
            break;
        at = end + 2;
    }
    wchar_t wide[1024] = L"";
    MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, wide, 1024);
    char ansi[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

// The headings of the pages in the order a package with every page shows them
// after the language page: welcome, licence, information, system information,
// user information, destination, program folder, installation type, components
// and summary.
const std::size_t kHeadingEntries[] = {12, 18, 22, 24, 28, 34, 42, 46, 48, 51};
constexpr std::size_t kSetupTitleEntry = 8, kCompleteHeadingEntry = 56;

struct EveryPageRun {
    const char* name;
    int row;
    const std::string* set;
};

const EveryPageRun kEveryPageRuns[] = {{"English", 0, &kEnglish}, {"Deutsch", 1, &kDeutsch}};

class VxsetupEveryPage : public VxsetupLanguages,
                         public testing::WithParamInterface<EveryPageRun> {};

}  // namespace

// A package with every page: chosen in the language page, each page in turn shows
// its heading from the chosen set, and Next leads on to the finish page.
TEST_P(VxsetupEveryPage, FromTheLanguagePageToTheFinishPage) {
    const EveryPageRun& run = GetParam();
    PackageMaker maker(std::string("every-page-") + run.name);
    maker.file("program.txt", "program");
    maker.file("help.txt", "help");
    maker.file("terms.txt",
               "<LangID=1033>\r\nTerms.\r\n</LangID=1033>"
               "<LangID=1031>\r\nBedingungen.\r\n</LangID=1031>");
    Package package = maker.build(R"(
[package]
product = "VxEvery"
install_dir = '<ProgramFiles>\VxEvery'
shortcut_folder = "VxEvery"
pages = ["language", "welcome", "licence", "information", "system_information",
         "user_information", "destination", "program_folder", "install_type", "components",
         "summary", "finish"]
user_name = "shown"
licence = "terms.txt"
information = "terms.txt"
language_caption = "Language / Sprache"
language_prompt = "Choose your language:"

[[package.install_types]]
caption = { 1033 = "Typical", 1031 = "Standard" }
[[package.install_types]]
caption = { 1033 = "Minimal", 1031 = "Minimal" }
[[package.install_types]]
caption = { 1033 = "Custom", 1031 = "Benutzerdefiniert" }

[[languages]]
name = "Deutsch"
id = 1031
file = ')" + kDeutsch + R"('

[[components]]
id = "program"
name = { 1033 = "Program", 1031 = "Programm" }
fixed = true
[[components]]
id = "help"
name = { 1033 = "Help", 1031 = "Hilfe" }
selected = true

[[files]]
source = "program.txt"
target = '<InstallDir>\program.txt'
component = "program"

[[files]]
source = "help.txt"
target = '<InstallDir>\help.txt'
component = "help"
)");
    const std::string product = "VxEvery", folder = programFiles() + "\\VxEvery";
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    EndsWithTheTest ending{setup};

    HWND page = waitForPage(product);
    ASSERT_NE(page, nullptr);
    pick(page, kLanguageList, run.row);
    User::press(page, IDOK);
    std::string title = setEntry(*run.set, kSetupTitleEntry);
    title.replace(title.find("%s"), 2, product);
    ASSERT_TRUE(waitUntil([&] { return FindWindowA("VortixInstaller", title.c_str()); }))
        << title << ": " << windowsOf(setup.process.dwProcessId);

    for (std::size_t entry : kHeadingEntries) {
        HWND shown = nextPage(product, page);
        ASSERT_NE(shown, nullptr) << "after " << User::text(page, kHeading);
        std::string heading = setEntry(*run.set, entry);
        ASSERT_FALSE(heading.empty()) << "entry " << entry;
        EXPECT_EQ(User::text(shown, kHeading), heading);
        ASSERT_TRUE(User::waitEnabled(shown, IDOK));
        User::press(shown, IDOK);
        page = shown;
    }
    HWND finish = nextPage(product, page);
    ASSERT_NE(finish, nullptr) << windowsOf(setup.process.dwProcessId);
    EXPECT_EQ(User::text(finish, kHeading), setEntry(*run.set, kCompleteHeadingEntry));
    User::press(finish, IDOK);
    EXPECT_EQ(setup.wait(), 1u);
    EXPECT_EQ(readAll(folder + "\\program.txt"), "program");
    EXPECT_EQ(readAll(folder + "\\help.txt"), "help");
    EXPECT_EQ(uninstall(product), 1u);
    simulateRestart();
    EXPECT_FALSE(exists(folder));
}

INSTANTIATE_TEST_SUITE_P(Languages, VxsetupEveryPage, testing::ValuesIn(kEveryPageRuns),
                         [](const testing::TestParamInfo<EveryPageRun>& named) {
                             return std::string(named.param.name);
                         });
