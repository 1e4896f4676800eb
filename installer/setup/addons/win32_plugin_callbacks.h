// The calls a plug-in may make back into the setup program (VxPluginCallbacks).
// The plug-in gets plain function pointers without a context, so the table acts on
// the services of the one PluginCallbacks alive in the process.
#pragma once

#include "installer/setup/actions/plugin_recorder.h"
#include "installer/setup/addons/plugin_library.h"
#include "installer/setup/variables/variables.h"
#include "installer/setup/win32_messages.h"

namespace vortix {

// What the callbacks reach in the program: the uninstall log's recorder, the
// variables, and the program's message boxes.
struct PluginServices {
    PluginRecorder& recorder;
    Variables& variables;
    SetupMessages& messages;
};

class PluginCallbacks {
public:
    // The table acts on `services` from now until this object goes.
    explicit PluginCallbacks(PluginServices services);
    ~PluginCallbacks();
    PluginCallbacks(const PluginCallbacks&) = delete;
    PluginCallbacks& operator=(const PluginCallbacks&) = delete;

    // What AdvancedEntry is handed.
    const VxPluginCallbacks* table() const;

private:
    PluginServices services_;
};

}  // namespace vortix
