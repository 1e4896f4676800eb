#include "addressbook/picture/last_picture.h"

namespace ctlite {

std::shared_ptr<const Picture> LastPicture::get(
    const std::string& path, FileStamp stamp, PictureRoom room,
    const std::function<std::optional<Picture>()>& decode) {
    if (known_ && path == path_ && stamp.size == stamp_.size && stamp.written == stamp_.written &&
        room == room_)
        return picture_;
    std::optional<Picture> decoded = decode();
    picture_ = decoded ? std::make_shared<const Picture>(std::move(*decoded)) : nullptr;
    path_ = path;
    stamp_ = stamp;
    room_ = room;
    known_ = true;
    return picture_;
}

}  // namespace ctlite
