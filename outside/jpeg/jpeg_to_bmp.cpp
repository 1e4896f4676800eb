#include "outside/jpeg/jpeg_to_bmp.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

// jpeglib.h wants size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace vortix {
namespace {

constexpr std::size_t kFileHeader = 14, kInfoHeader = 40;

// libjpeg reports fatal errors by calling error_exit; ours jumps back instead of
// ending the process, with the text kept for the caller.
struct ErrorManager {
    jpeg_error_mgr base;
    // The progress monitor sits beside the error handler: it ends the decoding the
    // same way.
    jpeg_progress_mgr monitor;
    std::jmp_buf back;
    char text[JMSG_LENGTH_MAX];
    bool cutOff;
};

// libjpeg calls this between the rows of every scan it reads, so a file is stopped
// within one scan of the limit.
void watchScans(j_common_ptr common) {
    auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
    if (cinfo->input_scan_number <= kMaxJpegScans)
        return;
    auto* errors = reinterpret_cast<ErrorManager*>(common->err);
    std::snprintf(errors->text, sizeof errors->text, "The JPEG file has more than %d scans.",
                  kMaxJpegScans);
    std::longjmp(errors->back, 1);
}

void errorExit(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    cinfo->err->format_message(cinfo, errors->text);
    std::longjmp(errors->back, 1);
}

// Warnings go nowhere, except that a file which ends early is a failure: the
// rest of the picture would be grey.
void emitMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        reinterpret_cast<ErrorManager*>(cinfo->err)->cutOff = true;
}

void put16(unsigned char* p, unsigned v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void put32(unsigned char* p, std::uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}
std::uint32_t get32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::size_t rowStride(std::uint32_t width) {
    return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

void writeHeaders(unsigned char* p, std::uint32_t width, std::uint32_t height, std::size_t total,
                  const jpeg_decompress_struct& cinfo) {
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, static_cast<std::uint32_t>(total));
    put32(p + 10, kFileHeader + kInfoHeader);
    unsigned char* info = p + kFileHeader;
    put32(info, kInfoHeader);
    put32(info + 4, width);
    put32(info + 8, height);  // positive: the bottom row comes first
    put16(info + 12, 1);
    put16(info + 14, 24);
    put32(info + 20, static_cast<std::uint32_t>(total - kFileHeader - kInfoHeader));
    // Pixels per metre from the JFIF density when it is given per inch or per cm.
    std::uint32_t x = 0, y = 0;
    if (cinfo.density_unit == 1) {
        x = cinfo.X_density * 10000u / 254u;
        y = cinfo.Y_density * 10000u / 254u;
    } else if (cinfo.density_unit == 2) {
        x = cinfo.X_density * 100u;
        y = cinfo.Y_density * 100u;
    }
    put32(info + 24, x);
    put32(info + 28, y);
}

// One output row of libjpeg's samples as blue, green, red.
void toBgr(const JSAMPLE* in, unsigned char* out, std::uint32_t width, J_COLOR_SPACE space,
           bool adobeInverted) {
    for (std::uint32_t x = 0; x < width; ++x, out += 3) {
        unsigned r, g, b;
        if (space == JCS_GRAYSCALE) {
            r = g = b = in[x];
        } else if (space == JCS_RGB) {
            r = in[3 * x];
            g = in[3 * x + 1];
            b = in[3 * x + 2];
        } else {  // CMYK, stored inverted by Adobe's programs
            unsigned c = in[4 * x], m = in[4 * x + 1], yel = in[4 * x + 2], k = in[4 * x + 3];
            if (!adobeInverted) {
                c = 255 - c;
                m = 255 - m;
                yel = 255 - yel;
                k = 255 - k;
            }
            r = c * k / 255;
            g = m * k / 255;
            b = yel * k / 255;
        }
        out[0] = static_cast<unsigned char>(b);
        out[1] = static_cast<unsigned char>(g);
        out[2] = static_cast<unsigned char>(r);
    }
}

// Everything between setjmp and a longjmp is C or plain data: no object with a
// destructor is made here, so jumping back skips nothing.
bool decode(jpeg_decompress_struct& cinfo, ErrorManager& errors, std::string_view jpeg,
            const JpegOptions& options, const JpegProgress& progress, std::string& bmp,
            std::string& message) {
    if (setjmp(errors.back)) {
        message = errors.text;
        return false;
    }
    jpeg_create_decompress(&cinfo);
    errors.monitor.progress_monitor = watchScans;
    cinfo.progress = &errors.monitor;
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(jpeg.data()),
                 static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);

    switch (cinfo.jpeg_color_space) {
        case JCS_GRAYSCALE: cinfo.out_color_space = JCS_GRAYSCALE; break;
        case JCS_CMYK:
        case JCS_YCCK: cinfo.out_color_space = JCS_CMYK; break;
        default: cinfo.out_color_space = JCS_RGB; break;
    }
    cinfo.scale_num = 1;
    cinfo.scale_denom = options.scaleDenominator;
    if (options.fast) {
        cinfo.dct_method = JDCT_IFAST;
        cinfo.do_fancy_upsampling = FALSE;
    }
    jpeg_calc_output_dimensions(&cinfo);
    std::uint32_t width = cinfo.output_width, height = cinfo.output_height;
    if (static_cast<std::uint64_t>(cinfo.image_width) * cinfo.image_height > options.maxPixels) {
        message = "The picture is too large (" + std::to_string(cinfo.image_width) + " x " +
                  std::to_string(cinfo.image_height) + " pixels).";
        return false;
    }
    std::size_t stride = rowStride(width);
    std::size_t total = kFileHeader + kInfoHeader + stride * height;
    bmp.assign(total, '\0');
    auto* file = reinterpret_cast<unsigned char*>(&bmp[0]);
    writeHeaders(file, width, height, total, cinfo);

    jpeg_start_decompress(&cinfo);
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                width * cinfo.output_components, 1);
    int reported = -1;
    while (cinfo.output_scanline < height) {
        std::uint32_t y = cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1 || errors.cutOff)
            break;
        unsigned char* out = file + kFileHeader + kInfoHeader + stride * (height - 1 - y);
        toBgr(row[0], out, width, cinfo.out_color_space, cinfo.saw_Adobe_marker);
        int percent = static_cast<int>((static_cast<std::uint64_t>(y) + 1) * 100 / height);
        if (progress && percent != reported) {
            reported = percent;
            if (!progress(percent)) {
                message = "The conversion was cancelled.";
                return false;
            }
        }
    }
    if (errors.cutOff || cinfo.output_scanline < height) {
        message = "The JPEG file ends too early.";
        return false;
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

}  // namespace

BmpConversion jpegToBmp(std::string_view jpeg, const JpegOptions& options,
                        const JpegProgress& progress) {
    BmpConversion result;
    unsigned d = options.scaleDenominator;
    if (d != 1 && d != 2 && d != 4 && d != 8) {
        result.message = "The scale 1/" + std::to_string(d) + " is not one of 1/1, 1/2, 1/4, 1/8.";
        return result;
    }
    if (jpeg.empty()) {
        result.message = "The JPEG file is empty.";
        return result;
    }
    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = errorExit;
    errors.base.emit_message = emitMessage;
    try {
        result.ok = decode(cinfo, errors, jpeg, options, progress, result.bmp, result.message);
    } catch (const std::bad_alloc&) {
        result.message = "Out of memory";
    }
    jpeg_destroy_decompress(&cinfo);
    if (!result.ok)
        result.bmp.clear();
    return result;
}

std::optional<BmpLayout> readBmpLayout(std::string_view file) {
    if (file.size() < kFileHeader + kInfoHeader || file[0] != 'B' || file[1] != 'M')
        return std::nullopt;
    auto* p = reinterpret_cast<const unsigned char*>(file.data());
    const unsigned char* info = p + kFileHeader;
    BmpLayout layout;
    layout.bitsOffset = get32(p + 10);
    std::uint32_t infoSize = get32(info);
    layout.width = static_cast<std::int32_t>(get32(info + 4));
    layout.height = static_cast<std::int32_t>(get32(info + 8));
    unsigned planes = info[12] | (info[13] << 8);
    layout.bitCount = info[14] | (info[15] << 8);
    std::uint32_t compression = get32(info + 16);
    if (infoSize < kInfoHeader || infoSize > file.size() - kFileHeader || planes != 1 ||
        compression != 0 || layout.width <= 0 || layout.height == 0 || layout.height == INT32_MIN)
        return std::nullopt;
    switch (layout.bitCount) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32: break;
        default: return std::nullopt;
    }
    std::uint64_t colours = get32(info + 32);
    if (layout.bitCount <= 8 && (colours == 0 || colours > (1u << layout.bitCount)))
        colours = 1u << layout.bitCount;
    else if (layout.bitCount > 8)
        colours = 0;
    std::uint64_t rows = layout.height < 0 ? -static_cast<std::int64_t>(layout.height)
                                           : static_cast<std::int64_t>(layout.height);
    std::uint64_t stride =
        (static_cast<std::uint64_t>(layout.width) * layout.bitCount + 31) / 32 * 4;
    if (layout.bitsOffset < kFileHeader + infoSize + colours * 4 ||
        layout.bitsOffset > file.size() || stride * rows > file.size() - layout.bitsOffset)
        return std::nullopt;
    return layout;
}

}  // namespace vortix
