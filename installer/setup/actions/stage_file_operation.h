// A file operation the package runs at a wizard stage: copy, move or rename a
// file, or delete one. It keeps the rules of packaged files: both paths are plain
// local paths; a target that was there is backed up when the package makes
// backups, kept for the rollback, replaced whole and never recorded for removal;
// a target the operation made is recorded. A file moved or deleted away is kept
// for the rollback too.
#pragma once

#include <string>

#include "installer/common/log_context.h"
#include "installer/package/package.h"
#include "installer/setup/actions/install_host.h"
#include "installer/setup/actions/replaced_files.h"

namespace vortix {

enum class StageOutcome { Done, Refused, Failed };

// `backupDirectory`: the installation directory when the package makes backups,
// else empty. Refused paths are shown; other failures are not.
StageOutcome runStageFileOperation(InstallHost& host, LogContext& log, ReplacedFiles& originals,
                                   StageFileAction action, const std::string& source,
                                   const std::string& target, const std::string& backupDirectory);

}  // namespace vortix
