#include "installer/setup/source/win32_package_pieces.h"

#include <utility>

#include "installer/package/page_templates.h"
#include "installer/setup/setup_rules.h"
#include "installer/setup/variables/text_substitution.h"
#include "platform/file_system.h"

namespace vortix {

PackagePieces::PackagePieces(PackageStream& stream, const OpenedPackage& package,
                             const std::string& temporaryFolder, SetupMessages& messages,
                             Variables& variables)
    : stream_(stream),
      package_(package),
      messages_(messages),
      variables_(variables),
      temporaries_(temporaryFolder,
                   fileSystemCalls(platform::systemFileSystem(), [] { return GetTickCount(); })) {}

int PackagePieces::load() {
    const PackageSettings& settings = package_.script.settings;
    int code = loadPageTemplates();
    if (code < 0)
        return code;
    auto bitmaps =
        readPieceList(stream_, package_.toc, toc::kBitmapCount, toc::kBitmapOffset, true);
    if (!bitmaps)
        return init::kBitmaps;
    for (const ListedPiece& piece : *bitmaps) {
        std::string path;
        if (!extractTemporary(piece.extent, EntryKind::Stored, ".bmp", path))
            return init::kBitmaps;
        bitmaps_.push_back(path);
        wizardBitmaps_.push_back({piece.identifier, path});
    }
    if (!loadFonts())
        return init::kFonts;
    if (!bindLibrary(toc::kMp3Present, mp3_, init::kMp3Extract, init::kMp3Bind, code) ||
        !bindLibrary(toc::kJpegPresent, jpeg_, init::kJpegExtract, init::kJpegBind, code))
        return code;
    if (package_.toc.word(toc::kPicturePresent)) {
        Extent extent{package_.toc.word(toc::kPictureOffset),
                      package_.toc.word(toc::kPictureLength)};
        Picture picture = preparePicture(extent, dialogPicture_);
        if (picture == Picture::NotExtracted)
            return init::kPicture;
        // A picture that cannot be turned into a bitmap is only left out.
        if (picture == Picture::NotConverted && !messages_.silent())
            messages_.show(kGraphicsFailedText, Buttons::Ok, MB_ICONEXCLAMATION);
    }
    if (package_.toc.word(toc::kMusicPresent)) {
        Extent extent{package_.toc.word(toc::kMusicOffset), package_.toc.word(toc::kMusicLength)};
        if (!extractTemporary(extent, EntryKind::Stored, ".mp3", music_))
            return init::kMusic;
    }
    if (!bindLibrary(toc::kPluginPresent, plugin_, init::kPluginExtract, init::kPluginLoad, code))
        return code;
    if ((code = loadPictures()) < 0)
        return code;
    bool chosenOnPage = (settings.pages & kPageLanguage) && !messages_.silent();
    if (!chosenOnPage && !loadLanguageSet(package_.toc.word(toc::kDefaultLanguage)))
        return init::kLanguage;
    bool update = (settings.options & kOptionUpdate) != 0;
    if ((settings.options & kOptionCreateUninstaller) && !update) {
        Extent extent{package_.toc.word(toc::kUninstallerOffset),
                      package_.toc.word(toc::kUninstallerLength)};
        if (extent.length == 0 ||
            !extractTemporary(extent, EntryKind::Compressed, ".EXE", extractedUninstaller_))
            return init::kUninstaller;
    }
    return 0;
}

bool PackagePieces::extractTemporary(Extent extent, EntryKind kind, const char* extension,
                                     std::string& path) {
    std::optional<std::string> made = temporaries_.create(extension);
    if (!made)
        return false;
    path = *made;
    std::string message;
    if (extractEntry(stream_, extent, kind, platform::systemFileSystem(), path, message))
        return true;
    if (!message.empty() && !messages_.silent())
        messages_.error(message);
    return false;
}

template <class Library>
bool PackagePieces::bindLibrary(std::uint32_t presentWord, Library& library, int extractCode,
                                int bindCode, int& code) {
    if (package_.toc.word(presentWord) == 0)
        return true;
    Extent extent{package_.toc.word(presentWord + 4), package_.toc.word(presentWord + 8)};
    std::string path;
    if (!extractTemporary(extent, EntryKind::Compressed, ".DLL", path)) {
        code = extractCode;
        return false;
    }
    bool bound = library.bind(path);
    if (!bound)
        code = bindCode;
    return bound;
}

int PackagePieces::loadPageTemplates() {
    auto list =
        readPieceList(stream_, package_.toc, toc::kTemplateCount, toc::kTemplateOffset, false);
    if (!list)
        return init::kPageTemplates;
    for (const ListedPiece& piece : *list) {
        std::string bytes;
        if (!stream_.read(piece.extent.offset, piece.extent.length, bytes))
            return init::kPageTemplates;
        // One that is not a whole template fails when its page is due.
        pageTemplates_.push_back(asPageTemplate(bytes).value_or(std::string()));
    }
    std::uint32_t count = package_.toc.word(toc::kIdentifierCount);
    std::string words;
    if (count > stream_.size() / 4 ||
        !stream_.read(package_.toc.word(toc::kIdentifierOffset), std::size_t{count} * 4, words))
        return init::kIdentifiers;
    for (std::size_t at = 0; at < words.size(); at += 4) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = (value << 8) | static_cast<unsigned char>(words[at + i]);
        identifiers_.push_back(value);
    }
    return 0;
}

const std::string* PackagePieces::pageTemplate(int stage) const {
    for (std::size_t k = 0; k < pageTemplates_.size() && k < identifiers_.size(); ++k)
        if (identifiers_[k] == static_cast<std::uint32_t>(stage))
            return &pageTemplates_[k];
    return nullptr;
}

bool PackagePieces::loadFonts() {
    auto list = readPieceList(stream_, package_.toc, toc::kFontCount, toc::kFontOffset, false);
    if (!list)
        return false;
    for (const ListedPiece& piece : *list) {
        std::string ttf;
        if (!extractTemporary(piece.extent, EntryKind::Compressed, ".TTF", ttf))
            return false;
        std::string fot = ttf.substr(0, ttf.size() - 4) + ".FOT";
        // The font resource file takes the name beside the font, made once here.
        if (!CreateScalableFontResourceA(0, fot.c_str(), ttf.c_str(), nullptr))
            return false;
        fonts_.push_back(fot);
        if (!AddFontResourceA(fot.c_str()))
            return false;
    }
    return true;
}

int PackagePieces::loadPictures() {
    auto list =
        readPieceList(stream_, package_.toc, toc::kPictureCount, toc::kPicturesOffset, false);
    if (!list)
        return init::kPictureExtract;
    for (const ListedPiece& piece : *list) {
        std::string path;
        switch (preparePicture(piece.extent, path)) {
            case Picture::NotExtracted: return init::kPictureExtract;
            case Picture::NotConverted: return init::kPictureConvert;
            case Picture::Ready: break;
        }
        pictures_.push_back(path);
    }
    return 0;
}

bool PackagePieces::loadLanguageSet(std::uint32_t index) {
    std::optional<LanguageSet> set = readLanguageSet(stream_, package_.toc, index);
    if (!set)
        return false;
    for (std::string& line : set->lines)
        line = expandLanguageEscapes(std::move(line));
    language_ = std::move(*set);
    variables_.setLanguageId(language_.identifier);
    messages_.setLanguageTitle(languageWindowTitle(language_, package_.script.settings));
    return true;
}

// A picture as a bitmap file: JPEG pictures go through the JPEG library, the
// ".jpg" copy deleted once converted.
PackagePieces::Picture PackagePieces::preparePicture(Extent extent, std::string& bitmap) {
    std::string lead;
    if (!stream_.read(extent.offset, extent.length < 2 ? extent.length : 2, lead))
        return Picture::NotExtracted;
    if (lead != "\xff\xd8")
        return extractTemporary(extent, EntryKind::Stored, ".bmp", bitmap) ? Picture::Ready
                                                                           : Picture::NotExtracted;
    std::string jpeg;
    if (!extractTemporary(extent, EntryKind::Stored, ".jpg", jpeg))
        return Picture::NotExtracted;
    std::optional<std::string> made = temporaries_.create(".bmp");
    bool converted = jpeg_.toBmp && made && jpeg_.toBmp(jpeg.c_str(), made->c_str(), nullptr) == 1;
    temporaries_.remove(jpeg);
    if (!converted)
        return Picture::NotConverted;
    bitmap = *made;
    return Picture::Ready;
}

void PackagePieces::startMusic() {
    if (music_.empty() || messages_.silent() || !mp3_.loaded())
        return;
    if (mp3_.init(0)) {
        mp3_.setPriority(0, 1);
        if (mp3_.setDevice(0, VXMP3_DEVICE_DEFAULT, nullptr) && mp3_.open(0, music_.c_str()))
            musicPlaying_ = mp3_.play(0, 0, 0, "") != 0;
    }
}

void PackagePieces::release() {
    if (musicPlaying_ && mp3_.loaded()) {
        mp3_.stop(0);
        mp3_.close(0);
        musicPlaying_ = false;
    }
    mp3_.release();
    jpeg_.release();
    plugin_.release();
    for (const std::string& font : fonts_) {
        RemoveFontResourceA(font.c_str());
        DeleteFileA(font.c_str());
    }
    fonts_.clear();
    temporaries_.removeAll();
}

}  // namespace vortix
