// The program folder the shortcuts go into: which Programs folder it lies under,
// the folders a user may pick from, and whether a typed name can be a folder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "installer/package/package.h"
#include "installer/setup/variables/variables.h"

namespace vortix {

// The longest program folder name the page takes.
inline constexpr std::size_t kProgramFolderNameLimit = 210;

// The Programs folder the shortcuts are made under: the all-users one (on NT family
// systems) when the package asks for all-users shortcuts, else the user's own.
std::string shortcutProgramsFolder(Variables& variables, const PackageSettings& settings);

// What is wrong with a program folder name: nothing, nothing typed at all, or a
// character or part that no folder name can hold.
enum class FolderNameProblem { None, Empty, Invalid };

// A name is one folder ("Vortix Tools") or several under each other ("Vortix\Tools"),
// each free of \ / : * ? " < > | and control characters, not "." or "..", not a
// device name (CON, NUL, COM1...), and not ending in a dot or blank (which Windows
// would drop, putting the shortcuts elsewhere). A full local path ("C:\Menu")
// is taken as it stands, as the package's own setting may be one. Blanks around the
// whole name and a leading or trailing "\" do not count.
FolderNameProblem checkProgramFolderName(std::string_view name);

// The name as it is used: blanks around it and trailing "\" characters dropped.
std::string trimmedProgramFolderName(std::string_view name);

// The folders the page lists: those not starting with ".", sorted without regard
// to case.
std::vector<std::string> listedProgramFolders(std::vector<std::string> names);

}  // namespace vortix
