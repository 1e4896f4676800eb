#include "installer/setup/wizard/win32_document_page.h"

#include <richedit.h>

#include <cstring>
#include <optional>

#include "installer/common/win32_system_libraries.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/resource.h"
#include "installer/setup/wizard/wizard_texts.h"

namespace vortix {

namespace {

// The rich-edit control's class: the version-2 library, else the older one, else a
// plain multi-line edit control.
struct RichEditKind {
    const char* className = "EDIT";
    bool richText = false;
    bool richEdit = false;
};

const RichEditKind& richEditKind() {
    static const RichEditKind kind = [] {
        RichEditKind found;
        if (loadSystemLibrary("riched20.dll")) {
            found = {RICHEDIT_CLASSA, true, true};
        } else if (loadSystemLibrary("riched32.dll")) {
            found = {"RICHEDIT", false, true};
        }
        return found;
    }();
    return kind;
}

struct StreamedText {
    const std::string* text;
    std::size_t done;
};

DWORD CALLBACK streamOut(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* written) {
    auto* from = reinterpret_cast<StreamedText*>(cookie);
    std::size_t left = from->text->size() - from->done;
    std::size_t count =
        left < static_cast<std::size_t>(size) ? left : static_cast<std::size_t>(size);
    std::memcpy(buffer, from->text->data() + from->done, count);
    from->done += count;
    *written = static_cast<LONG>(count);
    return 0;
}

}  // namespace

WizardPage::Texts DocumentPage::texts(Texts standard) const {
    if (document_ != Document::Licence)
        return standard;
    const std::vector<std::string>& lines = run_.lines();
    standard.question = entry(lines, LanguageEntry::LicenceQuestion);
    // Accepting and declining; declining ends the installation without a question.
    standard.next = entry(lines, LanguageEntry::Yes);
    standard.cancel = entry(lines, LanguageEntry::No);
    standard.askBeforeCancel = false;
    return standard;
}

bool DocumentPage::fill(bool fresh) {
    if (!fresh)
        return true;
    const PackageSettings& settings = run_.settings();
    std::optional<std::string> text = readSealedText(
        run_.stream, run_.package.toc,
        document_ == Document::Licence ? toc::kLicencePresent : toc::kInformationPresent);
    if (!text) {
        // The page stays empty.
        run_.messages.error(entry(run_.lines(), LanguageEntry::TextUnreadable));
        return true;
    }
    std::string section = languageSection(*text, run_.language().identifier, run_.multilingual(),
                                          SectionStart::SkipOneLineEnd);
    setDocument(section, !(settings.options & kOptionPlainTextLicence));
    return true;
}

void DocumentPage::setDocument(const std::string& text, bool rich) {
    HWND frame = item(IDC_DOCUMENT);
    if (!frame)
        return;
    const RichEditKind& kind = richEditKind();
    char className[64] = "";
    GetClassNameA(frame, className, sizeof className);
    if (lstrcmpiA(className, kind.className) != 0) {
        RECT place;
        GetWindowRect(frame, &place);
        MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&place), 2);
        DestroyWindow(frame);
        frame = CreateWindowExA(
            WS_EX_CLIENTEDGE, kind.className, "",
            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
                ES_AUTOVSCROLL,
            place.left, place.top, place.right - place.left, place.bottom - place.top, handle(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_DOCUMENT)), nullptr, nullptr);
        if (!frame)
            return;
        SendMessageA(frame, WM_SETFONT, SendMessageA(handle(), WM_GETFONT, 0, 0), FALSE);
    }
    if (!kind.richEdit) {
        setItemText(IDC_DOCUMENT, text);
        return;
    }
    bool rtf = rich && kind.richText && text.compare(0, 5, "{\\rtf") == 0;
    StreamedText from{&text, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&from);
    stream.pfnCallback = streamOut;
    SendMessageA(frame, EM_STREAMIN, rtf ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&stream));
}

}  // namespace vortix
