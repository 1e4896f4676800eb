#include "addressbook/model/data_file.h"

#include <new>

#include "addressbook/model/data_format.h"
#include "platform/whole_file.h"

namespace ctlite {

using platform::ReadOutcome;
using platform::WriteOutcome;

bool DataFile::exists() {
    platform::PathStatus status;
    return fs_.status(path_, status) && status.exists;
}

Outcome DataFile::checkWritable() {
    platform::PathStatus status;
    if (!fs_.status(path_, status))
        return failures::kReadingFileFailed;
    if (status.exists && status.readOnly)
        return failures::kReadOnly;
    return std::nullopt;
}

namespace {

Outcome outcomeOf(WriteOutcome written) {
    switch (written) {
        case WriteOutcome::Ok: return std::nullopt;
        case WriteOutcome::CannotCreate: return failures::kReadingFileFailed;
        case WriteOutcome::NoTemporaryName: return failures::kNoTemporaryName;
        case WriteOutcome::WriteFailed: return failures::kWritingFileFailed;
    }
    return failures::kWritingFileFailed;
}

}  // namespace

Outcome DataFile::replaceContents(std::string_view bytes) {
    if (bytes.size() > dataformat::kMaxFileSize)
        return failures::kTooLargeToSave;
    return outcomeOf(platform::replaceWholeFile(fs_, path_, bytes));
}

Outcome DataFile::save(const AddressBook& book) {
    if (Outcome refused = checkWritable())
        return refused;
    // Checked before the image is made, so that a book too large to save costs
    // no memory for it.
    if (dataformat::fileImageSize(book) > dataformat::kMaxFileSize)
        return failures::kTooLargeToSave;
    try {
        // Written in pieces: saving needs no second copy of the book in memory.
        return outcomeOf(platform::replaceWholeFileWith(fs_, path_, [&](platform::File& file) {
            return dataformat::writeFileImage(file, book);
        }));
    } catch (const std::bad_alloc&) {
        return failures::kNoMemoryToSave;
    }
}

Outcome DataFile::writeTrailer(const AddressBook& book) {
    if (Outcome refused = checkWritable())
        return refused;
    try {
        return replaceTrailer(book);
    } catch (const std::bad_alloc&) {
        return failures::kNoMemoryToSave;
    }
}

Outcome DataFile::replaceTrailer(const AddressBook& book) {
    platform::FileBytes bytes;
    ReadOutcome read = platform::readWholeFile(fs_, path_, dataformat::kMaxFileSize, bytes);
    std::string image;
    if (read == ReadOutcome::Ok)
        image = bytes.str();
    else if (read != ReadOutcome::CannotOpen || exists())
        return failures::kReadingFileFailed;  // (a missing file: the trailer is all there is)
    image.resize(dataformat::trailerStart(image));
    dataformat::appendTrailer(image, book);
    return replaceContents(image);
}

LoadResult DataFile::load(AddressBook& book, bool justCreated) {
    LoadResult result;
    platform::FileBytes image;
    switch (platform::readWholeFile(fs_, path_, dataformat::kMaxFileSize, image)) {
        case ReadOutcome::Ok: break;
        case ReadOutcome::CannotOpen: result.failure = failures::kCannotOpen; return result;
        case ReadOutcome::TooLarge: result.failure = failures::kTooLarge; return result;
        case ReadOutcome::ReadFailed: result.failure = failures::kMissingFile; return result;
    }
    try {
        std::size_t size = image.size();
        std::vector<Group> groups =
            dataformat::readGroupSection(image.take(), size, result.problems).groups;
        if (justCreated)
            groups[1].entries() = GroupList();
        book.replaceGroups(std::move(groups));
        book.workingEntry().clear();
    } catch (const dataformat::TooDamaged&) {
        result.failure = failures::kTooDamaged;
    } catch (const std::bad_alloc&) {
        result.failure = failures::kSevere001;
    }
    return result;
}

TrailerResult DataFile::readTrailer(AddressBook& book) {
    TrailerResult result;
    platform::FileBytes bytes;
    if (platform::readWholeFile(fs_, path_, dataformat::kMaxFileSize, bytes) != ReadOutcome::Ok) {
        result.unreadable = exists();
        return result;
    }
    std::string_view image = bytes.view();
    std::size_t start = dataformat::trailerStart(image);
    if (start == image.size())
        return result;
    dataformat::applyTrailer(dataformat::readTrailer(image, start, result.problems), book);
    return result;
}

Outcome DataFile::createNew() {
    if (Outcome refused = checkWritable())
        return refused;
    return replaceContents(dataformat::newFileImage());
}

Outcome DataFile::appendGroup(std::string_view name) {
    if (Outcome refused = checkWritable())
        return refused;
    platform::FileBytes bytes;
    if (platform::readWholeFile(fs_, path_, dataformat::kMaxFileSize, bytes) != ReadOutcome::Ok)
        return failures::kReadingFileFailed;
    try {
        std::string image = bytes.str();
        std::size_t start = dataformat::trailerStart(image);
        std::string trailer = image.substr(start);
        image.resize(start);
        image += dataformat::newGroupImage(name);
        image += trailer;
        return replaceContents(image);
    } catch (const std::bad_alloc&) {
        return failures::kNoMemoryToSave;
    }
}

bool DataFile::backupTo(const std::string& target) {
    platform::FileBytes image;
    if (platform::readWholeFile(fs_, path_, dataformat::kMaxFileSize, image) != ReadOutcome::Ok)
        return false;
    return platform::replaceWholeFile(fs_, target, image.view()) == WriteOutcome::Ok;
}

}  // namespace ctlite
