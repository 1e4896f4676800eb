// JPEG pictures through libjpeg, set up as djpeg's "-colors 128" sets it up, so
// that a picture here has the very colours and pixels djpeg gives it.
#include <csetjmp>
#include <cstdio>
#include <new>

#include "addressbook/picture/dib_header.h"
#include "addressbook/picture/picture.h"

// jpeglib.h wants size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace ctlite {
namespace {

constexpr int kColours = 128;

// libjpeg ends on a fatal error by calling error_exit; ours jumps back instead.
// The progress monitor sits beside it, since it ends the decoding the same way.
struct ErrorJump {
    jpeg_error_mgr base;
    jpeg_progress_mgr progress;
    std::jmp_buf back;
    bool cutOff;
};

void jumpBack(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorJump*>(cinfo->err)->back, 1);
}

// Warnings are not shown; a file that ends early fails, since the rest of the
// picture would be made up. A scan that refines coefficients out of order, or sends
// them a second time, marks a file no encoder writes, and it fails at once.
void noteWarning(j_common_ptr cinfo, int level) {
    if (level >= 0)
        return;
    if (cinfo->err->msg_code == JWRN_JPEG_EOF)
        reinterpret_cast<ErrorJump*>(cinfo->err)->cutOff = true;
    if (cinfo->err->msg_code == JWRN_BOGUS_PROGRESSION)
        jumpBack(cinfo);
}

// libjpeg calls this between rows of every scan it reads, so a file is stopped
// within one scan of the limit.
void watchScans(j_common_ptr common) {
    auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
    if (cinfo->input_scan_number > kMaxJpegScans)
        jumpBack(common);
}

// Between setjmp and any longjmp only C data and objects made before the jump
// point live, so jumping back skips no destructor.
bool fits(const jpeg_decompress_struct& cinfo, PictureRoom room) {
    return (room.width <= 0 || cinfo.output_width <= static_cast<JDIMENSION>(room.width)) &&
           (room.height <= 0 || cinfo.output_height <= static_cast<JDIMENSION>(room.height));
}

// The largest of libjpeg's scales N/8 at which the picture fits the room. Scaling
// in the inverse transform leaves out the work for the pixels it does not make.
void scaleToFit(jpeg_decompress_struct& cinfo, PictureRoom room) {
    cinfo.scale_num = 8;
    cinfo.scale_denom = 8;
    jpeg_calc_output_dimensions(&cinfo);
    while (!fits(cinfo, room) && cinfo.scale_num > 1) {
        --cinfo.scale_num;
        jpeg_calc_output_dimensions(&cinfo);
    }
}

bool decode(jpeg_decompress_struct& cinfo, ErrorJump& errors, std::string_view file,
            PictureRoom room, Picture& picture) {
    if (setjmp(errors.back))
        return false;
    jpeg_create_decompress(&cinfo);
    errors.progress.progress_monitor = watchScans;
    cinfo.progress = &errors.progress;
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(file.data()),
                 static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (static_cast<std::uint64_t>(cinfo.image_width) * cinfo.image_height > kMaxPicturePixels)
        return false;
    // libjpeg has no conversion from printing inks to screen colours.
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK)
        return false;
    const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    if (grey) {
        cinfo.out_color_space = JCS_GRAYSCALE;
    } else {
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = kColours;
    }
    scaleToFit(cinfo, room);
    jpeg_start_decompress(&cinfo);

    const std::uint32_t width = cinfo.output_width, height = cinfo.output_height;
    const std::size_t stride = static_cast<std::size_t>(dib::rowBytes(width, 8));
    const int colours = grey ? 256 : cinfo.actual_number_of_colors;
    picture.width = static_cast<std::int32_t>(width);
    picture.height = static_cast<std::int32_t>(height);
    picture.info = dib::infoHeader(picture.width, picture.height, 8, dib::kRgb,
                                   static_cast<std::uint32_t>(colours),
                                   static_cast<std::uint32_t>(stride * height));
    for (int i = 0; i < colours; ++i) {
        Rgb c;
        if (grey) {
            c.red = c.green = c.blue = static_cast<std::uint8_t>(i);
        } else {
            c.red = cinfo.colormap[0][i];
            c.green = cinfo.colormap[1][i];
            c.blue = cinfo.colormap[2][i];
        }
        picture.palette.push_back(c);
        picture.info.push_back(static_cast<char>(c.blue));
        picture.info.push_back(static_cast<char>(c.green));
        picture.info.push_back(static_cast<char>(c.red));
        picture.info.push_back('\0');
    }
    picture.bits.assign(stride * height, '\0');
    while (cinfo.output_scanline < height) {
        // Bottom-up: the first row read is the last one stored.
        auto* row = reinterpret_cast<JSAMPLE*>(
            &picture.bits[stride * (height - 1 - cinfo.output_scanline)]);
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1 || errors.cutOff)
            return false;
    }
    jpeg_finish_decompress(&cinfo);
    return !errors.cutOff;
}

}  // namespace

std::optional<Picture> decodeJpeg(std::string_view file, PictureRoom room) {
    if (file.empty() || file.size() > kMaxPictureFileBytes)
        return std::nullopt;
    jpeg_decompress_struct cinfo{};
    ErrorJump errors{};
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jumpBack;
    errors.base.emit_message = noteWarning;
    Picture picture;
    bool ok = false;
    try {
        ok = decode(cinfo, errors, file, room, picture);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    jpeg_destroy_decompress(&cinfo);
    if (!ok)
        return std::nullopt;
    return picture;
}

}  // namespace ctlite
