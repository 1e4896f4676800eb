#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <stdexcept>
#include <utility>

#include "installer/setup/actions/install_run.h"
#include "installer/setup/wizard/component_choices.h"
#include "installer/setup/wizard/install_type_choice.h"
#include "installer/setup/wizard/wizard_stages.h"
#include "installer/setup/wizard/wizard_texts.h"

using namespace vortix;

TEST(SizeText, EachUnitAndItsBoundary) {
    const std::uint64_t KB = 1024, MB = KB * KB, GB = MB * KB, TB = GB * KB;
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0 KB"},
        {500, "0 KB"},
        {1023, "0 KB"},
        {1024, "1 KB"},
        {MB - 1, "1023 KB"},
        {MB, "1,0 MB"},
        {1536 * KB, "1,5 MB"},
        {2 * MB - 1, "1,9 MB"},  // a tenth, never ",10"
        {GB - 1, "1023,9 MB"},
        {GB, "1,0 GB"},
        {5 * GB + 103 * MB, "5,1 GB"},
        {TB, "1,0 TB"},
        {2048 * TB + TB / 2, "2048,5 TB"},  // no larger unit
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(sizeText(bytes), text) << bytes;
}

TEST(SizeText, ASpaceNeededUnder1KbShowsAsOneKbFreeSpaceStillRoundsDown) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0 KB"}, {1, "1 KB"}, {1023, "1 KB"}, {1024, "1 KB"}, {1536 * 1024, "1,5 MB"}};
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(requiredSizeText(bytes), text) << bytes;
    SummaryFacts facts;
    facts.requiredBytes = 500;
    facts.freeBytes = 500;
    EXPECT_NE(summaryText(SummaryLabels{"", "", "", "Required:", "Available:", "", ""}, facts)
                  .find("Required: 1 KB\r\nAvailable: 0 KB"),
              std::string::npos);
}

TEST(TypedText, LosesOnlyTheSpacesAroundIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""}, {"   ", ""}, {"  C:\\Program Files  ", "C:\\Program Files"}, {"a", "a"}};
    for (const auto& [typed, kept] : cases)
        EXPECT_EQ(withoutOuterSpaces(typed), kept) << '"' << typed << '"';
}

TEST(LanguageSection, PicksTheCurrentLanguage) {
    const std::string text =
        "<LangID=1033>\r\n\r\nEnglish\r\n</LangID=1033><LangID=1031>\r\nDeutsch</LangID=1031>";
    EXPECT_EQ(languageSection(text, 1033, true), "English\r\n");
    EXPECT_EQ(languageSection(text, 1031, true), "Deutsch");
    // The licence keeps a blank line after the first line end.
    EXPECT_EQ(languageSection(text, 1033, true, SectionStart::SkipOneLineEnd), "\r\nEnglish\r\n");
    EXPECT_EQ(languageSection("<LangID=7>\nx</LangID=7>", 7, true, SectionStart::SkipOneLineEnd),
              "x");
    EXPECT_EQ(languageSection("<LangID=7>x", 7, true, SectionStart::SkipOneLineEnd), "x");
    // No section for the language, or not a multilingual package: the whole text.
    EXPECT_EQ(languageSection(text, 1036, true), text);
    EXPECT_EQ(languageSection(text, 1033, false), text);
    // "<LangID=10>" is not the section of language 1.
    EXPECT_EQ(languageSection("<LangID=10>ten</LangID=10>", 1, true), "<LangID=10>ten</LangID=10>");
}

TEST(Summary, TheLabelsInOrder) {
    SummaryLabels labels{"Ready",      "Type:",        "Components:",    "Required:",
                         "Available:", "Destination:", "Program folder:"};
    SummaryFacts facts;
    facts.requiredBytes = 1536 * 1024;
    facts.freeBytes = 500;
    facts.destination = "C:\\Contavo";
    facts.programFolder = "Contavo Lite";
    const std::string tail =
        "Required: 1,5 MB\r\nAvailable: 0 KB\r\n\r\nDestination:\r\nC:\\Contavo\r\n\r\n"
        "Program folder:\r\nContavo Lite";
    EXPECT_EQ(summaryText(labels, facts), "Ready\r\n=====\r\n\r\n" + tail);
    facts.typeOrComponentsShown = true;
    facts.typeCaption = "Custom";
    facts.componentsChosen = true;
    facts.components = {"Program", "Help"};
    EXPECT_EQ(
        summaryText(labels, facts),
        "Ready\r\n=====\r\n\r\nType:\r\nCustom\r\nComponents:\r\n\tProgram\r\n\tHelp\r\n\r\n" +
            tail);
}

// Program (fixed) > Help (ticked, 1,5 MB) and Samples > Pictures; Extras
// (ticked and fixed), numbered depth first 0 to 4.
class Components : public ::testing::Test {
protected:
    Components() : tree(2) {
        tree[0].name = "<LangID=1033>Program</LangID=1033><LangID=1031>Programm</LangID=1031>";
        tree[0].flags = kComponentFixed;
        tree[0].size = 1536 * 1024 + 300 + 1000;  // its children's and 1000 of its own
        tree[0].children.resize(2);
        tree[0].children[0].name = "Help";
        tree[0].children[0].flags = kComponentSelected;
        tree[0].children[0].size = 1536 * 1024;
        tree[0].children[1].name = "Samples";
        tree[0].children[1].size = 300;
        tree[0].children[1].children.resize(1);
        tree[0].children[1].children[0].name = "Pictures";
        tree[0].children[1].children[0].size = 200;
        tree[1].name = "Extras";
        tree[1].flags = kComponentSelected | kComponentFixed;
        tree[1].size = 7;
    }
    std::vector<Component> tree;
};

TEST_F(Components, DefaultsNamesSizesAndLabels) {
    ComponentChoices choices(tree);
    ASSERT_EQ(choices.count(), 5u);
    EXPECT_EQ(choices.selected(), (std::vector<bool>{true, true, false, false, true}));
    EXPECT_EQ(choices.state(0), ComponentState::Fixed);
    EXPECT_EQ(choices.parent(3), std::optional<std::size_t>(2));
    EXPECT_EQ(choices.parent(4), std::nullopt);
    EXPECT_EQ(choices.chosenNames(1031, true),
              (std::vector<std::string>{"Programm", "Help", "Extras"}));
    // Each counts what is its own: the program's size holds its children's.
    EXPECT_EQ(choices.requiredBytes(), 1000 + 1536 * 1024 + 7u);
    EXPECT_EQ(componentLabel("Help", tree[0].children[0]), "Help (1,5 MB)");
    EXPECT_EQ(componentLabel("Program", tree[0]), "Program");
}

TEST_F(Components, TickingCarriesToChildrenAndParentsFixedOnesStay) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::size_t, bool>> choose;
        std::vector<bool> chosen;
    };
    const Case cases[] = {
        {"a parent ticks its children", {{2, true}}, {true, true, true, true, true}},
        {"and unticks them", {{2, true}, {2, false}}, {true, true, false, false, true}},
        {"a child ticks its parent", {{3, true}}, {true, true, true, true, true}},
        {"unticking a child leaves its parent",
         {{3, true}, {3, false}},
         {true, true, true, false, true}},
        {"a fixed one cannot be unticked, nor its children through it",
         {{0, false}, {4, false}},
         {true, true, false, false, true}},
    };
    for (const Case& c : cases) {
        ComponentChoices choices(tree);
        for (auto [index, ticked] : c.choose)
            choices.choose(index, ticked);
        EXPECT_EQ(choices.selected(), c.chosen) << c.what;
        EXPECT_EQ(choices.state(0), ComponentState::Fixed) << c.what;
    }
    // A fixed child stays fixed and chosen when its parent is unticked.
    tree[0].children[1].children[0].flags = kComponentFixed;
    ComponentChoices fixedChild(tree);
    fixedChild.choose(2, true);
    fixedChild.choose(2, false);
    EXPECT_EQ(fixedChild.state(3), ComponentState::Fixed);
    EXPECT_EQ(fixedChild.selected(), (std::vector<bool>{true, true, false, true, true}));
}

TEST_F(Components, EarlierChoicesOutliveTheDefaults) {
    ComponentChoices choices(tree);
    choices.toggle(1);  // Help off
    choices.toggle(3);  // Pictures on, and Samples with it
    // The page reads the same choices when the user comes back to it.
    EXPECT_EQ(choices.state(1), ComponentState::Unticked);
    EXPECT_EQ(choices.state(2), ComponentState::Ticked);
    EXPECT_EQ(choices.chosenNames(1033, true),
              (std::vector<std::string>{"Program", "Samples", "Pictures", "Extras"}));
    EXPECT_EQ(choices.requiredBytes(), 1000u + 100 + 200 + 7);
}

TEST(InstallTypes, ButtonsCodesAndWhichFilesEachTakes) {
    EXPECT_EQ(installTypeOfButton(0), kTypicalType);
    EXPECT_EQ(installTypeOfButton(1), kMinimalType);
    EXPECT_EQ(installTypeOfButton(2), kCustomType);
    for (std::size_t button = 0; button < kInstallTypeButtons; ++button)
        EXPECT_EQ(buttonOfInstallType(installTypeOfButton(button)), button);
    EXPECT_EQ(buttonOfInstallType(3), 0u);
    // By type mask: typical, minimal, custom.
    const struct {
        std::uint32_t mask;
        bool typical, minimal, custom;
    } cases[] = {
        {0, false, false, true},          {1, true, true, true},
        {2, true, false, true},           {3, true, true, true},
        {4, false, false, true},          {5, true, true, true},
        {0xFFFFFFFEu, true, false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(installTypeTakes(kTypicalType, c.mask), c.typical) << c.mask;
        EXPECT_EQ(installTypeTakes(kMinimalType, c.mask), c.minimal) << c.mask;
        EXPECT_EQ(installTypeTakes(kCustomType, c.mask), c.custom) << c.mask;
    }
}

TEST(InstallTypes, TheComponentsAreChosenOnTheirPageOrWithTheCustomType) {
    struct Case {
        std::uint32_t pages, type;
        bool chosen;
    };
    const Case cases[] = {
        {0, kTypicalType, false},
        {kPageInstallType, kMinimalType, false},
        {kPageInstallType, kCustomType, true},  // the type brings the page
        {kPageComponents, kTypicalType, true},
        {kPageInstallType | kPageComponents, kMinimalType, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(componentsChosenOnPages(c.pages, c.type), c.chosen)
            << std::hex << c.pages << " type " << c.type;
}

TEST(InstallTypes, CaptionsInTheLanguageOrTheSetsOwn) {
    PackageSettings settings;
    settings.options |= kOptionMultilingual;
    settings.installTypes[0] = {
        "<LangID=1031>Standard</LangID=1031><LangID=1033>Typical</LangID=1033>", "All of it"};
    settings.installTypes[2] = {"Own choice", ""};
    std::vector<std::string> lines(kLanguageEntryCount);
    lines[indexOf(LanguageEntry::Minimal)] = "Minimal";
    lines[indexOf(LanguageEntry::MinimalText)] = "The least";
    lines[indexOf(LanguageEntry::CustomText)] = "Pick";
    EXPECT_EQ(installTypeTexts(settings, 0, 1031, lines).caption, "Standard");
    EXPECT_EQ(installTypeTexts(settings, 0, 1033, lines).description, "All of it");
    InstallTypeTexts minimal = installTypeTexts(settings, 1, 1033, lines);
    EXPECT_EQ(minimal.caption, "Minimal");
    EXPECT_EQ(minimal.description, "The least");
    InstallTypeTexts custom = installTypeTexts(settings, 2, 1033, lines);
    EXPECT_EQ(custom.caption, "Own choice");
    EXPECT_EQ(custom.description, "Pick");
}

// The stages a navigator ran, and the answers its plug-in gives.
class RecordingHooks : public StageHooks {
public:
    StageAnswer runStage(int stage, Direction direction) override {
        calls.push_back(direction == Direction::Forward ? stage : -stage);
        auto answer = answers.find(calls.back());
        if (answer == answers.end())
            return StageAnswer::GoOn;
        if (answer->second == StageAnswer::ShowsNothing)
            throw std::runtime_error("the plug-in failed");
        return answer->second;
    }
    std::vector<int> calls;              // backwards as negative stage numbers
    std::map<int, StageAnswer> answers;  // by the same numbers
};

// The shell's side of the bargain: an exception in the plug-in is a stage that
// shows nothing.
class CatchingHooks : public StageHooks {
public:
    explicit CatchingHooks(StageHooks& inner) : inner_(inner) {}
    StageAnswer runStage(int stage, Direction direction) override {
        try {
            return inner_.runStage(stage, direction);
        } catch (...) {
            return StageAnswer::ShowsNothing;
        }
    }

private:
    StageHooks& inner_;
};

class Navigation : public ::testing::Test {
protected:
    WizardStop page(int stage) { return {WizardStop::Page, stage}; }
    RecordingHooks recorded;
    CatchingHooks hooks{recorded};
};

TEST(Stages, PageFlagsToStages) {
    EXPECT_EQ(PageSet(0).shownStages(), std::vector<int>{kProgressStage});
    EXPECT_EQ(PageSet(0xFFF).shownStages(),
              (std::vector<int>{kLanguageStage, kWelcomeStage, kLicenceStage, kInformationStage,
                                kSystemInformationStage, kUserStage, kDestinationStage,
                                kProgramFolderStage, kInstallTypeStage, kComponentsStage,
                                kSummaryStage, kProgressStage, kFinishStage}));
    EXPECT_EQ(PageSet(kPageWelcome | kPageDestination | kPageFinish).shownStages(),
              (std::vector<int>{kWelcomeStage, kDestinationStage, kProgressStage, kFinishStage}));
    // The custom type brings the components page.
    EXPECT_EQ(PageSet(kPageInstallType, true).shownStages(),
              (std::vector<int>{kInstallTypeStage, kComponentsStage, kProgressStage}));
}

TEST(Stages, InstallCaptionOnTheLastPageBeforeTheInstallation) {
    PageSet pages(kPageWelcome | kPageDestination | kPageFinish);
    EXPECT_EQ(pages.nextCaption(kWelcomeStage), LanguageEntry::Next);
    EXPECT_EQ(pages.nextCaption(kDestinationStage), LanguageEntry::Install);
    EXPECT_EQ(pages.nextCaption(kFinishStage), LanguageEntry::Next);
    PageSet custom(kPageInstallType, false);
    EXPECT_EQ(custom.nextCaption(kInstallTypeStage), LanguageEntry::Install);
    custom.setCustomType(true);
    EXPECT_EQ(custom.nextCaption(kInstallTypeStage), LanguageEntry::Next);
}

TEST(StageAnswers, PluginResults) {
    EXPECT_EQ(stageAnswerOf(1), StageAnswer::GoOn);
    EXPECT_EQ(stageAnswerOf(2), StageAnswer::GoBack);
    EXPECT_EQ(stageAnswerOf(0), StageAnswer::Abort);
    EXPECT_EQ(stageAnswerOf(-1), StageAnswer::Abort);
}

TEST_F(Navigation, NoPagesGoesStraightToTheProgressPageAndEnds) {
    PageSet pages(0);
    StageNavigator wizard(pages, hooks);
    EXPECT_EQ(wizard.start(), page(kProgressStage));
    EXPECT_FALSE(wizard.canGoBack());
    EXPECT_EQ(wizard.next(), (WizardStop{WizardStop::Ended, kFinishStage}));
    EXPECT_EQ(recorded.calls,
              (std::vector<int>{kLanguageStage, kWelcomeStage, kLicenceStage, kInformationStage,
                                kSystemInformationStage, kUserStage, kDestinationStage,
                                kProgramFolderStage, kInstallTypeStage, kComponentsStage,
                                kSummaryStage, kProgressStage, kFinishStage}));
}

TEST_F(Navigation, BackAcrossDisabledPagesRunsThemBackwards) {
    PageSet pages(kPageWelcome | kPageLicence | kPageDestination | kPageFinish);
    StageNavigator wizard(pages, hooks);
    EXPECT_EQ(wizard.start(), page(kWelcomeStage));
    EXPECT_FALSE(wizard.canGoBack());
    EXPECT_EQ(wizard.back(), page(kWelcomeStage));  // nothing before it
    EXPECT_EQ(wizard.next(), page(kLicenceStage));
    EXPECT_EQ(wizard.next(), page(kDestinationStage));
    recorded.calls.clear();
    EXPECT_EQ(wizard.back(), page(kLicenceStage));
    EXPECT_EQ(recorded.calls, (std::vector<int>{-kDestinationStage, -kUserStage,
                                                -kSystemInformationStage, -kInformationStage}));
    EXPECT_EQ(wizard.stack(), (std::vector<int>{kWelcomeStage, kLicenceStage}));
    EXPECT_EQ(wizard.next(), page(kDestinationStage));
    EXPECT_EQ(wizard.next(), page(kProgressStage));
    EXPECT_FALSE(wizard.canGoBack());  // the installation is not gone back across
    EXPECT_EQ(wizard.next(), page(kFinishStage));
}

TEST_F(Navigation, PluginAnswersForwards) {
    PageSet pages(kPageWelcome | kPageDestination);
    StageNavigator wizard(pages, hooks);
    recorded.answers = {{kSystemInformationStage, StageAnswer::GoBack},
                        {kLicenceStage, StageAnswer::ShowsNothing}};
    EXPECT_EQ(wizard.start(), page(kWelcomeStage));
    recorded.calls.clear();
    // Stage 5 sends the user back to the welcome page; the stages before it see it.
    EXPECT_EQ(wizard.next(), page(kWelcomeStage));
    EXPECT_EQ(recorded.calls,
              (std::vector<int>{kLicenceStage, kInformationStage, kSystemInformationStage,
                                -kInformationStage, -kLicenceStage}));
    recorded.answers = {{kDestinationStage, StageAnswer::ShowsNothing},
                        {kInstallTypeStage, StageAnswer::Abort}};
    // A stage that fails shows nothing, even its own page; a refusal aborts.
    EXPECT_EQ(wizard.next(), (WizardStop{WizardStop::Aborted, kInstallTypeStage}));
}

TEST_F(Navigation, GoBackBeforeAnyPageGoesOn) {
    PageSet pages(kPageDestination);
    StageNavigator wizard(pages, hooks);
    recorded.answers = {{kWelcomeStage, StageAnswer::GoBack}};
    EXPECT_EQ(wizard.start(), page(kDestinationStage));
}

TEST_F(Navigation, AStageRefusingTheReturnStopsIt) {
    PageSet pages(kPageWelcome | kPageUserInformation | kPageDestination);
    StageNavigator wizard(pages, hooks);
    wizard.start();
    wizard.next();
    EXPECT_EQ(wizard.next(), page(kDestinationStage));
    // The page's own stage refuses: the page stays.
    recorded.answers = {{-kDestinationStage, StageAnswer::GoBack}};
    EXPECT_EQ(wizard.back(), page(kDestinationStage));
    EXPECT_EQ(wizard.stack(), (std::vector<int>{kWelcomeStage, kUserStage, kDestinationStage}));
    // A stage without a page refuses (any answer but 1 does, and going back never
    // aborts): the wizard goes forwards from it again.
    recorded.answers = {{-kInformationStage, StageAnswer::Abort}};
    recorded.calls.clear();
    EXPECT_EQ(wizard.back(), page(kUserStage));
    EXPECT_EQ(wizard.back(), page(kUserStage));
    EXPECT_EQ(recorded.calls,
              (std::vector<int>{-kDestinationStage, -kUserStage, -kSystemInformationStage,
                                -kInformationStage, kSystemInformationStage, kUserStage}));
    EXPECT_EQ(wizard.stack(), (std::vector<int>{kWelcomeStage, kUserStage}));
}

TEST_F(Navigation, TheCustomTypeBringsTheComponentsPageAndTakesItAway) {
    PageSet pages(kPageInstallType | kPageSummary);
    StageNavigator wizard(pages, hooks);
    EXPECT_EQ(wizard.start(), page(kInstallTypeStage));
    pages.setCustomType(true);
    EXPECT_EQ(wizard.next(), page(kComponentsStage));
    EXPECT_EQ(wizard.next(), page(kSummaryStage));
    EXPECT_EQ(wizard.back(), page(kComponentsStage));
    EXPECT_EQ(wizard.back(), page(kInstallTypeStage));
    // Another type: the components page is passed over forwards, and not gone
    // back to either.
    pages.setCustomType(false);
    recorded.calls.clear();
    EXPECT_EQ(wizard.next(), page(kSummaryStage));
    EXPECT_EQ(recorded.calls, (std::vector<int>{kComponentsStage, kSummaryStage}));
    EXPECT_EQ(wizard.stack(), (std::vector<int>{kInstallTypeStage, kSummaryStage}));
    EXPECT_EQ(wizard.back(), page(kInstallTypeStage));
}
