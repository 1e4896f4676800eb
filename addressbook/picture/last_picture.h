// The photo decoded last, kept with its file's path, size and time of writing and
// the room it was decoded for, so that coming back to its entry decodes nothing
// while the file and the card's size stay the same. A file
// that gave no picture is kept too: a damaged or hostile file can take long to find
// out about, and it is found out once, not again at every selection.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "addressbook/picture/picture.h"

namespace ctlite {

struct FileStamp {
    std::uint64_t size = 0, written = 0;
};

class LastPicture {
public:
    // The picture of the file at `path`, whose size and time of writing are `stamp`,
    // for `room`: what `decode` made of it last time when it is what was asked for
    // last, else what `decode` makes of it now. Null when the file gives no picture.
    std::shared_ptr<const Picture> get(const std::string& path, FileStamp stamp, PictureRoom room,
                                       const std::function<std::optional<Picture>()>& decode);

private:
    bool known_ = false;
    std::string path_;
    FileStamp stamp_;
    PictureRoom room_;
    std::shared_ptr<const Picture> picture_;
};

}  // namespace ctlite
