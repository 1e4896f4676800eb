#include "tools/vxpack/pack_tool.h"

#include <filesystem>

#include "platform/whole_file.h"
#include "tools/vxpack/description.h"
#include "tools/vxpack/output_set.h"

namespace vortix {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxStub = 64u << 20;

const char kUsage[] =
    "usage: vxpack DESCRIPTION.toml --stub VXSETUP.EXE -o OUTPUT.EXE\n"
    "Builds a setup program from a package description. Further volumes, when the\n"
    "description asks for them, are written beside OUTPUT as \"Vortix Installer package #1\",\n"
    "\"#2\" and so on.\n";

struct Arguments {
    std::string description, stub, output;
};

bool parseArguments(const std::vector<std::string>& args, Arguments& a, std::string& why) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string* target = nullptr;
        if (arg == "--stub")
            target = &a.stub;
        else if (arg == "-o" || arg == "--output")
            target = &a.output;
        if (target != nullptr) {
            if (i + 1 == args.size()) {
                why = arg + " needs a file name";
                return false;
            }
            *target = args[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            why = "unknown option " + arg;
            return false;
        } else if (a.description.empty()) {
            a.description = arg;
        } else {
            why = "more than one description given";
            return false;
        }
    }
    if (a.description.empty() || a.stub.empty() || a.output.empty()) {
        why = "a description, --stub and -o are all needed";
        return false;
    }
    return true;
}

// The input that writing `output` would replace, or null. A file that does not exist
// yet is no input. Files are compared by identity, not by name, so "./x", "x" and
// a link to x all count as x.
const std::string* inputAt(const std::string& output, const std::vector<std::string>& inputs) {
    std::error_code error;
    if (!fs::exists(output, error))
        return nullptr;
    for (const std::string& input : inputs) {
        if (fs::equivalent(output, input, error))
            return &input;
    }
    return nullptr;
}

// Refuses (on `err`) any of `outputs` that is one of `inputs`.
bool outputsSpareInputs(const std::vector<std::string>& outputs,
                        const std::vector<std::string>& inputs, std::ostream& err) {
    for (const std::string& output : outputs) {
        if (const std::string* input = inputAt(output, inputs)) {
            err << "vxpack: writing " << output << " would replace the input " << *input
                << "; choose another output\n";
            return false;
        }
    }
    return true;
}

}  // namespace

std::string volumeFileName(std::size_t number) {
    return "Vortix Installer package #" + std::to_string(number);
}

int runPackTool(const std::vector<std::string>& args, platform::FileSystem& fs, std::ostream& out,
                std::ostream& err, const PackageBuilder& build) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "/?")) {
        out << kUsage;
        return 0;
    }
    Arguments a;
    std::string why;
    if (!parseArguments(args, a, why)) {
        err << "vxpack: " << why << "\n" << kUsage;
        return 1;
    }
    std::vector<std::string> inputs = {a.description, a.stub};
    if (!outputsSpareInputs({a.output}, inputs, err))
        return 1;

    PackageContents contents;
    DescriptionProblem problem;
    std::vector<std::string> named;
    if (!readPackageDescription(a.description, contents, problem, &named)) {
        err << "vxpack: " << problem.text() << "\n";
        return 1;
    }
    platform::FileBytes stub;
    switch (platform::readWholeFile(fs, a.stub, kMaxStub, stub)) {
        case platform::ReadOutcome::Ok: break;
        case platform::ReadOutcome::TooLarge:
            err << "vxpack: " << a.stub << ": too large for a setup program\n";
            return 1;
        default: err << "vxpack: " << a.stub << ": cannot read the setup program\n"; return 1;
    }
    if (stub.size() == 0) {
        err << "vxpack: " << a.stub << ": the setup program is empty\n";
        return 1;
    }

    BuiltPackage built = build(stub.view(), contents);
    if (!built.error.empty()) {
        err << "vxpack: " << built.error << "\n";
        return 1;
    }

    // The volumes lie beside the program, which must not take one of their names.
    fs::path folder = fs::path(a.output).parent_path();
    std::vector<std::string> volumes;
    for (std::size_t i = 0; i < built.volumes.size(); ++i) {
        if (fs::path(a.output).filename() == volumeFileName(i + 1)) {
            err << "vxpack: " << a.output << " is the name of volume " << i + 1
                << "; choose another output\n";
            return 1;
        }
        volumes.push_back((folder / volumeFileName(i + 1)).string());
    }
    inputs.insert(inputs.end(), named.begin(), named.end());
    std::vector<std::string> outputs = volumes;
    outputs.push_back(a.output);
    if (!outputsSpareInputs(outputs, inputs, err))
        return 1;

    // Everything is written beside its place before anything takes its place, so a
    // full disk or a kill part-way leaves the old program and volumes as they were.
    // Volumes move first: a finished program never points at volumes not yet there.
    OutputSet set(fs);
    for (std::size_t i = 0; i <= volumes.size(); ++i) {
        bool program = i == volumes.size();
        const std::string& path = program ? a.output : volumes[i];
        if (!set.add(path, program ? std::string_view(built.program) : built.volumes[i])) {
            err << "vxpack: cannot write " << path << "; every file is as it was\n";
            return 1;
        }
    }
    std::string failed;
    if (!set.commit(failed)) {
        err << "vxpack: cannot move the new " << failed << " into place";
        std::vector<std::string> moved = set.moved();
        if (moved.empty()) {
            err << "; every file is as it was\n";
        } else {
            err << "; these were replaced already, so the set is mixed: build again\n";
            for (const std::string& path : moved)
                err << "  " << path << "\n";
        }
        return 1;
    }
    out << "vxpack: wrote " << a.output << " (" << built.program.size() << " bytes)\n";
    for (std::size_t i = 0; i < volumes.size(); ++i)
        out << "vxpack: wrote " << volumes[i] << " (" << built.volumes[i].size() << " bytes)\n";
    return 0;
}

}  // namespace vortix
