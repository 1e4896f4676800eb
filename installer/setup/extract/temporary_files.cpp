#include "installer/setup/extract/temporary_files.h"

#include <algorithm>
#include <utility>

#include "platform/file_system.h"

namespace vortix {
namespace {

// A directory full of our own names is not worth searching to the end.
constexpr std::uint32_t kMaxAttempts = 100000;

}  // namespace

TemporaryFileCalls fileSystemCalls(platform::FileSystem& files,
                                   std::function<std::uint32_t()> tick) {
    TemporaryFileCalls calls;
    calls.createNew = [&files](const std::string& path) {
        if (auto file = files.open(path, platform::OpenMode::CreateNew))
            return file->close() ? CreateOutcome::Created : CreateOutcome::Failed;
        platform::PathStatus status;
        return files.status(path, status) && status.exists ? CreateOutcome::Taken
                                                           : CreateOutcome::Failed;
    };
    calls.remove = [&files](const std::string& path) { return files.remove(path); };
    calls.tick = std::move(tick);
    return calls;
}

std::string temporaryDirectory(std::string_view reported) {
    std::string directory = reported.empty() ? "C:\\" : std::string(reported);
    if (directory.back() != '\\')
        directory += '\\';
    return directory;
}

TemporaryFiles::TemporaryFiles(std::string directory, TemporaryFileCalls calls)
    : directory_(std::move(directory)), calls_(std::move(calls)) {}

TemporaryFiles::~TemporaryFiles() {
    removeAll();
}

std::optional<std::string> TemporaryFiles::create(std::string_view extension) {
    std::uint32_t number = calls_.tick();
    for (std::uint32_t attempt = 0; attempt < kMaxAttempts; ++attempt, ++number) {
        std::string path = directory_ + "vxw" + std::to_string(number) + std::string(extension);
        switch (calls_.createNew(path)) {
            case CreateOutcome::Created: paths_.push_back(path); return path;
            case CreateOutcome::Taken: continue;
            case CreateOutcome::Failed: return std::nullopt;
        }
    }
    return std::nullopt;
}

bool TemporaryFiles::remove(const std::string& path) {
    auto it = std::find(paths_.begin(), paths_.end(), path);
    if (it == paths_.end() || !calls_.remove(path))
        return false;
    paths_.erase(it);
    return true;
}

bool TemporaryFiles::removeAll() {
    std::vector<std::string> kept;
    for (const std::string& path : paths_)
        if (!calls_.remove(path))
            kept.push_back(path);
    paths_ = std::move(kept);
    return paths_.empty();
}

}  // namespace vortix
