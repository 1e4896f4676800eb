// The pieces of the package the setup program loads before its window shows, in
// this order: bitmaps, fonts, the MP3 and JPEG libraries, the dialog picture, the
// music, the plug-in library, the pictures, the default language set and the
// uninstaller; a set the user chooses is loaded later, on the language page.
// Each is extracted to a temporary file of the run; everything is given back at
// clean-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "installer/package/package_reader.h"
#include "installer/setup/addons/win32_libraries.h"
#include "installer/setup/extract/temporary_files.h"
#include "installer/setup/source/package_entries.h"
#include "installer/setup/variables/variables.h"
#include "installer/setup/win32_messages.h"

namespace vortix {

// A wizard bitmap and the stage whose page shows it (0: every page).
struct WizardBitmap {
    std::uint32_t identifier = 0;
    std::string path;
};

class PackagePieces {
public:
    // Temporary files go to `temporaryFolder`. The language set, once loaded, sets
    // the language variable and the message boxes' caption.
    PackagePieces(PackageStream& stream, const OpenedPackage& package,
                  const std::string& temporaryFolder, SetupMessages& messages,
                  Variables& variables);
    PackagePieces(const PackagePieces&) = delete;
    PackagePieces& operator=(const PackagePieces&) = delete;

    // Every piece in turn: 0, or the failure code (init::...) of the first that fails.
    // The default language set is among them unless the user chooses one on the
    // language page (an interactive run of a package that shows it).
    int load();
    // Loads set `index` of the package (its escapes replaced): it sets
    // "<LanguageID>" and the message boxes' caption. False when it cannot be read;
    // the set loaded before then stays.
    bool loadLanguageSet(std::uint32_t index);
    // The music plays from now (not in a silent run, and only with the MP3 library).
    void startMusic();
    // Stops the music, unloads the libraries, removes the fonts and deletes the
    // temporary files. Safe to call again.
    void release();

    const LanguageSet& language() const { return language_; }
    PluginLibrary& plugin() { return plugin_; }
    Mp3Library& mp3() { return mp3_; }
    JpegLibrary& jpeg() { return jpeg_; }
    // The uninstaller extracted for this run (empty when the package makes none).
    const std::string& extractedUninstaller() const { return extractedUninstaller_; }
    const std::vector<std::string>& bitmaps() const { return bitmaps_; }
    const std::vector<WizardBitmap>& wizardBitmaps() const { return wizardBitmaps_; }
    // The package's own template for the page of `stage`, made ready for a page:
    // null when the page is built in; an empty template when the package's one
    // is not a whole dialog template.
    const std::string* pageTemplate(int stage) const;
    const std::vector<std::string>& pictures() const { return pictures_; }
    const std::string& dialogPicture() const { return dialogPicture_; }

private:
    enum class Picture { Ready, NotExtracted, NotConverted };
    Picture preparePicture(Extent extent, std::string& bitmap);
    bool extractTemporary(Extent extent, EntryKind kind, const char* extension, std::string& path);
    bool loadFonts();
    int loadPageTemplates();
    int loadPictures();
    template <class Library>
    bool bindLibrary(std::uint32_t presentWord, Library& library, int extractCode, int bindCode,
                     int& code);

    PackageStream& stream_;
    const OpenedPackage& package_;
    SetupMessages& messages_;
    Variables& variables_;

    // Before the libraries, so that these are unloaded before leftovers are deleted.
    TemporaryFiles temporaries_;
    std::vector<std::string> fonts_;
    std::vector<std::string> bitmaps_, pictures_;
    std::vector<WizardBitmap> wizardBitmaps_;
    // Template k replaces the page of stage identifiers_[k].
    std::vector<std::string> pageTemplates_;
    std::vector<std::uint32_t> identifiers_;
    std::string dialogPicture_, music_, extractedUninstaller_;
    LanguageSet language_;
    Mp3Library mp3_;
    JpegLibrary jpeg_;
    PluginLibrary plugin_;
    bool musicPlaying_ = false;
};

}  // namespace vortix
