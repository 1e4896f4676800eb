// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace testing_support {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // `name` inside the folder, in the system's own path form.
    std::string file(const std::string& name) const;
    // Number of entries in the folder (to catch temporary files left behind).
    int count() const;

private:
    std::string path_;
};

std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);
void makeReadOnly(const std::string& path);

}  // namespace testing_support
