// Reading a package description with many files: the time must grow with the
// description, not with its square (toml11 finds a value's line by counting from
// the top of the file).
#include <benchmark/benchmark.h>

#include <string>

#include "tests/support/temp_dir.h"
#include "tools/vxpack/description.h"

using namespace vortix;

static void BM_ReadDescriptionWithManyFiles(benchmark::State& state) {
    testing_support::TempDir dir;
    testing_support::writeBytes(dir.file("a.txt"), "payload");
    std::string text =
        "[package]\nproduct = \"P\"\ncreate_uninstaller = false\n"
        "[[languages]]\nname = \"English\"\nfile = \"" VXPACK_ENGLISH_SET "\"\n";
    for (int i = 0; i < state.range(0); ++i)
        text += "[[files]]\nsource = \"a.txt\"\ntarget = \"<InstallDir>\\\\f" + std::to_string(i) +
                ".txt\"\ntype_mask = 1\n\n";
    for (auto _ : state) {
        PackageContents contents;
        DescriptionProblem problem;
        if (!parsePackageDescription(text, dir.file("setup.toml"), contents, problem))
            state.SkipWithError(problem.text().c_str());
        benchmark::DoNotOptimize(contents);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReadDescriptionWithManyFiles)
    ->RangeMultiplier(4)
    ->Range(1000, 16000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

BENCHMARK_MAIN();
