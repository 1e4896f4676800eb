// The setup run's temporary files: each is named in the temporary directory as
// "vxw" + a decimal number + an extension (".DLL", ".EXE", ".bmp", ".jpg", ".mp3",
// ".tmp", ".TTF"). The number starts at the millisecond tick count and goes up by
// one until a name is free; the name is taken by creating the file exclusively, so
// no file that exists is ever overwritten or handed out twice. Every file made is
// listed and deleted at clean-up.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class FileSystem;
}

namespace vortix {

enum class CreateOutcome { Created, Taken, Failed };

// The system calls behind the list, so that tests can fix the clock and the disk.
struct TemporaryFileCalls {
    // Creates an empty file that must not exist yet: Taken when the name exists,
    // Failed for any other refusal (no such directory, no rights, disk full).
    std::function<CreateOutcome(const std::string& path)> createNew;
    std::function<bool(const std::string& path)> remove;
    // Milliseconds since the system started (wraps like a 32-bit tick count).
    std::function<std::uint32_t()> tick;
};

// The calls on a file system of the platform layer, with `tick` as the clock.
TemporaryFileCalls fileSystemCalls(platform::FileSystem& files,
                                   std::function<std::uint32_t()> tick);

// The directory temporary files go to: "C:\" when the system gave none, and
// always ending in "\".
std::string temporaryDirectory(std::string_view reported);

class TemporaryFiles {
public:
    TemporaryFiles(std::string directory, TemporaryFileCalls calls);
    // Deletes whatever is still listed.
    ~TemporaryFiles();
    TemporaryFiles(const TemporaryFiles&) = delete;
    TemporaryFiles& operator=(const TemporaryFiles&) = delete;

    // Creates a new empty file `directory` + "vxw" + number + `extension` and lists
    // it; nothing when no name can be created.
    std::optional<std::string> create(std::string_view extension);
    // Deletes one listed file now; false (and it stays listed) when that fails.
    bool remove(const std::string& path);
    // Deletes every listed file; those that cannot be deleted stay listed, and
    // the result is false.
    bool removeAll();

    const std::vector<std::string>& paths() const { return paths_; }

private:
    std::string directory_;
    TemporaryFileCalls calls_;
    std::vector<std::string> paths_;
};

}  // namespace vortix
