// Everything an installation run does outside itself, in a few tables a fake can
// implement one at a time: files and the package's file data, the registry (the
// table both programs share), profiles, shortcuts and the shell, the MP3 and JPEG
// converters, replacement at restart (shared too), and what the user sees. The
// run (install_run.h) is portable and takes them together as one InstallHost;
// the Windows program supplies the system's side and tests put a fake machine in
// its place. Variables and conditions come through TextExpander, which the
// variable system implements.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "installer/common/registry.h"
#include "installer/common/restart_queue.h"
#include "installer/package/package.h"

namespace vortix {

// Expands the variables of a text (system paths, then installation variables,
// then user variables) and evaluates an item's condition.
class TextExpander {
public:
    virtual ~TextExpander() = default;
    virtual std::string expand(std::string_view text) = 0;
    virtual bool holds(const Condition& condition) = 0;
};

enum class CreateResult { Created, Exists, AccessDenied, Failed };

// Opening a file for exclusive read and write, to learn whether it is in use.
enum class UseTest { Free, InUse, Failed };

// The version resource of a file; all zero (language 0: none) when it has none.
struct VersionInfo {
    std::uint32_t versionHigh = 0, versionLow = 0;
    std::uint32_t language = 0;
    std::string description;
};

enum class ServerRegistration { Registered, NoLibrary, NoEntryPoint, Failed };

struct ShortcutSpec {
    std::string file;  // the ".lnk" path
    std::string target;
    std::string arguments;         // empty: none
    std::string workingDirectory;  // empty: none
    std::string iconFile;          // empty: the target's own icon
    int iconIndex = 0;
};

enum class MessageIcon { Error, Warning, Information };

// What a new file is given before it takes its target's place.
struct NewFileMarks {
    std::optional<std::uint64_t> created, lastWritten;  // nothing: the system's time
    std::uint32_t attributes = 0;                       // 0: a plain file
};

// Files and directories, the program's own clock and file, and the package's
// file data.
class InstallFiles {
public:
    virtual ~InstallFiles() = default;

    // ---- the program itself
    virtual std::uint32_t tickCount() = 0;
    // The setup program file's own last-write time (100-ns units since 1601).
    virtual std::uint64_t ownLastWriteTime() = 0;

    // ---- files and directories
    virtual bool fileExists(const std::string& path) = 0;  // a file, not a directory
    virtual bool directoryExists(const std::string& path) = 0;
    // One directory whose parent exists.
    virtual CreateResult createDirectory(const std::string& path) = 0;
    // Creates a new empty file and closes it; Exists when the name is taken.
    virtual CreateResult createNewFile(const std::string& path) = 0;
    virtual bool deleteFile(const std::string& path) = 0;
    virtual std::optional<std::uint32_t> attributes(const std::string& path) = 0;
    // The attribute bits as the system numbers them; 0 is a plain file.
    virtual bool setAttributes(const std::string& path, std::uint32_t attributes) = 0;
    // Sets the times that are given; nothing when neither is.
    virtual bool setTimes(const std::string& path, std::optional<std::uint64_t> created,
                          std::optional<std::uint64_t> lastWritten) = 0;
    virtual std::optional<std::uint64_t> lastWriteTime(const std::string& path) = 0;
    virtual VersionInfo versionInfo(const std::string& path) = 0;
    // The system's name of a language identifier.
    virtual std::string languageName(std::uint32_t language) = 0;
    // Replaces `to` when it exists.
    virtual bool copyFile(const std::string& from, const std::string& to) = 0;
    virtual bool moveFile(const std::string& from, const std::string& to) = 0;
    // Moves `from` over `to`, replacing it in one step when both lie on one volume
    // (a rename): `to` is the old file or the new one, never a part of either.
    virtual bool moveOver(const std::string& from, const std::string& to) = 0;
    virtual UseTest openExclusive(const std::string& path) = 0;
    // Nothing when the file cannot be read.
    virtual std::optional<std::string> readFile(const std::string& path) = 0;
    // Creates or replaces the file with exactly these bytes.
    virtual bool writeFile(const std::string& path, const std::string& bytes) = 0;
    // A new temporary ".tmp" file for a replacement at the next restart; it must
    // outlive the program's clean-up of its temporary files.
    virtual std::string newReplacementFile() = 0;

    // ---- the package's file data
    // Whether an external file (kept beside the setup program) is there.
    virtual bool externalFileExists(std::size_t fileIndex, const PackagedFile& file) = 0;
    // Decompresses, copies as stored (across volumes) or copies the external file
    // to `path`, replacing it.
    virtual bool writeFileData(std::size_t fileIndex, const PackagedFile& file,
                               const std::string& path) = 0;
    // Writes the file's data (nothing for a file without any) to the new file
    // `beside`, gives it `stamp` and, when `target` is not empty, moves it over the
    // target. False when a step fails; `beside` is then the caller's to remove. The
    // system does it all through one handle; this composition of the calls above
    // serves every table without that shortcut.
    virtual bool placeFileData(std::size_t fileIndex, const PackagedFile& file,
                               const std::string& beside, const std::string& target,
                               const NewFileMarks& stamp);
};

// Profiles (INI files), shortcuts, the shell and self-registering libraries.
class InstallShell {
public:
    virtual ~InstallShell() = default;
    virtual bool writeProfileString(const std::string& file, const std::string& section,
                                    const std::string& key, const std::string& value) = 0;
    virtual void flushProfiles() = 0;
    virtual bool createShortcut(const ShortcutSpec& shortcut) = 0;
    virtual void openFolder(const std::string& path) = 0;
    // Initialises OLE, loads the library, calls DllRegisterServer, frees the
    // library and uninitialises OLE.
    virtual ServerRegistration registerServer(const std::string& path) = 0;
};

// The add-on libraries that convert the package's MP3 and JPEG files.
class InstallConverters {
public:
    virtual ~InstallConverters() = default;
    // The MP3 library on channel 1: MP3Init (and MP3SetExternalValues with the
    // progress callback), MP3SetDevice to a ".wav" file, MP3Open, priority 1 and
    // MP3Play until the end (window messages dispatched, 5 ms pauses), MP3Stop.
    virtual bool mp3Init() = 0;
    virtual bool mp3SetOutput(const std::string& wavPath) = 0;
    virtual bool mp3Open(const std::string& mp3Path) = 0;
    virtual void mp3PlayToEnd() = 0;
    virtual void mp3Stop() = 0;
    // The JPEG library's conversion entry point, with a progress callback.
    virtual bool convertJpeg(const std::string& jpgPath, const std::string& bmpPath) = 0;
};

// What the user sees. Boxes go through the program's one message routine, which
// in a silent run shows nothing and answers Yes to Yes/No, Cancel to Retry/Cancel.
class InstallView {
public:
    virtual ~InstallView() = default;
    virtual void showMessage(const std::string& text, MessageIcon icon) = 0;
    // Exclamation icon; true for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    // True for Retry.
    virtual bool askRetryCancel(const std::string& text) = 0;
    virtual void setStatus(const std::string& text) = 0;
    virtual void setProgress(int percent) = 0;
};

// The tables an installation run works through.
struct InstallHost {
    InstallFiles& files;
    Registry& registry;
    InstallShell& shell;
    InstallConverters& converters;
    RestartSystem& restart;
    InstallView& view;
};

}  // namespace vortix
