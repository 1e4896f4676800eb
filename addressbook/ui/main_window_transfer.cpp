#include "addressbook/ui/main_window.h"

#include <cstring>

#include "addressbook/model/data_format.h"
#include "addressbook/transfer/column_names.h"
#include "addressbook/transfer/file_choice.h"
#include "addressbook/transfer/table_file.h"
#include "addressbook/transfer/vcard.h"
#include "addressbook/ui/entry_form.h"
#include "addressbook/ui/import_dialogs.h"
#include "addressbook/ui/resource.h"
#include "framework/application.h"
#include "framework/file_dialog.h"
#include "platform/file_system.h"
#include "platform/whole_file.h"

namespace ctlite {
namespace {

// "Note", "Street Address": a field as the user knows it, for messages.
std::string fieldName(Field field, const FieldLabels& labels) {
    std::string text = typedFromStored(transfer::mappingText(field, labels));
    if (field == Field::Picture)
        text = "Picture";
    while (!text.empty() && (text.back() == ':' || text.back() == ' '))
        text.pop_back();
    return text;
}

// Asks whether to export values the chosen format cannot carry as they are.
bool acceptUncarried(HWND owner, const transfer::UncarriedValues& uncarried,
                     transfer::TableFormat format, const GroupList& list,
                     const FieldLabels& labels) {
    if (uncarried.count == 0)
        return true;
    const transfer::UncarriedValue& first = uncarried.first.front();
    std::string who = typedFromStored(list.find(first.position)->lastNameDisplay());
    std::string text = std::to_string(uncarried.count) +
                       (uncarried.count == 1 ? " value holds " : " values hold ");
    if (format == transfer::TableFormat::Csv)
        text += "a double quote, which a comma-separated file cannot hold as it is (the first: " +
                fieldName(first.field, labels) + " of " + who +
                ").\nThe quote will be written doubled (\"\"), as spreadsheet programs read it; "
                "programs that do not know this will split such a value.";
    else
        text += "a tab or a line break, which a tab-delimited file cannot hold (the first: " +
                fieldName(first.field, labels) + " of " + who +
                ").\nEach will be written as a blank, so these values will not read back as "
                "they are.";
    text += "\n\nExport anyway?";
    return fw::messageBox(owner, text, "Export", MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

}  // namespace

void MainWindow::onExport() {
    fw::FileDialogOptions options;
    options.title = "Export";
    options.filter = std::string(transfer::kExportFilter);
    options.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    bool columnNames = false;  // the file carries none unless the user asks
    options.checkBox =
        fw::FileDialogOptions::CheckBox{IDD_EXPORT_OPTIONS, IDC_EXPORT_COLUMN_NAMES, &columnNames};
    std::optional<fw::FileChoice> choice = fw::chooseFileToSave(handle(), options);
    if (!choice)
        return;
    std::string path = transfer::exportPath(choice->path, choice->filterIndex);
    platform::FileSystem& fs = platform::systemFileSystem();
    platform::PathStatus status;
    if (path != choice->path && fs.status(path, status) && status.exists &&
        fw::messageBox(handle(), path + " already exists.\nDo you want to replace it?", "Export",
                       MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;

    const GroupList& list = book_.currentGroup().entries();
    std::string bytes;
    transfer::FileKind kind = transfer::exportKind(choice->filterIndex);
    if (kind == transfer::FileKind::VCard) {
        bytes = transfer::writeVCards(list, book_.groupName(book_.currentGroupIndex()),
                                      &platform::systemFileSystem());
    } else {
        auto format = kind == transfer::FileKind::Csv ? transfer::TableFormat::Csv
                                                      : transfer::TableFormat::Tab;
        if (!acceptUncarried(handle(), transfer::findUncarried(list, format), format, list,
                             book_.labels()))
            return;
        if (columnNames)
            transfer::appendColumnNamesLine(bytes, format);
        bytes += transfer::writeTable(list, format);
    }
    finishExport(path, bytes);
}

void MainWindow::onExportEntry() {
    int index = selectedEntryIndex();
    Entry entry;
    if (index == kNoEntry || !book_.currentGroup().entries().get(index + 1, entry) ||
        entry == EntryPlaceholder()) {
        fw::messageBox(handle(), "You must select a name", "Opps...", MB_OK);
        return;
    }
    fw::FileDialogOptions options;
    options.title = "Export";
    options.filter = std::string("vCard (*.vcf)\0*.vcf\0", 15);
    options.defaultExtension = "vcf";
    options.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    // A file name from the person's name, without the characters names of files cannot hold.
    for (char c : typedFromStored(entry.firstNameDisplay()))
        if (!std::strchr("\\/:*?\"<>|", c) && static_cast<unsigned char>(c) >= 0x20)
            options.defaultName += c;
    while (!options.defaultName.empty() && options.defaultName.back() == ' ')
        options.defaultName.pop_back();
    std::optional<std::string> path = fw::askFileToSave(handle(), options);
    if (!path)
        return;
    std::string bytes;
    transfer::appendVCard(bytes, entry, book_.groupName(book_.currentGroupIndex()),
                          &platform::systemFileSystem());
    finishExport(*path, bytes);
}

void MainWindow::finishExport(const std::string& path, const std::string& bytes) {
    // Written beside and moved into place: a failed export leaves an old file as it was.
    if (platform::replaceWholeFile(platform::systemFileSystem(), path, bytes) !=
        platform::WriteOutcome::Ok) {
        fw::messageBox(handle(),
                       "The file could not be written:\n" + path + "\nNothing was exported.",
                       "Export", MB_OK | MB_ICONERROR);
        return;
    }
    fw::messageBox(handle(), "Export Complete", "Export", MB_OK | MB_ICONINFORMATION);
}

int MainWindow::chooseImportGroup() {
    std::vector<std::string> names;
    for (int g = 0; g < book_.groupCount(); ++g)
        names.push_back(book_.groupName(g));
    ImportToDialog to(std::move(names));
    if (!to.run(handle()))
        return -1;
    if (!to.newGroup()) {
        selectGroup(to.groupIndex());
        return to.groupIndex();
    }
    // A new group is added as "Add a Group" adds one: the book saved, the group
    // appended to the file, the groups read again.
    platform::FileSystem& fs = platform::systemFileSystem();
    if (DataFile(fs, book_.dataPath()).save(book_)) {
        fw::messageBox(handle(), "Add group failed", nullptr, MB_OK);
        return -1;
    }
    if (Outcome failure = DataFile(fs, book_.dataPath()).appendGroup(to.newGroupName())) {
        showFailure(*failure);
        return -1;
    }
    int index = book_.groupCount();
    reloadGroups(index);
    if (book_.currentGroupIndex() != index)
        return -1;  // the file could not be read again (already reported)
    // The new group keeps its placeholder until the import brings an entry.
    return index;
}

void MainWindow::onImport() {
    fw::FileDialogOptions options;
    options.title = "Import";
    options.filter = std::string(transfer::kImportFilter);
    options.flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    std::optional<fw::FileChoice> choice = fw::chooseFileToOpen(handle(), options);
    if (!choice)
        return;
    platform::FileBytes bytes;
    platform::ReadOutcome read = platform::readWholeFile(platform::systemFileSystem(), choice->path,
                                                         dataformat::kMaxFileSize, bytes);
    if (read != platform::ReadOutcome::Ok) {
        fw::messageBox(handle(),
                       read == platform::ReadOutcome::TooLarge
                           ? choice->path + " is too large to import."
                           : "The file could not be read:\n" + choice->path,
                       "Import", MB_OK | MB_ICONERROR);
        return;
    }
    transfer::FileKind kind = transfer::importKind(choice->path, choice->filterIndex);

    int index = chooseImportGroup();
    if (index < 0)
        return;
    GroupList& target = book_.group(index).entries();
    transfer::ImportSummary summary;
    if (kind == transfer::FileKind::VCard) {
        // The fields are named; photos go to the folder beside the data file.
        transfer::PictureFolder pictures(platform::systemFileSystem(), book_.dataPath());
        summary = transfer::importVCards(bytes.view(), target, &pictures);
    } else {
        transfer::TableReader reader(bytes.view(), kind == transfer::FileKind::Csv
                                                       ? transfer::TableFormat::Csv
                                                       : transfer::TableFormat::Tab);
        ImportDialog dialog(reader, transfer::detectEncoding(bytes.view()), book_.labels(), target);
        if (!dialog.run(handle()))
            return;
        summary = dialog.summary();
    }
    fillNameList();
    updateCaptions();

    // Records that gave no text for the fields they were read into add nothing.
    bool cards = kind == transfer::FileKind::VCard;
    std::string skipped = std::to_string(summary.blank) + (cards ? " card" : " record") +
                          (summary.blank == 1 ? " had" : "s had") +
                          (cards ? " no text." : " no text in the chosen fields.");
    if (summary.entries == 0) {
        fw::messageBox(
            handle(),
            "No entry was imported: " + (summary.blank ? skipped
                                                       : std::string("the file holds no ") +
                                                             (cards ? "cards." : "records.")),
            "Import", MB_OK | MB_ICONINFORMATION);
        return;
    }
    const transfer::ValueCounts& values = summary.values;
    if (values.valuesCut == 0 && values.valuesChanged == 0 && summary.picturesNotKept == 0)
        return;
    std::string text = std::to_string(summary.entries) + " entries imported.";
    if (summary.blank)
        text += "\n" + skipped.substr(0, skipped.size() - 1) +
                (summary.blank == 1 ? " and was skipped." : " and were skipped.");
    if (values.valuesChanged)
        text += "\n" + std::to_string(values.valuesChanged) +
                " values held characters this program cannot show; " +
                std::to_string(values.charactersReplaced) + " characters were replaced by \"?\".";
    if (values.valuesCut)
        text += "\n" + std::to_string(values.valuesCut) + " values were longer than " +
                std::to_string(transfer::kMaxImportedValue) + " characters and were cut.";
    if (summary.picturesNotKept)
        text += "\n" + std::to_string(summary.picturesNotKept) +
                (summary.picturesNotKept == 1 ? " photo was" : " photos were") +
                " not kept: only a card's first JPEG or BMP photo can be an entry's picture.";
    fw::messageBox(handle(), text, "Import", MB_OK | MB_ICONINFORMATION);
}

}  // namespace ctlite
