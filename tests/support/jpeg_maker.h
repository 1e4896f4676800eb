// JPEG pictures made with libjpeg's compressor, for tests of the JPEG library.
#pragma once

#include <functional>
#include <string>

namespace testing_support {

enum class JpegKind { Rgb, Gray, AdobeCmyk };

// `pixel(x, y, channel)` gives each sample; CMYK samples are written inverted, as
// Adobe's programs store them.
std::string makeJpeg(int width, int height, JpegKind kind,
                     const std::function<int(int x, int y, int channel)>& pixel,
                     bool progressive = false);

}  // namespace testing_support
