// vxjpeg.dll's entry points: files in and out through Win32, the decoding in
// jpeg_to_bmp.cpp.
#include <windows.h>

#include <string>

#include "outside/jpeg/jpeg_to_bmp.h"
#include "outside/jpeg/vxjpeg.h"

namespace {

// A picture file larger than this is not a picture we convert.
constexpr LONGLONG kMaxFileSize = 256LL * 1024 * 1024;

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (ok())
            CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

bool readFile(const char* path, std::string& bytes) {
    Handle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file.ok() || !GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxFileSize)
        return false;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    for (std::size_t done = 0; done < bytes.size(); done += got)
        if (!ReadFile(file.get(), &bytes[done], static_cast<DWORD>(bytes.size() - done), &got,
                      nullptr) ||
            got == 0)
            return false;
    return true;
}

bool writeFile(const char* path, const std::string& bytes) {
    bool written = false;
    {
        Handle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.ok())
            return false;
        DWORD put = 0;
        written = true;
        for (std::size_t done = 0; written && done < bytes.size(); done += put)
            written = WriteFile(file.get(), bytes.data() + done,
                                static_cast<DWORD>(bytes.size() - done), &put, nullptr) &&
                      put > 0;
    }
    if (!written)
        DeleteFileA(path);
    return written;
}

int convert(const char* jpegPath, const char* bmpPath, const vortix::JpegOptions& options,
            VxJpegProgress progress) {
    if (!jpegPath || !bmpPath || !*jpegPath || !*bmpPath)
        return 0;
    try {
        std::string jpeg;
        if (!readFile(jpegPath, jpeg))
            return 0;
        vortix::JpegProgress tell;
        if (progress)
            tell = [progress](int percent) { return progress(percent) != 0; };
        vortix::BmpConversion bmp = vortix::jpegToBmp(jpeg, options, tell);
        return bmp.ok && writeFile(bmpPath, bmp.bmp) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // namespace

extern "C" {

int VXJPEG_API JPGToBMP(const char* jpegPath, const char* bmpPath, VxJpegProgress progress) {
    return convert(jpegPath, bmpPath, vortix::JpegOptions{}, progress);
}

int VXJPEG_API JPGToBMPEx(const char* jpegPath, const char* bmpPath, int scaleDenominator,
                          int quality, VxJpegProgress progress) {
    if (scaleDenominator <= 0 || (quality != VXJPEG_QUALITY_BEST && quality != VXJPEG_QUALITY_FAST))
        return 0;
    vortix::JpegOptions options;
    options.scaleDenominator = static_cast<unsigned>(scaleDenominator);
    options.fast = quality == VXJPEG_QUALITY_FAST;
    return convert(jpegPath, bmpPath, options, progress);
}

DWORD VXJPEG_API GetDllVersion(void) {
    return VXJPEG_VERSION;
}

int VXJPEG_API Blit(HDC hdc, int x, int y, const char* bmpPath) {
    if (!hdc || !bmpPath)
        return 0;
    try {
        std::string file;
        if (!readFile(bmpPath, file))
            return 0;
        std::optional<vortix::BmpLayout> layout = vortix::readBmpLayout(file);
        if (!layout)
            return 0;
        auto* info = reinterpret_cast<const BITMAPINFO*>(file.data() + layout->infoOffset);
        DWORD rows = static_cast<DWORD>(layout->height < 0 ? -layout->height : layout->height);
        int drawn = SetDIBitsToDevice(hdc, x, y, static_cast<DWORD>(layout->width), rows, 0, 0, 0,
                                      rows, file.data() + layout->bitsOffset, info, DIB_RGB_COLORS);
        return drawn > 0 ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
