// "Sending...": runs one send on a worker thread of its own and shows its progress.
// The worker sets the bar, the status line and its message boxes itself; this
// window's thread only starts it, looks at the done flag every 500 ms and clears
// the keep-going flag on Cancel. The window stays until the worker is done.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "addressbook/mail/send_run.h"
#include "framework/dialog.h"

namespace ctlite {

class SendProgressDialog : public fw::DialogImpl<SendProgressDialog>, private SendWindow {
public:
    static const fw::CommandEntry<SendProgressDialog> kCommands[];
    static const fw::TimerEntry<SendProgressDialog> kTimers[];

    explicit SendProgressDialog(SendRequest request) : request_(std::move(request)) {}
    ~SendProgressDialog() override;

    // True when the worker reported success (a cancelled send included).
    bool run(HWND owner);

private:
    BOOL onInit() override;
    // Cancel asks the worker to stop; the window goes once it has.
    void onCancel() { keepGoing_ = 0; }
    void onTick();
    void work();

    // SendWindow, called on the worker thread.
    void setProgress(int percent) override;
    void stepProgress() override;
    void setStatus(const std::string& text) override;
    bool keepGoing() override { return keepGoing_ != 0; }
    void show(const std::string& text) override;

    const SendRequest request_;
    std::atomic<int> keepGoing_{1};
    std::atomic<int> done_{0};
    std::atomic<int> success_{0};
    std::thread worker_;
    // What the worker last put in the bar and the status line.
    int shownPercent_ = 0;
    std::string shownStatus_;
};

}  // namespace ctlite
