#include "installer/setup/script_expansion.h"

namespace vortix {
namespace {

void expandKey(RegistryItemKey& key, const Variables& v) {
    key.name = v.expandSystemPaths(key.name);
    for (RegistryItemValue& value : key.values) {
        value.name = v.expandSystemPaths(value.name);
        value.data = v.expandSystemPaths(value.data);
    }
    for (RegistryItemKey& subkey : key.subkeys)
        expandKey(subkey, v);
}

void expandLocation(RegistryLocation& location, const Variables& v) {
    location.keyPath = v.expandSystemPaths(location.keyPath);
    location.valueName = v.expandSystemPaths(location.valueName);
}

}  // namespace

void expandSystemPathsOnce(Script& script, const Variables& v) {
    auto expand = [&](std::string& text) { text = v.expandSystemPaths(text); };
    for (RegistryItemKey& root : script.registry)
        expandKey(root, v);
    for (ShortcutItem& s : script.shortcuts) {
        for (std::string* text :
             {&s.target, &s.shortcutFile, &s.arguments, &s.workingDirectory, &s.icon})
            expand(*text);
    }
    for (IniItem& item : script.iniItems) {
        for (std::string* text : {&item.file, &item.section, &item.keyAndValue})
            expand(*text);
    }
    for (TextEditItem& edit : script.textEdits) {
        for (std::string* text : {&edit.file, &edit.anchor, &edit.text})
            expand(*text);
    }
    for (StageFileOperation& op : script.stageFileOperations) {
        expand(op.source);
        expand(op.target);
    }
    for (StageOpenItem& item : script.stageOpenItems) {
        expand(item.path);
        expand(item.parameters);
    }
    PackageSettings& s = script.settings;
    for (std::string* text :
         {&s.windowTitle, &s.installDirectory, &s.shortcutFolder, &s.preUninstallProgram,
          &s.afterInstall[0].path, &s.afterInstall[1].path})
        expand(*text);
    expandLocation(s.marker, v);
    expandLocation(s.destinationSource, v);
}

}  // namespace vortix
