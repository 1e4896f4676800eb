// The package description: a TOML file a person writes, naming every setting, item
// and file of a setup package. docs/package-description.md is its reference.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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
// `out` holds nothing useful and `problem` says why. `inputs`, when given, receives
// every host file the description names (what the build reads besides the
// description and the stub), so that no output is written over one of them.
bool readPackageDescription(const std::string& path, PackageContents& out,
                            DescriptionProblem& problem,
                            std::vector<std::string>* inputs = nullptr);

// The same for a description already in memory; `path` names it in messages and
// gives the folder relative paths start from.
bool parsePackageDescription(std::string_view text, const std::string& path, PackageContents& out,
                             DescriptionProblem& problem,
                             std::vector<std::string>* inputs = nullptr);

}  // namespace vortix
