// Cost of laying out the interleaver symbol once the measuring font is open, and of the very
// first measurement of the process, which starts fontconfig and opens the face.

#include "symbol/interleaver_symbol.h"
#include "symbol/text_measurer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <sstream>

namespace {

void BM_LayOutInterleaverSymbol(benchmark::State& state)
{
    InterleaverSettings settings;
    SymbolGraphic symbol(ReferenceSymbolWidth(), 192);
    for (auto _ : state) {
        LayOutInterleaverSymbol(symbol, settings, "interleaver_top");
        benchmark::DoNotOptimize(symbol.symbolWidth);
    }
}
BENCHMARK(BM_LayOutInterleaverSymbol)->Unit(benchmark::kMicrosecond);

void BM_LayOutLongName(benchmark::State& state)
{
    // A name far wider than the limit is shortened one character at a time.
    InterleaverSettings settings;
    SymbolGraphic symbol(ReferenceSymbolWidth(), 192);
    const std::string name(254, 'W');
    for (auto _ : state) {
        LayOutInterleaverSymbol(symbol, settings, name);
        benchmark::DoNotOptimize(symbol.symbolWidth);
    }
}
BENCHMARK(BM_LayOutLongName)->Unit(benchmark::kMicrosecond);

void BM_WriteSymbolLines(benchmark::State& state)
{
    InterleaverSettings settings;
    SymbolGraphic symbol(ReferenceSymbolWidth(), 192);
    LayOutInterleaverSymbol(symbol, settings, "interleaver_top");
    for (auto _ : state) {
        std::ostringstream out;
        symbol.WriteSymbolLines(out);
        benchmark::DoNotOptimize(out.str().size());
    }
}
BENCHMARK(BM_WriteSymbolLines)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    // Timed by hand before any benchmark runs, as it can happen only once per process.
    const auto start = std::chrono::steady_clock::now();
    const int width = TextMeasurer("Arial", 8).Width("write_addr[15..0]");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    std::printf("first measurement (fontconfig start-up and face opening): %.3f ms (width %d)\n",
                std::chrono::duration<double, std::milli>(elapsed).count(), width);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
