// Rules of the setup program's start-up that need no window: the command line,
// message boxes in silent runs, captions, window titles, safe formatting of
// package texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "installer/package/package.h"

namespace vortix {

// "/SILENT" anywhere in the command line, in any case.
bool isSilentCommandLine(std::string_view commandLine);

// The kinds of message box the setup program shows, and their answers (the
// numbers are the system's button ids).
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
inline constexpr int kAnswerOk = 1, kAnswerCancel = 2, kAnswerAbort = 3, kAnswerRetry = 4,
                     kAnswerIgnore = 5, kAnswerYes = 6, kAnswerNo = 7;
// What a silent run answers without showing anything.
int silentAnswer(Buttons buttons);

inline constexpr std::string_view kDefaultCaption = "Vortix Installer";
inline constexpr std::string_view kOutOfMemoryText = "Out of memory";
// The language set's title, else the package's, else "Vortix Installer".
std::string boxCaption(std::string_view languageTitle, std::string_view packageTitle);

// The window title from the language set: entry 8 (entry 9 for an update)
// formatted with the product name.
std::string languageWindowTitle(const LanguageSet& set, const PackageSettings& settings);

// Texts of the start-up failures.
inline constexpr std::string_view kSizeMismatchText =
    "File size mismatch: This file is corrupted; If you downloaded this file from the "
    "internet, try downloading it again";
inline constexpr std::string_view kCannotReadTocText = "Couldn't read TOC. Aborting.";
// The package does not give its check value: changed since it was built, or built
// by another version of the package builder.
inline constexpr std::string_view kDamagedPackageText =
    "This setup program is damaged, or its package was made by another build of Vortix "
    "Installer: its contents do not match their check value, and nothing has been installed. If "
    "you downloaded this file from the internet, try downloading it again.";
// A wizard page (built in, or the package's own template) could not be made.
inline constexpr std::string_view kLoadTemplateFailedText = "Load template failed";
// The package's system requirements cannot be read: the package is damaged.
inline constexpr std::string_view kDamagedRequirementsText =
    "The system requirements in this package are damaged: the package cannot be installed. If "
    "you downloaded this file from the internet, try downloading it again.";
inline constexpr std::string_view kInitialisationFailedText =
    "Initialization failed. Aborting. Error code: %d";
inline constexpr std::string_view kNoRegistryDestinationText =
    "Couldn't read destination directory from registry. Aborting";
// A further volume is not beside the setup program (the name is filled in).
inline constexpr std::string_view kMissingVolumeText =
    "Couldn't find \"%s\" beside the setup program.";
// A further volume beside the setup program was made by another build of it.
inline constexpr std::string_view kOtherBuildVolumeText =
    "\"%s\" beside the setup program belongs to another build of it. Put the volumes "
    "made with this setup program beside it and start it again.";
// A package made for a later engine (its format version, then the one this reads).
inline constexpr std::string_view kNewerFormatText =
    "This package was made for a newer version of Vortix Installer (package format %s; this "
    "program reads format %s and older). Aborting.";
inline constexpr std::string_view kInitialisingText =
    "Vortix Installer is initialising. Please wait.";
inline constexpr std::string_view kGraphicsFailedText =
    "Graphics initialization failed. Dialog image will not be shown";
// The main window's background could not be prepared.
inline constexpr std::string_view kGraphicsBackgroundFailedText = "Graphics initialization failed";

// Initialisation failure codes.
namespace init {
inline constexpr int kMp3Extract = -1, kMp3Bind = -2, kJpegExtract = -3, kJpegBind = -4,
                     kPicture = -5, kMusic = -6, kPluginExtract = -7, kPluginLoad = -8,
                     kPictureExtract = -9, kPictureConvert = -10, kUninstaller = -15,
                     kLanguage = -16, kNoDestination = -20, kBitmaps = -42, kFonts = -45;
// The package's page templates or their identifier list could not be read.
inline constexpr int kPageTemplates = -40, kIdentifiers = -41;
// The main window could not be made (a code of our own, beside the others).
inline constexpr int kMainWindow = -11;
}  // namespace init

// The program folder for the shortcuts: a name (or a relative path) goes under the
// Programs folder, a full local path stays as it is.
std::string programFolderPath(std::string_view setting, std::string_view programsFolder);

// A silent run cannot ask for the user's name: such a package is refused.
bool packageAllowsRun(const PackageSettings& settings, bool silent);

}  // namespace vortix
