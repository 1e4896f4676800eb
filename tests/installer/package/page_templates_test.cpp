// A package's own page templates: made ready for a page (class and child style)
// whatever the resource compiler wrote, refused when not whole; and the list of
// stages they replace.
#include "installer/package/page_templates.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace vortix {
namespace {

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(PAGE_TEMPLATES_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t dwordAt(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::string utf16(std::string_view text) {
    std::string out;
    for (char c : text) {
        out += c;
        out += '\0';
    }
    return out + std::string(2, '\0');
}

struct Compiled {
    const char* name;
    const char* file;
    std::size_t styleAt;  // DIALOGEX: after the version, help id and extended style
};

class PageTemplates : public testing::TestWithParam<Compiled> {};

TEST_P(PageTemplates, GetThePageClassAndAChildStyleAndReadBackTheSame) {
    std::string compiled = fixture(GetParam().file);
    ASSERT_FALSE(compiled.empty());
    std::optional<std::string> page = asPageTemplate(compiled);
    ASSERT_TRUE(page);
    std::uint32_t style = dwordAt(*page, GetParam().styleAt);
    EXPECT_EQ(style & 0xC0000000u, 0x40000000u);  // WS_CHILD, not WS_POPUP
    EXPECT_EQ(style & 0x00C00000u, 0u);           // no caption
    EXPECT_NE(page->find(utf16(kPageClassName)), std::string::npos);
    EXPECT_EQ(page->size() % 2, 0u);
    // Made ready once, it stays as it is.
    EXPECT_EQ(asPageTemplate(*page), page);
}

TEST_P(PageTemplates, CutShortAnywhereAreRefused) {
    std::string compiled = fixture(GetParam().file);
    // The last item's text ends the template; any shorter piece misses part of it.
    for (std::size_t length = 0; length + 1 < compiled.size(); ++length)
        EXPECT_FALSE(asPageTemplate(std::string_view(compiled).substr(0, length - length % 2)))
            << length;
}

INSTANTIATE_TEST_SUITE_P(Compiled, PageTemplates,
                         testing::Values(Compiled{"Extended", "welcome-page.dlg", 12},
                                         Compiled{"Classic", "broken-page.dlg", 0}),
                         [](const testing::TestParamInfo<Compiled>& compiled) {
                             return std::string(compiled.param.name);
                         });

// A classic template of static controls with the given ids, each item padded to
// its 4-byte boundary.
std::string templateWithControls(const std::vector<std::uint16_t>& ids) {
    auto put16 = [](std::string& out, std::uint32_t v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    };
    std::string out;
    put16(out, 0);
    put16(out, 0x4000);   // WS_CHILD
    out.append(4, '\0');  // extended style
    put16(out, static_cast<std::uint32_t>(ids.size()));
    out.append(8, '\0');  // x, y, width, height
    out.append(6, '\0');  // no menu, the dialog class, no title
    for (std::uint16_t id : ids) {
        put16(out, 0);
        put16(out, 0x5000);  // WS_CHILD | WS_VISIBLE
        out.append(4 + 8, '\0');
        put16(out, id);
        put16(out, 0xFFFF);
        put16(out, 0x0082);   // static
        out.append(4, '\0');  // no title, no creation data
        out.append(2, '\0');  // to the next item's boundary
    }
    return out;
}

TEST(PageTemplateControls, NextCancelAndASaneNumberOfControls) {
    struct Case {
        std::vector<std::uint16_t> ids;
        const char* problem;  // a piece of the reason, or "" for none
    };
    std::vector<std::uint16_t> most(kMaxPageControls, 500), tooMany(kMaxPageControls + 1, 500);
    most[0] = tooMany[0] = 1;
    most[1] = tooMany[1] = 2;
    const Case cases[] = {
        {{1, 2}, ""},
        {most, ""},
        {tooMany, "256 controls, more than the 255"},
        {{1, 500}, "no Cancel button (control 2)"},
        {{500, 2}, "no Next button (control 1)"},
    };
    for (const Case& c : cases) {
        std::string bytes = templateWithControls(c.ids);
        EXPECT_EQ(asPageTemplate(bytes).has_value(), *c.problem == '\0') << c.problem;
        std::string problem = pageTemplateProblem(bytes);
        if (*c.problem == '\0')
            EXPECT_EQ(problem, "");
        else
            EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
}

TEST(PageTemplateList, OneStageFromOneToThirteenPerTemplate) {
    struct Case {
        std::size_t templates;
        std::vector<std::uint32_t> identifiers;
        const char* problem;  // a piece of the message, or "" for none
    } cases[] = {
        {0, {}, ""},
        {2, {2, 12}, ""},
        {1, {13}, ""},
        {2, {2}, "2 dialog templates but 1 identifiers"},
        {0, {2}, "0 dialog templates but 1 identifiers"},
        {1, {0}, "identifier 0 is not a stage"},
        {1, {14}, "identifier 14 is not a stage"},
        {2, {7, 7}, "two dialog templates replace the page of stage 7"},
    };
    for (const Case& c : cases) {
        std::string problem = pageTemplateListProblem(c.templates, c.identifiers);
        if (*c.problem == '\0')
            EXPECT_EQ(problem, "") << c.templates;
        else
            EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
}

}  // namespace
}  // namespace vortix
