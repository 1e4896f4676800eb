#include "installer/setup/wizard/win32_user_page.h"

#include "installer/common/win32_registry.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/resource.h"

namespace vortix {

const fw::CommandEntry<UserPage> UserPage::kCommands[] = {
    {IDC_USER_NAME, EN_CHANGE, &UserPage::onFieldChanged},
    {IDC_USER_COMPANY, EN_CHANGE, &UserPage::onFieldChanged},
    {0, 0, nullptr},
};

namespace {

std::string loggedOnUser() {
    char name[256] = "";
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? std::string(name) : std::string();
}

std::string registeredOrganization() {
    Win32Registry registry;
    std::optional<RegistryValue> value = readRegistryValue(
        registry, RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
        "RegisteredOrganization", KeyAccess::QueryValues);
    // Read into 255 bytes: a longer name is not taken.
    if (!value || value->type != kRegistryTypeString || value->data.size() > 255)
        return "";
    return value->data.substr(0, value->data.find('\0'));
}

}  // namespace

UserPage::UserPage(PageContext& run) : run_(run) {
    const std::uint32_t options = run.settings().options;
    nameRequired_ = (options & kOptionRequireUserName) != 0;
    companyRequired_ = (options & kOptionRequireUserCompany) != 0;
    nameShown_ = nameRequired_ || (options & kOptionShowUserName);
    companyShown_ = companyRequired_ || (options & kOptionShowUserCompany);
}

bool UserPage::fill(bool fresh) {
    if (fresh) {
        const std::vector<std::string>& lines = run_.lines();
        setItemText(IDC_USER_NAME_LABEL, entry(lines, LanguageEntry::UserNameLabel));
        setItemText(IDC_USER_COMPANY_LABEL, entry(lines, LanguageEntry::CompanyLabel));
        // The earlier entries, else the logged-on user and the registered company.
        std::string name = run_.variables.userName();
        std::string company = run_.variables.userCompany();
        setItemText(IDC_USER_NAME, name.empty() ? loggedOnUser() : name);
        setItemText(IDC_USER_COMPANY, company.empty() ? registeredOrganization() : company);
        for (int id : {IDC_USER_NAME_LABEL, IDC_USER_NAME})
            showItem(id, nameShown_);
        for (int id : {IDC_USER_COMPANY_LABEL, IDC_USER_COMPANY})
            showItem(id, companyShown_);
    }
    onFieldChanged();
    return true;
}

bool UserPage::complete() const {
    return (!nameRequired_ || !typedText(IDC_USER_NAME).empty()) &&
           (!companyRequired_ || !typedText(IDC_USER_COMPANY).empty());
}

void UserPage::onFieldChanged() {
    // Next stays disabled while a required field is empty.
    enableItem(IDOK, complete());
}

bool UserPage::onNext() {
    if (!complete())
        return false;
    run_.variables.setUserName(nameShown_ ? typedText(IDC_USER_NAME) : "");
    run_.variables.setUserCompany(companyShown_ ? typedText(IDC_USER_COMPANY) : "");
    return true;
}

}  // namespace vortix
