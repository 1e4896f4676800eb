// Pictures that travel inside vCards: base64 text, the kinds of picture an entry can
// show, and the folder beside the data file where pictures taken from cards are kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace ctlite::transfer {

// Bytes as base64 text, without line breaks.
std::string base64Encoded(std::string_view bytes);
// Base64 text (blanks and line breaks anywhere, padding optional) as bytes; false,
// with `out` cleared, for any other character.
bool base64Decoded(std::string_view text, std::string& out);

enum class PictureKind { Jpeg, Bmp, Other };
// By the bytes a file starts with: the entry's display card shows JPEG and BMP only.
PictureKind pictureKind(std::string_view bytes);

// The pictures of one book: a folder beside its data file named after it ("data
// pictures" for data.dat), made when the first picture comes.
class PictureFolder {
public:
    PictureFolder(platform::FileSystem& fs, std::string_view dataPath);

    const std::string& path() const { return folder_; }
    // Writes `bytes` to a new file in the folder, named after `name` (characters that
    // file names cannot hold left out) with the kind's extension, numbered " (2)",
    // " (3)" ... when the name is taken: never over another file. The new file's full
    // path, or empty when it could not be written.
    std::string keep(std::string_view name, PictureKind kind, std::string_view bytes);

private:
    platform::FileSystem& fs_;
    std::string folder_;
    char separator_;
};

}  // namespace ctlite::transfer
