#include "installer/setup/fault_plan.h"

#include "installer/common/text_fold.h"

namespace vortix {
namespace {

bool listed(const std::vector<std::string>& list, std::string_view path) {
    for (const std::string& item : list)
        if (equalsIgnoringCase(item, path))
            return true;
    return false;
}

}  // namespace

FaultPlan FaultPlan::parse(std::string_view text) {
    FaultPlan plan;
    while (!text.empty()) {
        std::size_t end = text.find(';');
        std::string_view item = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::size_t colon = item.find(':');
        if (colon == std::string_view::npos)
            continue;
        std::string_view kind = item.substr(0, colon);
        std::string value(item.substr(colon + 1));
        while (!value.empty() && value.back() == '\\')
            value.pop_back();
        if (kind == "key")
            plan.keys_.push_back(value);
        else if (kind == "nowrite")
            plan.directories_.push_back(value);
        else if (kind == "file")
            plan.files_.push_back(value);
        else if (kind == "inuse")
            plan.inUse_.push_back(value);
        else if (kind == "tree")
            plan.treeSteps_.push_back(value);
    }
    return plan;
}

bool FaultPlan::keyFails(std::string_view path) const {
    return listed(keys_, path);
}

bool FaultPlan::directoryRefusesWrites(std::string_view directory) const {
    while (!directory.empty() && directory.back() == '\\')
        directory.remove_suffix(1);
    return listed(directories_, directory);
}

bool FaultPlan::fileFails(std::string_view path) const {
    return listed(files_, path);
}

bool FaultPlan::fileInUse(std::string_view path) const {
    return listed(inUse_, path);
}

bool FaultPlan::treeFails(std::string_view step) const {
    return listed(treeSteps_, step);
}

}  // namespace vortix
