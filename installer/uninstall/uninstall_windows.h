// The uninstaller's windows: the modeless progress window with its phase markers
// and result, the Details window, and the shared-file question.
#pragma once

#include <string>

#include "framework/dialog.h"
#include "installer/uninstall/uninstall_host.h"

namespace vortix {

class ProgressWindow : public fw::DialogImpl<ProgressWindow> {
public:
    static const fw::CommandEntry<ProgressWindow> kCommands[];
    static const fw::MessageEntry<ProgressWindow> kMessages[];

    ~ProgressWindow() override;

    bool open(const std::string& removingText);
    void showPhase(Phase phase);
    // Shows the result and runs the window until the user closes it.
    void finish(const std::string& resultText, const std::string& details);

private:
    BOOL onInit() override;
    void onDetails();
    void onClose();
    INT_PTR onSysCommand(WPARAM wParam, LPARAM lParam);

    HFONT boldFont_ = nullptr;
    std::string details_;
};

class DetailsDialog : public fw::DialogImpl<DetailsDialog> {
public:
    static const fw::CommandEntry<DetailsDialog> kCommands[];

    explicit DetailsDialog(std::string text) : text_(std::move(text)) {}

private:
    BOOL onInit() override;
    void onClose() { end(IDOK); }

    std::string text_;
};

class SharedFileDialog : public fw::DialogImpl<SharedFileDialog> {
public:
    static const fw::CommandEntry<SharedFileDialog> kCommands[];

    explicit SharedFileDialog(std::string text) : text_(std::move(text)) {}
    SharedFileAnswer answer() const { return answer_; }

private:
    BOOL onInit() override;
    void onYes() { answerWith(SharedFileAnswer::Yes); }
    void onYesToAll() { answerWith(SharedFileAnswer::YesToAll); }
    void onNo() { answerWith(SharedFileAnswer::No); }
    void onNoToAll() { answerWith(SharedFileAnswer::NoToAll); }
    void answerWith(SharedFileAnswer answer);

    std::string text_;
    SharedFileAnswer answer_ = SharedFileAnswer::No;
};

}  // namespace vortix
