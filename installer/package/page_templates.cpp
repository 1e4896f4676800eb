#include "installer/package/page_templates.h"

namespace vortix {
namespace {

// Window and dialog styles, as Windows defines them.
constexpr std::uint32_t kChild = 0x40000000, kPopup = 0x80000000, kCaption = 0x00C00000,
                        kSystemMenu = 0x00080000, kThickFrame = 0x00040000,
                        kMinimiseBox = 0x00020000, kMaximiseBox = 0x00010000, kModalFrame = 0x80,
                        kControl = 0x400, kSetFont = 0x40, kShellFont = 0x48;

// Reads a template front to back; any read past the end fails the whole walk.
class TemplateCursor {
public:
    explicit TemplateCursor(std::string_view bytes) : bytes_(bytes) {}

    std::size_t at() const { return at_; }
    bool failed() const { return failed_; }

    std::uint32_t word() { return take(2); }
    std::uint32_t dword() { return take(4); }
    void skip(std::size_t count) {
        if (!fits(count))
            return;
        at_ += count;
    }
    // A UTF-16 text ending in a zero character.
    void text() {
        while (!failed_ && word() != 0) {
        }
    }
    // A name or an ordinal: 0 (none), 0xFFFF and a number, or a text.
    void nameOrOrdinal() {
        std::uint32_t first = word();
        if (first == 0xFFFF)
            word();
        else if (first != 0)
            text();
    }
    void alignTo4() { skip((4 - at_ % 4) % 4); }

private:
    bool fits(std::size_t count) {
        if (failed_ || bytes_.size() - at_ < count)
            failed_ = true;
        return !failed_;
    }
    std::uint32_t take(std::size_t count) {
        if (!fits(count))
            return 0;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < count; ++i)
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[at_ + i]))
                     << (8 * i);
        at_ += count;
        return value;
    }

    std::string_view bytes_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

void putWord(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void setDword(std::string& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

namespace {

// The template made ready for a page, or nothing with the reason in `why`.
std::optional<std::string> readyPage(std::string_view bytes, std::string& why) {
    why =
        "it is not a whole dialog template (the data of a dialog resource, as a resource "
        "compiler writes it)";
    TemplateCursor cursor(bytes);
    bool extended = bytes.size() >= 4 && cursor.word() == 1 && cursor.word() == 0xFFFF;
    if (!extended)
        cursor = TemplateCursor(bytes);
    std::size_t styleAt = 0;
    std::uint32_t style = 0;
    if (extended) {
        cursor.dword();  // help id
        cursor.dword();  // extended style
        styleAt = cursor.at();
        style = cursor.dword();
    } else {
        styleAt = cursor.at();
        style = cursor.dword();
        cursor.dword();  // extended style
    }
    std::uint32_t items = cursor.word();
    cursor.skip(8);          // x, y, width, height
    cursor.nameOrOrdinal();  // menu
    std::size_t classAt = cursor.at();
    cursor.nameOrOrdinal();
    std::size_t titleAt = cursor.at();
    cursor.text();
    if ((style & kSetFont) || (style & kShellFont) == kShellFont) {
        cursor.word();  // point size
        if (extended) {
            cursor.word();   // weight
            cursor.skip(2);  // italic, character set
        }
        cursor.text();
    }
    std::size_t headerEnd = cursor.at();
    std::size_t firstItem = (headerEnd + 3) / 4 * 4;
    bool next = false, cancel = false;
    for (std::uint32_t i = 0; i < items && !cursor.failed(); ++i) {
        cursor.alignTo4();
        // Help id, extended style and style; or style and extended style.
        cursor.skip(extended ? 12 : 8);
        cursor.skip(8);  // x, y, width, height
        std::uint32_t id = extended ? cursor.dword() : cursor.word();
        next = next || id == kNextButton;
        cancel = cancel || id == kCancelButton;
        cursor.nameOrOrdinal();      // class
        cursor.nameOrOrdinal();      // title
        cursor.skip(cursor.word());  // creation data
    }
    if (cursor.failed())
        return std::nullopt;
    if (items > kMaxPageControls) {
        why = "it has " + std::to_string(items) + " controls, more than the " +
              std::to_string(kMaxPageControls) + " a page may have";
        return std::nullopt;
    }
    // Without Next or Cancel the page is a dead end.
    if (!next || !cancel) {
        why = std::string("it has no ") + (next ? "Cancel" : "Next") + " button (control " +
              std::to_string(next ? kCancelButton : kNextButton) + ")";
        return std::nullopt;
    }

    std::string page(bytes.substr(0, classAt));
    style = (style & ~(kPopup | kCaption | kSystemMenu | kThickFrame | kMinimiseBox | kMaximiseBox |
                       kModalFrame)) |
            kChild | kControl;
    setDword(page, styleAt, style);
    for (char c : kPageClassName)
        putWord(page, static_cast<unsigned char>(c));
    putWord(page, 0);
    page.append(bytes.substr(titleAt, headerEnd - titleAt));
    // Items start on a 4-byte boundary, so moving them all by a multiple of 4
    // keeps every item's own alignment.
    while (page.size() % 4 != 0)
        page += '\0';
    if (items > 0)
        page.append(bytes.substr(firstItem, cursor.at() - firstItem));
    why.clear();
    return page;
}

}  // namespace

std::optional<std::string> asPageTemplate(std::string_view bytes) {
    std::string why;
    return readyPage(bytes, why);
}

std::string pageTemplateProblem(std::string_view bytes) {
    std::string why;
    readyPage(bytes, why);
    return why;
}

std::string pageTemplateListProblem(std::size_t templateCount,
                                    const std::vector<std::uint32_t>& identifiers) {
    if (identifiers.size() != templateCount)
        return "there are " + std::to_string(templateCount) + " dialog templates but " +
               std::to_string(identifiers.size()) +
               " identifiers; identifier k names the stage whose page template k replaces";
    std::vector<bool> taken(14, false);
    for (std::uint32_t stage : identifiers) {
        if (stage < 1 || stage > 13)
            return "identifier " + std::to_string(stage) +
                   " is not a stage; a template replaces the page of a stage from 1 to 13";
        if (taken[stage])
            return "two dialog templates replace the page of stage " + std::to_string(stage);
        taken[stage] = true;
    }
    return "";
}

}  // namespace vortix
