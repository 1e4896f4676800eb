#include "addressbook/picture/picture.h"

namespace ctlite {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

}  // namespace

PictureKind pictureKind(std::string_view path) {
    std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos)
        return PictureKind::None;
    std::string_view extension = path.substr(dot + 1);
    if (equalsIgnoringCase(extension, "bmp"))
        return PictureKind::Bitmap;
    if (equalsIgnoringCase(extension, "jpg"))
        return PictureKind::Jpeg;
    return PictureKind::None;
}

std::optional<Picture> decodePicture(PictureKind kind, std::string_view file, PictureRoom room) {
    switch (kind) {
        case PictureKind::Bitmap: return readBmp(file);
        case PictureKind::Jpeg: return decodeJpeg(file, room);
        case PictureKind::None: break;
    }
    return std::nullopt;
}

}  // namespace ctlite
