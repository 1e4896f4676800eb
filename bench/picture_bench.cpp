// Decoding an entry's photo: a one-megapixel colour JPEG reduced to 128 colours
// (what the display card does once per selection), and a greyscale one; then the
// colour one for cards smaller than the photo (decoded at 7/8, 1/2 and 1/4).
#include <benchmark/benchmark.h>

#include "addressbook/picture/picture.h"
#include "tests/support/jpeg_maker.h"

namespace {

std::string photo(testing_support::JpegKind kind) {
    const int width = 1250, height = 800;
    return testing_support::makeJpeg(width, height, kind, [](int x, int y, int c) {
        int v[3] = {x * 255 / 1250, y * 255 / 800, (x ^ y) & 0xFF};
        return v[c % 3];
    });
}

void decodeColourMegapixel(benchmark::State& state) {
    std::string jpeg = photo(testing_support::JpegKind::Rgb);
    for (auto _ : state)
        benchmark::DoNotOptimize(ctlite::decodeJpeg(jpeg));
}
BENCHMARK(decodeColourMegapixel)->Unit(benchmark::kMillisecond);

void decodeGreyMegapixel(benchmark::State& state) {
    std::string jpeg = photo(testing_support::JpegKind::Gray);
    for (auto _ : state)
        benchmark::DoNotOptimize(ctlite::decodeJpeg(jpeg));
}
BENCHMARK(decodeGreyMegapixel)->Unit(benchmark::kMillisecond);

void decodeColourMegapixelForRoom(benchmark::State& state) {
    std::string jpeg = photo(testing_support::JpegKind::Rgb);
    const ctlite::PictureRoom room{static_cast<std::int32_t>(state.range(0)),
                                   static_cast<std::int32_t>(state.range(1))};
    for (auto _ : state)
        benchmark::DoNotOptimize(ctlite::decodeJpeg(jpeg, room));
}
BENCHMARK(decodeColourMegapixelForRoom)
    ->Args({1124, 860})  // the room of a 1134 x 920 card: 7/8
    ->Args({700, 500})   // 1/2
    ->Args({320, 380})   // the main window's first size: 1/4
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
