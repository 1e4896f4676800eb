#include "tools/ctlite-data/data_tool.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <istream>
#include <iterator>
#include <optional>
#include <ostream>

#include "addressbook/model/data_file.h"
#include "addressbook/model/data_format.h"
#include "addressbook/transfer/column_names.h"
#include "addressbook/transfer/incoming_text.h"
#include "addressbook/transfer/table_file.h"
#include "addressbook/transfer/table_import.h"
#include "addressbook/transfer/vcard.h"
#include "platform/whole_file.h"
#include "platform/windows1252.h"

namespace ctlite {
namespace {

constexpr int kDone = 0, kProblems = 1, kError = 2;
// copy wrote its output, but the input was damaged: records were rebuilt or parts
// left out, so the output is not the book the input held.
constexpr int kChanged = 3;

constexpr const char* kFieldKeys[kFieldCount] = {
    "groupName", "firstName", "lastName",    "homePhone",   "streetAddress", "city",
    "state",     "zipCode",   "country",     "picture",     "note",          "emailAddress",
    "homepage",  "faxNumber", "pagerNumber", "mobilePhone", "companyName",   "workPhone",
};

constexpr const char* kLabelKeys[kLabelCount] = {
    "companyName", "firstName", "lastName", "workPhone",     "homePhone",
    "fax",         "pager",     "mobile",   "streetAddress", "city",
    "state",       "zipCode",   "country",  "emailAddress",  "homepage",
};

void usage(std::ostream& err) {
    err << "usage: ctlite-data new FILE\n"
           "       ctlite-data show FILE\n"
           "       ctlite-data check FILE\n"
           "       ctlite-data copy IN OUT\n"
           "       ctlite-data export BOOK --group N --format csv|tab|vcard [--header] OUT\n"
           "       ctlite-data import BOOK IN --format csv|tab|vcard (--group N | --new-group "
           "NAME)\n"
           "              [--header | --no-header]   csv and tab: whether the first line holds\n"
           "                                         column names (judged by its names if "
           "neither)\n"
           "groups are numbered from 1 as the window lists them; OUT or IN - is standard "
           "output or input\n"
           "exit status: 0 done, 1 problems found (check), 2 usage or file error,\n"
           "             3 copy written, but IN was damaged and OUT holds what could be read\n";
}

void reportFailure(std::ostream& err, const std::string& path, const Failure& failure) {
    err << "ctlite-data: " << path << ": " << failure.message << "\n";
}

void reportProblems(std::ostream& err, const std::string& path, const ProblemList& problems) {
    for (const Problem& p : problems.kept())
        err << path << ": " << p.text << "\n";
    if (problems.total() > problems.kept().size())
        err << path << ": ... and " << problems.total() - problems.kept().size()
            << " more problems\n";
}

// Reads a whole input file; says why not on `err`.
bool readInput(platform::FileSystem& fs, const std::string& path, platform::FileBytes& image,
               std::ostream& err) {
    switch (platform::readWholeFile(fs, path, dataformat::kMaxFileSize, image)) {
        case platform::ReadOutcome::Ok: return true;
        case platform::ReadOutcome::CannotOpen:
            err << "ctlite-data: " << path << ": cannot be opened\n";
            break;
        case platform::ReadOutcome::TooLarge: reportFailure(err, path, failures::kTooLarge); break;
        case platform::ReadOutcome::ReadFailed:
            err << "ctlite-data: " << path << ": reading failed\n";
            break;
    }
    return false;
}

// Loads a book as the program does (trailer, then groups), from one read of the file.
bool loadBook(platform::FileSystem& fs, const std::string& path, AddressBook& book,
              ProblemList& problems, std::ostream& err) {
    platform::FileBytes image;
    if (!readInput(fs, path, image, err))
        return false;
    try {
        dataformat::readFile(image.view(), book, problems);
    } catch (const dataformat::TooDamaged&) {
        reportFailure(err, path, failures::kTooDamaged);
        return false;
    }
    return true;
}

int commandNew(platform::FileSystem& fs, const std::string& path, std::ostream& err) {
    DataFile file(fs, path);
    if (file.exists()) {
        err << "ctlite-data: " << path << ": already exists; not replaced\n";
        return kError;
    }
    if (Outcome failure = file.createNew()) {
        reportFailure(err, path, *failure);
        return kError;
    }
    return kDone;
}

int commandShow(platform::FileSystem& fs, const std::string& path, std::ostream& out,
                std::ostream& err) {
    AddressBook book;
    ProblemList problems;
    if (!loadBook(fs, path, book, problems, err))
        return kError;
    reportProblems(err, path, problems);

    nlohmann::json head;
    head["type"] = "book";
    head["file"] = platform::utf8FromCp1252(path);
    head["passwordSet"] = book.hasPassword();
    head["groupCount"] = book.groupCount();
    nlohmann::json labels = nlohmann::json::object();
    for (int i = 0; i < kLabelCount; ++i)
        labels[kLabelKeys[i]] = platform::utf8FromCp1252(book.labels().get(static_cast<Label>(i)));
    head["labels"] = std::move(labels);
    nlohmann::json names = nlohmann::json::array();
    for (int g = 0; g < book.groupCount(); ++g)
        names.push_back(platform::utf8FromCp1252(book.groupName(g)));
    head["groupNames"] = std::move(names);
    out << head.dump() << "\n";

    for (int g = 0; g < book.groupCount(); ++g) {
        const GroupList& list = book.group(g).entries();
        nlohmann::json group;
        group["type"] = "group";
        group["group"] = g + 1;
        group["name"] = platform::utf8FromCp1252(book.groupName(g));
        group["entryCount"] = list.count();
        out << group.dump() << "\n";
        for (int position = 1; position <= list.count(); ++position) {
            const Entry& entry = *list.find(position);
            nlohmann::json line;
            line["type"] = "entry";
            line["group"] = g + 1;
            line["position"] = position;
            line["placeholder"] = entry.isPlaceholder();
            for (int f = 0; f < kFieldCount; ++f)
                line[kFieldKeys[f]] = platform::utf8FromCp1252(entry.get(static_cast<Field>(f)));
            out << line.dump() << "\n";
        }
    }
    return kDone;
}

int commandCheck(platform::FileSystem& fs, const std::string& path, std::ostream& out,
                 std::ostream& err) {
    platform::FileBytes image;
    if (!readInput(fs, path, image, err))
        return kError;
    ProblemList problems = checkImage(image.view());
    if (problems.empty()) {
        out << path << ": clean\n";
        return kDone;
    }
    reportProblems(out, path, problems);
    return kProblems;
}

int commandCopy(platform::FileSystem& fs, const std::string& in, const std::string& outPath,
                std::ostream& err) {
    AddressBook book;
    ProblemList problems;
    if (!loadBook(fs, in, book, problems, err))
        return kError;
    reportProblems(err, in, problems);
    if (Outcome failure = DataFile(fs, outPath).save(book)) {
        reportFailure(err, outPath, *failure);
        return kError;
    }
    if (!problems.empty()) {
        err << "ctlite-data: " << outPath << ": written, but not the same book as " << in << ": "
            << problems.total() << " damaged parts were rebuilt or left out (listed above)\n";
        return kChanged;
    }
    return kDone;
}

// ---- export and import

enum class TransferFormat { Csv, Tab, VCard };

struct TransferOptions {
    std::optional<TransferFormat> format;
    std::optional<int> group;  // from 1
    std::optional<std::string> newGroup;
    std::optional<bool> header;         // import: the first line holds column names (unset: judged)
    std::vector<std::string> operands;  // what is not an option, in order
};

// Parses "--format F", "--group N" and "--new-group NAME" among the operands;
// false on anything it does not know.
bool parseTransferOptions(const std::vector<std::string>& args, TransferOptions& options) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool hasValue = i + 1 < args.size();
        if (a == "--format" && hasValue) {
            const std::string& f = args[++i];
            if (f == "csv")
                options.format = TransferFormat::Csv;
            else if (f == "tab")
                options.format = TransferFormat::Tab;
            else if (f == "vcard")
                options.format = TransferFormat::VCard;
            else
                return false;
        } else if (a == "--group" && hasValue) {
            const std::string& n = args[++i];
            if (n.empty() || n.size() > 6 || n.find_first_not_of("0123456789") != std::string::npos)
                return false;
            options.group = std::stoi(n);
        } else if (a == "--new-group" && hasValue) {
            options.newGroup = args[++i];
        } else if ((a == "--header" || a == "--no-header") && !options.header) {
            options.header = a == "--header";
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            return false;
        } else {
            options.operands.push_back(a);
        }
    }
    return options.format.has_value();
}

transfer::TableFormat tableFormat(TransferFormat format) {
    return format == TransferFormat::Csv ? transfer::TableFormat::Csv : transfer::TableFormat::Tab;
}

const char* fieldName(Field field) {
    return kFieldKeys[static_cast<int>(field)];
}

// Loads a book that may be written back: a damaged one is refused, so that no
// import saves what could be read over what could not.
bool loadBookToChange(platform::FileSystem& fs, const std::string& path, AddressBook& book,
                      std::ostream& err) {
    ProblemList problems;
    if (!loadBook(fs, path, book, problems, err))
        return false;
    if (!problems.empty()) {
        reportProblems(err, path, problems);
        err << "ctlite-data: " << path
            << ": damaged; nothing imported (\"ctlite-data copy\" rescues what can be read)\n";
        return false;
    }
    return true;
}

int commandExport(const TransferOptions& options, platform::FileSystem& fs, std::ostream& out,
                  std::ostream& err) {
    if (options.operands.size() != 2 || !options.group || options.newGroup ||
        (options.header && *options.format == TransferFormat::VCard))
        return -1;
    const std::string& bookPath = options.operands[0];
    const std::string& outPath = options.operands[1];
    AddressBook book;
    ProblemList problems;
    if (!loadBook(fs, bookPath, book, problems, err))
        return kError;
    reportProblems(err, bookPath, problems);
    int index = *options.group - 1;
    if (index < 0 || index >= book.groupCount()) {
        err << "ctlite-data: " << bookPath << ": there is no group " << *options.group << " (1 to "
            << book.groupCount() << ")\n";
        return kError;
    }
    const GroupList& list = book.group(index).entries();
    std::string bytes;
    if (*options.format == TransferFormat::VCard) {
        bytes = transfer::writeVCards(list, book.groupName(index), &fs);
    } else {
        transfer::TableFormat format = tableFormat(*options.format);
        transfer::UncarriedValues uncarried = transfer::findUncarried(list, format);
        if (uncarried.count) {
            err << "ctlite-data: " << uncarried.count
                << (format == transfer::TableFormat::Csv
                        ? " values hold a double quote, which a plain comma-separated file "
                          "cannot carry; it is written doubled (\"\"), as spreadsheets read it:"
                        : " values hold a tab or a line break, which a tab-delimited file "
                          "cannot carry; each is written as a blank:");
            for (const transfer::UncarriedValue& v : uncarried.first)
                err << " entry " << v.position << " " << fieldName(v.field) << ";";
            err << (uncarried.count > uncarried.first.size() ? " ...\n" : "\n");
        }
        if (options.header.value_or(false))
            transfer::appendColumnNamesLine(bytes, format);
        bytes += transfer::writeTable(list, format);
    }
    if (outPath == "-") {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            err << "ctlite-data: writing to standard output failed\n";
            return kError;
        }
        return kDone;
    }
    switch (platform::replaceWholeFile(fs, outPath, bytes)) {
        case platform::WriteOutcome::Ok: return kDone;
        case platform::WriteOutcome::CannotCreate:
            err << "ctlite-data: " << outPath << ": cannot be created\n";
            return kError;
        case platform::WriteOutcome::NoTemporaryName:
            err << "ctlite-data: " << outPath
                << ": every temporary name beside it (.~0 to .~999) is taken by files earlier "
                   "writes left; delete them and try again\n";
            return kError;
        case platform::WriteOutcome::WriteFailed:
            err << "ctlite-data: " << outPath << ": writing failed; the file was left as it was\n";
            return kError;
    }
    return kError;
}

bool readTransferInput(platform::FileSystem& fs, const std::string& path, std::istream& in,
                       std::string& bytes, std::ostream& err) {
    if (path != "-") {
        platform::FileBytes image;
        if (!readInput(fs, path, image, err))
            return false;
        bytes = image.str();
        return true;
    }
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > dataformat::kMaxFileSize) {
            reportFailure(err, "standard input", failures::kTooLarge);
            return false;
        }
    }
    return true;
}

int commandImport(const TransferOptions& options, platform::FileSystem& fs, std::istream& in,
                  std::ostream& out, std::ostream& err) {
    if (options.operands.size() != 2 || options.group.has_value() == options.newGroup.has_value() ||
        (options.header && *options.format == TransferFormat::VCard))
        return -1;
    const std::string& bookPath = options.operands[0];
    const std::string& inPath = options.operands[1];
    AddressBook book;
    if (!loadBookToChange(fs, bookPath, book, err))
        return kError;
    int index;
    if (options.group) {
        index = *options.group - 1;
        if (index < 0 || index >= book.groupCount()) {
            err << "ctlite-data: " << bookPath << ": there is no group " << *options.group
                << " (1 to " << book.groupCount() << ")\n";
            return kError;
        }
    } else {
        // A name typed in a UTF-8 terminal is held in the book's code page.
        std::string name = *options.newGroup;
        if (transfer::detectEncoding(name) == transfer::Encoding::Utf8) {
            std::string converted;
            transfer::windows1252FromUtf8(name, converted);
            name = converted;
        }
        index = book.addGroup(name);
    }
    std::string bytes;
    if (!readTransferInput(fs, inPath, in, bytes, err))
        return kError;
    GroupList& list = book.group(index).entries();
    transfer::ImportSummary summary;
    if (*options.format == TransferFormat::VCard) {
        transfer::PictureFolder pictures(fs, bookPath);
        summary = transfer::importVCards(bytes, list, &pictures);
        if (summary.picturesKept || summary.picturesNotKept)
            out << summary.picturesKept << " photos kept in \"" << pictures.path() << "\", "
                << summary.picturesNotKept << " not kept (only JPEG and BMP)\n";
    } else {
        transfer::TableFormat format = tableFormat(*options.format);
        transfer::TableReader reader(bytes, format);
        transfer::Encoding encoding = transfer::detectEncoding(bytes);
        std::vector<std::string> first;
        reader.record(0, first);
        std::optional<transfer::HeaderLine> header;
        if (!options.header)
            header = transfer::readHeaderLine(first, encoding);
        else if (*options.header)
            header = transfer::mapColumnNames(first, encoding);
        if (header) {
            out << "first line holds column names:";
            transfer::ValueCounts ignored;
            for (int i = 0; i < header->mapping.valueCount(); ++i) {
                std::optional<Field> field = header->mapping.target(i);
                std::string name = transfer::storedValue(first[static_cast<std::size_t>(i)],
                                                         encoding, Field::Note, ignored);
                out << (i ? ", \"" : " \"") << platform::utf8FromCp1252(name) << "\" -> "
                    << (field ? fieldName(*field) : "none");
            }
            out << "\n";
        }
        summary = transfer::importTable(
            reader, header ? header->mapping : transfer::ImportMapping::exportOrder(format),
            encoding, list, header.has_value());
    }
    if (Outcome failure = DataFile(fs, bookPath).save(book)) {
        reportFailure(err, bookPath, *failure);
        return kError;
    }
    out << (inPath == "-" ? std::string("standard input") : inPath) << ": " << summary.records
        << (*options.format == TransferFormat::VCard ? " cards" : " records") << " read, "
        << summary.entries << " entries added to group " << index + 1 << " ("
        << platform::utf8FromCp1252(book.groupName(index)) << ")";
    if (summary.blank)
        out << ", " << summary.blank << " without text left out";
    out << "; " << summary.values.valuesCut << " values cut to " << transfer::kMaxImportedValue
        << " characters, " << summary.values.charactersReplaced
        << " characters replaced by \"?\" in " << summary.values.valuesChanged << " values\n";
    return kDone;
}

}  // namespace

namespace {

std::string inQuotes(std::string_view text) {
    return "\"" + platform::utf8FromCp1252(text) + "\"";
}

// What differs first between the entries at one position of a group.
std::string entryDifference(const Entry& read, const Entry& again) {
    for (int f = 0; f < kFieldCount; ++f) {
        std::string_view x = read.get(static_cast<Field>(f)), y = again.get(static_cast<Field>(f));
        if (x != y)
            return std::string(kFieldKeys[f]) + " " + inQuotes(x) + " becomes " + inQuotes(y);
    }
    return "the entries differ";
}

// The first thing in which the book as read (`read`) and the book after saving and
// reading back (`again`) differ, or empty when they are the same.
std::string firstDifference(const AddressBook& read, const AddressBook& again) {
    if (read.password() != again.password())
        return "the password differs";
    for (int i = 0; i < kLabelCount; ++i) {
        auto label = static_cast<Label>(i);
        if (read.labels().get(label) != again.labels().get(label))
            return std::string("label ") + kLabelKeys[i] + " " +
                   inQuotes(read.labels().get(label)) + " becomes " +
                   inQuotes(again.labels().get(label));
    }
    if (read.groupCount() != again.groupCount())
        return std::to_string(read.groupCount()) + " groups become " +
               std::to_string(again.groupCount());
    for (int g = 0; g < read.groupCount(); ++g) {
        std::string group = "group " + std::to_string(g + 1);
        if (read.groupName(g) != again.groupName(g))
            return group + ": name " + inQuotes(read.groupName(g)) + " becomes " +
                   inQuotes(again.groupName(g));
        const GroupList& x = read.group(g).entries();
        const GroupList& y = again.group(g).entries();
        group += " (" + inQuotes(read.groupName(g)) + ")";
        if (x.count() != y.count())
            return group + ": " + std::to_string(x.count()) + " entries become " +
                   std::to_string(y.count());
        for (int p = 1; p <= x.count(); ++p)
            if (*x.find(p) != *y.find(p))
                return group + ", entry " + std::to_string(p) + ": " +
                       entryDifference(*x.find(p), *y.find(p));
    }
    return {};
}

AddressBook readImage(std::string_view image) {
    AddressBook book;
    ProblemList ignored;
    dataformat::readFile(image, book, ignored);
    return book;
}

}  // namespace

ProblemList checkImage(std::string_view image) {
    // The reader reports every part of the file it cannot take as it stands.
    ProblemList problems;
    AddressBook book;
    dataformat::readFile(image, book, problems);
    // A book whose file would be too large is refused by every save.
    std::size_t size = dataformat::fileImageSize(book);
    if (size > dataformat::kMaxFileSize) {
        problems.add(0, "the book read from this file cannot be saved: its file would take " +
                            std::to_string(size) + " bytes, more than the reader takes (" +
                            std::to_string(dataformat::kMaxFileSize) + ")");
        return problems;
    }
    // And what it read must survive saving: two saves and loads reverse each
    // group twice and give the same book back. Each copy goes as soon as the
    // next is made, so that checking costs about two books and one file.
    std::string saved = dataformat::fileImage(book);
    AddressBook once = readImage(saved);
    saved = std::string();
    saved = dataformat::fileImage(once);
    once = AddressBook();
    AddressBook twice = readImage(saved);
    saved = std::string();
    std::string difference = firstDifference(book, twice);
    if (!difference.empty())
        problems.add(
            0, "the book read from this file does not save and read back the same: " + difference);
    return problems;
}

int runDataTool(const std::vector<std::string>& args, platform::FileSystem& fs, std::ostream& out,
                std::ostream& err) {
    return runDataTool(args, fs, std::cin, out, err);
}

int runDataTool(const std::vector<std::string>& args, platform::FileSystem& fs, std::istream& in,
                std::ostream& out, std::ostream& err) {
    if (!args.empty() && (args[0] == "export" || args[0] == "import")) {
        TransferOptions options;
        int status = -1;
        if (parseTransferOptions(args, options))
            status = args[0] == "export" ? commandExport(options, fs, out, err)
                                         : commandImport(options, fs, in, out, err);
        if (status >= 0)
            return status;
    }
    if (args.size() == 2 && args[0] == "new")
        return commandNew(fs, args[1], err);
    if (args.size() == 2 && args[0] == "show")
        return commandShow(fs, args[1], out, err);
    if (args.size() == 2 && args[0] == "check")
        return commandCheck(fs, args[1], out, err);
    if (args.size() == 3 && args[0] == "copy")
        return commandCopy(fs, args[1], args[2], err);
    usage(err);
    return kError;
}

}  // namespace ctlite
