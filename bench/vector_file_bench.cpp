// Times the vector file of the largest valid variation (convolutional, internal memory, I = 40,
// J = 500, W = 8: 2,340,014 ramp lines) written into a stream that discards what it is given, so
// that only the formatting and the hand-over to the stream are measured.
#include "settings/vector_file.h"

#include <benchmark/benchmark.h>

#include <ostream>
#include <streambuf>

namespace {

// Counts the characters it is given and keeps none of them.
class DiscardingBuffer : public std::streambuf {
public:
    long long count() const { return count_; }

protected:
    std::streamsize xsputn(const char*, std::streamsize n) override
    {
        count_ += n;
        return n;
    }
    int_type overflow(int_type ch) override
    {
        ++count_;
        return traits_type::not_eof(ch);
    }

private:
    long long count_ = 0;
};

InterleaverSettings LargestVariation()
{
    InterleaverSettings settings;
    settings.CHARACTERISTIC_I = 40;
    settings.CHARACTERISTIC_J = 500;
    settings.SYMBOL_WIDTH = 8;
    return settings;
}

void BM_WriteLargestVectorFile(benchmark::State& state)
{
    const InterleaverSettings settings = LargestVariation();
    long long bytes = 0;
    for (auto _ : state) {
        DiscardingBuffer sink;
        std::ostream out(&sink);
        WriteVectorFile(out, settings);
        bytes += sink.count();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_WriteLargestVectorFile)->Unit(benchmark::kMillisecond);

} // namespace
