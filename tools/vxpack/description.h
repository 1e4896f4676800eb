// The package description: a TOML file a person writes, naming every setting, item
// and file of a setup package. docs/package-description.md is its reference.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "installer/package/package.h"

namespace vortix {

// Why a description was refused: the file at fault (the description itself, or a
// text file it names) and the 1-based line there (0 when no line applies).
struct DescriptionProblem {
    std::string file;
    std::size_t line = 0;
    std::string message;

    // "FILE:LINE: MESSAGE", or "FILE: MESSAGE" without a line.
    std::string text() const;
};

// Reads the description at `path` into `out`. Relative paths in it are taken from
// the description's folder; the texts and language sets it names are read now, the
// payload files only checked for existence (the builder reads them). On failure
// `out` holds nothing useful and `problem` says why.
bool readPackageDescription(const std::string& path, PackageContents& out,
                            DescriptionProblem& problem);

// The same for a description already in memory; `path` names it in messages and
// gives the folder relative paths start from.
bool parsePackageDescription(std::string_view text, const std::string& path, PackageContents& out,
                             DescriptionProblem& problem);

}  // namespace vortix
