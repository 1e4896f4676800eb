// Small text rules of the install run: language-set entries and their "%s"
// formatting, icon fields, and the names the run makes up (paths are in
// windows_path.h).
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "installer/package/language_entries.h"

namespace vortix {

// Entry k of a language set; empty when the set has no such line.
std::string entry(const std::vector<std::string>& texts, std::size_t k);
std::string entry(const std::vector<std::string>& texts, LanguageEntry k);

// The pattern with each "%s" or "%d" replaced by the next argument (empty once
// they run out; numbers are handed in as text) and "%%" by "%"; any other "%" stays as it is, so a
// language set's text can never read beyond its arguments.
std::string formatText(std::string_view pattern, std::initializer_list<std::string_view> args);

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix);

// An icon field "file,index": the file is the part before the last ",", the index
// the single digit after it (0 when there is no comma or no digit).
struct IconField {
    std::string file;
    int index = 0;
};
IconField splitIconField(std::string_view field);

// Where a file in use is moved aside: path + ".delete_on_reboot" + the first
// number from 0 that `taken` does not claim.
std::string inUseAsideName(const std::string& path,
                           const std::function<bool(const std::string&)>& taken);

// Why a path is refused: it is not a plain path on a local drive (relative, a
// network or device path, one that climbs with ".."), so it could land anywhere.
std::string notLocalPathMessage(std::string_view path);

// Where a file's new data is written before it is moved over its target: beside
// it, path + ".vxnew" + the first number from 0 that `taken` does not claim.
std::string besideName(const std::string& path,
                       const std::function<bool(const std::string&)>& taken);

// The backup copy of a file called `name` in `folder`: the name itself, or when
// that is taken, the name with " (2)", " (3)"... before its extension.
std::string backupCopyName(std::string_view folder, std::string_view name,
                           const std::function<bool(const std::string&)>& taken);

// A scratch file of the write-privilege test: in `directory`, named by `number`.
std::string scratchFileName(std::string_view directory, std::uint32_t number);

}  // namespace vortix
