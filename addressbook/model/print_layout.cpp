#include "addressbook/model/print_layout.h"

#include <algorithm>

namespace ctlite {
namespace {

// Lines 1 and 3 to 10 of both layouts; line 2 is the name.
PrintBlock commonLines(const Entry& entry, std::string name) {
    auto labelled = [&](const char* label, Field field) {
        return std::string(label).append(entry.get(field));
    };
    std::string address = "Address: ";
    address.append(entry.get(Field::StreetAddress))
        .append(" ")
        .append(entry.cityLine())
        .append(" ")
        .append(entry.get(Field::Country));
    return {labelled("Company Name: ", Field::CompanyName),
            "Name: " + name,
            labelled("Work Phone: ", Field::WorkPhone),
            labelled("Home Phone: ", Field::HomePhone),
            labelled("Mobile Phone: ", Field::MobilePhone),
            labelled("Fax Number: ", Field::FaxNumber),
            labelled("Pager Number: ", Field::PagerNumber),
            address,
            labelled("Email Address: ", Field::EmailAddress),
            labelled("Homepage: ", Field::Homepage),
            ""};
}

}  // namespace

PrintBlock listBlock(const Entry& entry, SortMode key) {
    PrintBlock block = commonLines(
        entry, key == SortMode::LastName ? entry.lastNameDisplay() : entry.firstNameDisplay());
    block[10] = std::string(30, '-');
    return block;
}

PrintBlock singleEntryPage(const Entry& entry) {
    PrintBlock block = commonLines(entry, entry.firstNameDisplay());
    block[10] = "Note: " + std::string(entry.get(Field::Note));
    return block;
}

std::vector<PrintedPage> planPrintAll(const std::vector<int>& lineEntries, int linesPerPage) {
    // Whole blocks only, and at least one a page.
    const std::size_t blocksPerPage =
        static_cast<std::size_t>(std::max(1, linesPerPage / kBlockLines));
    std::vector<PrintedPage> pages;
    for (int index : lineEntries) {
        if (index == kNoEntry)
            continue;
        if (pages.empty() || pages.back().entries.size() == blocksPerPage)
            pages.emplace_back();
        pages.back().entries.push_back(index);
    }
    return pages;
}

}  // namespace ctlite
