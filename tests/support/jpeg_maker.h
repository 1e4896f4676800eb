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

// A progressive colour JPEG in 4 scans that send their coefficients whole (no
// successive approximation): the DC of all three components, then each
// component's AC coefficients. Such a scan may be sent again without changing the
// picture, since it sets the same coefficients to the same values.
std::string makeWholeScanJpeg(int width, int height,
                              const std::function<int(int x, int y, int channel)>& pixel);

// `jpeg` with its scan number `scan` (from 0), its SOS segment and entropy-coded
// data, sent `copies` more times straight after itself.
std::string repeatScan(const std::string& jpeg, int scan, int copies);

}  // namespace testing_support
