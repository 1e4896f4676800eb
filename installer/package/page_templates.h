// A package's own wizard page templates: each is a binary dialog template (the data
// of a dialog resource, as a resource compiler writes it: DLGTEMPLATE or
// DLGTEMPLATEEX with its items), and the identifier list names, for template k,
// the stage whose page it replaces. Shared by the builder, which refuses what the
// setup program could not use, and the setup program, which makes pages from them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortix {

// The window class every wizard page has, its own template or the built-in one.
inline constexpr std::string_view kPageClassName = "VIDialogTemplate";

// The most controls a page template may have (tens of thousands bring the
// window system down when the page shows).
inline constexpr std::uint32_t kMaxPageControls = 255;
// The buttons every page needs, lest it be a dead end.
inline constexpr std::uint32_t kNextButton = 1, kCancelButton = 2;

// The template made ready for a page: its window class set to kPageClassName and
// its style a child control's (a pop-up or caption style would put the page
// outside the main window). Nothing when the bytes are not a whole dialog
// template (a header or an item running past the end, no item at all), have more
// than kMaxPageControls controls, or lack the Next or Cancel button.
std::optional<std::string> asPageTemplate(std::string_view bytes);
// Why asPageTemplate refuses `bytes`, for the builder's message; empty when it
// does not.
std::string pageTemplateProblem(std::string_view bytes);

// Why `identifiers` cannot name the stages of `templateCount` templates: one
// identifier per template, each a stage from 1 to 13, no stage twice. Empty when
// they can.
std::string pageTemplateListProblem(std::size_t templateCount,
                                    const std::vector<std::uint32_t>& identifiers);

}  // namespace vortix
