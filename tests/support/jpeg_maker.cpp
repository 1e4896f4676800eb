#include "tests/support/jpeg_maker.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace testing_support {

namespace {

std::string compress(int width, int height, JpegKind kind,
                     const std::function<int(int, int, int)>& pixel, bool progressive,
                     const std::vector<jpeg_scan_info>& script) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = kind == JpegKind::Rgb ? 3 : kind == JpegKind::Gray ? 1 : 4;
    cinfo.in_color_space = kind == JpegKind::Rgb    ? JCS_RGB
                           : kind == JpegKind::Gray ? JCS_GRAYSCALE
                                                    : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    if (!script.empty()) {
        cinfo.scan_info = script.data();
        cinfo.num_scans = static_cast<int>(script.size());
    }
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * cinfo.input_components);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < cinfo.input_components; ++c)
                row[x * cinfo.input_components + c] = static_cast<unsigned char>(pixel(x, y, c));
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string jpeg(reinterpret_cast<char*>(out), size);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return jpeg;
}

}  // namespace

std::string makeJpeg(int width, int height, JpegKind kind,
                     const std::function<int(int, int, int)>& pixel, bool progressive) {
    return compress(width, height, kind, pixel, progressive, {});
}

std::string makeWholeScanJpeg(int width, int height,
                              const std::function<int(int, int, int)>& pixel) {
    const std::vector<jpeg_scan_info> script = {
        {3, {0, 1, 2, 0}, 0, 0, 0, 0},
        {1, {0, 0, 0, 0}, 1, 63, 0, 0},
        {1, {1, 0, 0, 0}, 1, 63, 0, 0},
        {1, {2, 0, 0, 0}, 1, 63, 0, 0},
    };
    return compress(width, height, JpegKind::Rgb, pixel, false, script);
}

std::string repeatScan(const std::string& jpeg, int scan, int copies) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(jpeg.at(i)); };
    std::size_t at = 2;  // past SOI
    int seen = 0;
    for (;;) {
        const unsigned char marker = byte(at + 1);
        const std::size_t length = byte(at + 2) * 256u + byte(at + 3);
        std::size_t end = at + 2 + length;
        if (marker != 0xDA) {
            at = end;
            continue;
        }
        // The entropy-coded data runs to the next marker that is neither a stuffed
        // zero nor a restart marker.
        while (!(byte(end) == 0xFF && byte(end + 1) != 0 &&
                 (byte(end + 1) < 0xD0 || byte(end + 1) > 0xD7)))
            ++end;
        if (seen++ == scan) {
            std::string out = jpeg.substr(0, end);
            const std::string segment = jpeg.substr(at, end - at);
            for (int i = 0; i < copies; ++i)
                out += segment;
            return out + jpeg.substr(end);
        }
        at = end;
    }
}

}  // namespace testing_support
