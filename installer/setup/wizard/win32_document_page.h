// The licence page (stage 3) and the information page (stage 4): the package's
// text in the current language, in a rich-edit control made in place of the
// template's frame. The licence asks whether the user accepts it: Yes goes on, No
// ends the installation without the quit question.
#pragma once

#include <string>

#include "installer/setup/wizard/win32_page_context.h"
#include "installer/setup/wizard/win32_wizard_page.h"

namespace vortix {

class DocumentPage : public WizardPageImpl<DocumentPage> {
public:
    enum class Document { Licence, Information };

    DocumentPage(const PageContext& run, Document document) : run_(run), document_(document) {}

    Texts texts(Texts standard) const override;
    // The text is read the first time the page shows; one that cannot be read
    // leaves the page empty (after a message).
    bool fill(bool fresh) override;

private:
    // Fills the document control: as rich text when `rich` and the control can
    // show it, as plain text otherwise.
    void setDocument(const std::string& text, bool rich);

    const PageContext& run_;
    Document document_;
};

}  // namespace vortix
