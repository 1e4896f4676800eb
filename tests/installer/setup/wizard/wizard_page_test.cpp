// A wizard page in this process under Wine: the wait for the user's choice on the
// framework's message loop, a page class's own table before the buttons every page
// has, and which stages have a page. The page is made from a package's own template
// (welcome-page.dlg: the heading, the prompt, its own text 501, Back, Next and Cancel).
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "installer/setup/resource.h"
#include "installer/setup/wizard/win32_stage_pages.h"
#include "installer/setup/wizard/win32_wizard_page.h"
#include "installer/setup/wizard/wizard_stages.h"
#include "tests/support/win32/driver.h"

namespace {

using namespace vortix;

constexpr int kOwnText = 501;

// A page class with a control of its own and a check on Next the test decides.
class ProbePage : public WizardPageImpl<ProbePage> {
public:
    static const fw::CommandEntry<ProbePage> kCommands[];

    bool acceptNext = true;
    int nextChecks = 0, ownClicks = 0;

private:
    bool onNext() override {
        ++nextChecks;
        return acceptNext;
    }
    void onOwnText() { ++ownClicks; }
};

const fw::CommandEntry<ProbePage> ProbePage::kCommands[] = {
    {kOwnText, STN_CLICKED, &ProbePage::onOwnText},
    {0, 0, nullptr},
};

// The WM_QUIT left in the queue, if any: its exit code.
std::optional<int> waitingQuit() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        return std::nullopt;
    return static_cast<int>(message.wParam);
}

class WizardPageWait : public testing::Test {
protected:
    void SetUp() override {
        ownTemplate = testing_support::readAll(testing_support::windowsPath(PAGE_TEMPLATES_DIR) +
                                               "\\welcome-page.dlg");
        ASSERT_FALSE(ownTemplate.empty());
        parent = CreateWindowExA(0, "STATIC", "wizard", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent, nullptr);
        page.setLook(nullptr, kWelcomeStage, &ownTemplate);
    }
    void TearDown() override { DestroyWindow(parent); }

    bool show(bool canGoBack) {
        WizardPage::Texts texts;
        texts.heading = "Heading";
        texts.next = "&Next";
        // The quit question is a message box of its own; these cases do without it.
        texts.askBeforeCancel = false;
        return page.show(GetModuleHandleA(nullptr), parent, 0, texts, canGoBack);
    }
    // A click the page finds in its queue when it starts waiting.
    void post(int id, int code = BN_CLICKED) {
        PostMessageA(page.handle(), WM_COMMAND, MAKEWPARAM(id, code), 0);
    }

    std::string ownTemplate;
    HWND parent = nullptr;
    ProbePage page;
    SetupMessages messages{false};
};

TEST_F(WizardPageWait, TheClicksAPageWaitsOnDecideItsChoice) {
    struct Case {
        const char* what;
        bool canGoBack, acceptNext;
        std::vector<int> clicks;
        PageChoice choice;
        int nextChecks, ownClicks;
    };
    const Case cases[] = {
        {"Next", false, true, {IDOK}, PageChoice::Next, 1, 0},
        {"Next refused keeps the page; Back leaves it",
         true,
         false,
         {IDOK, IDC_BACK},
         PageChoice::Back,
         1,
         0},
        {"a disabled Back is no choice", false, true, {IDC_BACK, IDOK}, PageChoice::Next, 1, 0},
        {"Cancel without the question", true, true, {IDCANCEL}, PageChoice::Cancel, 0, 0},
        {"the page's own control, then Next",
         false,
         true,
         {kOwnText, IDOK},
         PageChoice::Next,
         1,
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        page.acceptNext = c.acceptNext;
        page.nextChecks = page.ownClicks = 0;
        ASSERT_TRUE(show(c.canGoBack));
        for (int id : c.clicks)
            post(id, id == kOwnText ? STN_CLICKED : BN_CLICKED);
        EXPECT_EQ(page.waitForChoice(messages, ""), c.choice);
        EXPECT_EQ(page.nextChecks, c.nextChecks);
        EXPECT_EQ(page.ownClicks, c.ownClicks);
        // The choice ended the loop: nothing is left for the loop outside.
        EXPECT_EQ(waitingQuit(), std::nullopt);
    }
}

TEST_F(WizardPageWait, AQuitFromElsewhereIsCancelAndPostedAgain) {
    ASSERT_TRUE(show(true));
    PostQuitMessage(7);
    EXPECT_EQ(page.waitForChoice(messages, ""), PageChoice::Cancel);
    EXPECT_EQ(waitingQuit(), std::optional<int>(7));
}

TEST_F(WizardPageWait, AClickOnAPageNotWaitingIsKeptUntilItShowsAgain) {
    ASSERT_TRUE(show(true));
    // A click that reaches the page while no wait runs ends no loop.
    SendMessageA(page.handle(), WM_COMMAND, MAKEWPARAM(IDC_BACK, BN_CLICKED), 0);
    EXPECT_EQ(waitingQuit(), std::nullopt);
    EXPECT_EQ(page.waitForChoice(messages, ""), PageChoice::Back);
    SendMessageA(page.handle(), WM_COMMAND, MAKEWPARAM(IDC_BACK, BN_CLICKED), 0);
    ASSERT_TRUE(show(true));
    post(IDOK);
    EXPECT_EQ(page.waitForChoice(messages, ""), PageChoice::Next);
    EXPECT_EQ(waitingQuit(), std::nullopt);
}

TEST(StagePages, EveryStageBeforeTheInstallationHasItsPageAndNoOtherHasOne) {
    for (int stage = 0; stage <= kClosingStage + 1; ++stage) {
        const StagePage* page = stagePage(stage);
        bool wizardStage = stage >= kFirstStage && stage < kProgressStage;
        ASSERT_EQ(page != nullptr, wizardStage) << "stage " << stage;
        if (!page)
            continue;
        EXPECT_EQ(page->stage, stage);
        EXPECT_NE(page->make, nullptr) << "stage " << stage;
        // Only the language page has texts of its own.
        EXPECT_EQ(page->caption.has_value(), stage != kLanguageStage) << "stage " << stage;
    }
}

}  // namespace
