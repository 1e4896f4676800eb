// "Search": the modeless dialog that finds entries by name, by company or in all
// fields, in the current group or in all groups, one "Find next" at a time.
#pragma once

#include <functional>

#include "addressbook/model/find_next.h"
#include "framework/dialog.h"

namespace ctlite {

class SearchDialog : public fw::DialogImpl<SearchDialog> {
public:
    static const fw::CommandEntry<SearchDialog> kCommands[];
    static const fw::DataEntry<SearchDialog> kData[];

    // `find` runs one step of the search and shows its result in the main window;
    // `closed` is called once the dialog is gone.
    SearchDialog(std::function<FindResult(FindNext&, const FindRequest&)> find,
                 std::function<void()> closed)
        : find_(std::move(find)), closed_(std::move(closed)) {}

    // Shown, centred on the screen; false when it could not be made.
    bool open(HWND owner);

private:
    BOOL onInit() override;
    void onTextChanged();
    void onFindNext();
    void onCancel();

    std::function<FindResult(FindNext&, const FindRequest&)> find_;
    std::function<void()> closed_;
    FindNext search_;
    // Names, company name or all fields; and whether in every group.
    int mode_ = 0;
    bool allGroups_ = true;
};

}  // namespace ctlite
