// A file table that passes every call to the real one, except that the Nth call
// fails, or "crashes": it throws, so that none of the caller's clean-up runs, as if
// the process had been killed at that moment.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/file_system.h"

namespace testing_support {

struct SimulatedCrash : std::runtime_error {
    SimulatedCrash() : std::runtime_error("simulated crash") {}
};

class FaultyFileSystem : public platform::FileSystem {
public:
    enum class Fault { Fail, Crash };

    FaultyFileSystem(platform::FileSystem& real, int faultAt, Fault fault)
        : real_(real), faultAt_(faultAt), fault_(fault) {}

    // Calls made so far (every call of the table and of the files it opened).
    int calls() const { return calls_; }
    // Whether the fault has happened.
    bool tripped() const { return calls_ >= faultAt_; }

    std::unique_ptr<platform::File> open(const std::string& path, platform::OpenMode mode) override;
    bool replace(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;
    bool copyAccess(const std::string& from, const std::string& to) override;
    bool status(const std::string& path, platform::PathStatus& out) override;

    // True when this call must fail; throws for a crash.
    bool fault();

private:
    platform::FileSystem& real_;
    int faultAt_;
    Fault fault_;
    int calls_ = 0;
};

}  // namespace testing_support
