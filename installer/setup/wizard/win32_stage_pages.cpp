#include "installer/setup/wizard/win32_stage_pages.h"

#include "installer/setup/resource.h"
#include "installer/setup/wizard/win32_components_page.h"
#include "installer/setup/wizard/win32_destination_page.h"
#include "installer/setup/wizard/win32_document_page.h"
#include "installer/setup/wizard/win32_install_type_page.h"
#include "installer/setup/wizard/win32_language_page.h"
#include "installer/setup/wizard/win32_program_folder_page.h"
#include "installer/setup/wizard/win32_summary_page.h"
#include "installer/setup/wizard/win32_system_information_page.h"
#include "installer/setup/wizard/win32_user_page.h"
#include "installer/setup/wizard/win32_welcome_page.h"

namespace vortix {

namespace {

template <class Page>
std::unique_ptr<WizardPage> make(PageContext& run) {
    return std::make_unique<Page>(run);
}

template <DocumentPage::Document document>
std::unique_ptr<WizardPage> makeDocument(PageContext& run) {
    return std::make_unique<DocumentPage>(run, document);
}

constexpr StagePage kStagePages[] = {
    {kLanguageStage, IDD_LANGUAGE_PAGE, std::nullopt, &make<LanguagePage>},
    {kWelcomeStage, IDD_WELCOME_PAGE,
     PageCaption{LanguageEntry::WelcomeHeading, LanguageEntry::WelcomeText}, &make<WelcomePage>},
    {kLicenceStage, IDD_TEXT_PAGE,
     PageCaption{LanguageEntry::LicenceHeading, LanguageEntry::LicenceText},
     &makeDocument<DocumentPage::Document::Licence>},
    {kInformationStage, IDD_TEXT_PAGE,
     PageCaption{LanguageEntry::InformationHeading, LanguageEntry::InformationText},
     &makeDocument<DocumentPage::Document::Information>},
    {kSystemInformationStage, IDD_SYSTEM_PAGE,
     PageCaption{LanguageEntry::SystemHeading, LanguageEntry::SystemText},
     &make<SystemInformationPage>},
    {kUserStage, IDD_USER_PAGE, PageCaption{LanguageEntry::UserHeading, LanguageEntry::UserText},
     &make<UserPage>},
    {kDestinationStage, IDD_DESTINATION_PAGE,
     PageCaption{LanguageEntry::DestinationHeading, LanguageEntry::DestinationText},
     &make<DestinationPage>},
    {kProgramFolderStage, IDD_PROGRAM_FOLDER_PAGE,
     PageCaption{LanguageEntry::ProgramFolderHeading, LanguageEntry::ProgramFolderText},
     &make<ProgramFolderPage>},
    {kInstallTypeStage, IDD_INSTALL_TYPE_PAGE,
     PageCaption{LanguageEntry::InstallTypeHeading, LanguageEntry::InstallTypeText},
     &make<InstallTypePage>},
    {kComponentsStage, IDD_COMPONENTS_PAGE,
     PageCaption{LanguageEntry::ComponentsHeading, LanguageEntry::ComponentsText},
     &make<ComponentsPage>},
    {kSummaryStage, IDD_SUMMARY_PAGE,
     PageCaption{LanguageEntry::ReadyHeading, LanguageEntry::ReadyText}, &make<SummaryPage>},
};

}  // namespace

const StagePage* stagePage(int stage) {
    for (const StagePage& page : kStagePages)
        if (page.stage == stage)
            return &page;
    return nullptr;
}

}  // namespace vortix
