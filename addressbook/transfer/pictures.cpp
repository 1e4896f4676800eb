#include "addressbook/transfer/pictures.h"

#include <array>
#include <cstring>
#include <memory>

namespace ctlite::transfer {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of a base64 digit, or -1.
int digitValue(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// Files are numbered up to this before the folder is called full.
constexpr int kMaxNumber = 9999;

}  // namespace

std::string base64Encoded(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                     static_cast<unsigned char>(bytes[i + 1]) << 8 |
                     static_cast<unsigned char>(bytes[i + 2]);
        for (int shift : {18, 12, 6, 0})
            out += kAlphabet[(v >> shift) & 63];
    }
    std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2)
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

bool base64Decoded(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size() / 4 * 3);
    unsigned v = 0;
    int bits = 0;
    bool padded = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (c == '=') {
            padded = true;
            continue;
        }
        int d = digitValue(c);
        if (d < 0 || padded) {
            out.clear();
            return false;
        }
        v = (v << 6 | static_cast<unsigned>(d)) & 0xFFFFFF;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((v >> bits) & 0xFF);
        }
    }
    return true;
}

PictureKind pictureKind(std::string_view bytes) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xFF\xD8\xFF")
        return PictureKind::Jpeg;
    if (bytes.size() >= 14 && bytes.substr(0, 2) == "BM")
        return PictureKind::Bmp;
    return PictureKind::Other;
}

PictureFolder::PictureFolder(platform::FileSystem& fs, std::string_view dataPath) : fs_(fs) {
    std::size_t slash = dataPath.find_last_of("\\/");
    separator_ = slash == std::string_view::npos ? '\\' : dataPath[slash];
    std::string_view name = slash == std::string_view::npos ? dataPath : dataPath.substr(slash + 1);
    std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    folder_.assign(dataPath.substr(0, slash == std::string_view::npos ? 0 : slash + 1));
    folder_.append(name);
    folder_ += " pictures";
}

std::string PictureFolder::keep(std::string_view name, PictureKind kind, std::string_view bytes) {
    if (kind == PictureKind::Other || !fs_.makeFolder(folder_))
        return {};
    std::string base;
    for (char c : name)
        if (!std::strchr("\\/:*?\"<>|", c) && static_cast<unsigned char>(c) >= 0x20)
            base += c;
    while (!base.empty() && (base.back() == ' ' || base.back() == '.'))
        base.pop_back();
    while (!base.empty() && base.front() == ' ')
        base.erase(0, 1);
    if (base.empty())
        base = "picture";
    const char* extension = kind == PictureKind::Jpeg ? ".jpg" : ".bmp";
    for (int number = 1; number <= kMaxNumber; ++number) {
        std::string path = folder_ + separator_ + base;
        if (number > 1)
            path += " (" + std::to_string(number) + ")";
        path += extension;
        // Made only when no file has the name: nothing is ever written over.
        std::unique_ptr<platform::File> file = fs_.open(path, platform::OpenMode::CreateNew);
        if (!file) {
            platform::PathStatus status;
            if (fs_.status(path, status) && status.exists)
                continue;
            return {};
        }
        if (file->write(bytes.data(), bytes.size()) && file->close())
            return path;
        file.reset();
        fs_.remove(path);
        return {};
    }
    return {};
}

}  // namespace ctlite::transfer
