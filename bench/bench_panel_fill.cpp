// The panel's bitmap fill (one pass through raw pixel access) against a plain
// memory copy of the same 24-megapixel BGR image, measured side by side.
#include "tivra/engine/TivraROIPanel/TivraPanel.h"

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;  // 24 megapixels

const cv::Mat& SourceImage()
{
    static const cv::Mat image = [] {
        cv::Mat m(kHeight, kWidth, CV_8UC3);
        cv::randu(m, cv::Scalar::all(0), cv::Scalar::all(256));
        return m;
    }();
    return image;
}

void BM_BitmapFill(benchmark::State& state)
{
    const cv::Mat& image = SourceImage();
    wxBitmap bitmap(kWidth, kHeight, 32);
    for (auto _ : state) {
        const bool ok = TivraPanel::ConvertMatBitmapTowxBitmap(image, bitmap, 0, 0);
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(image.total() * image.elemSize()));
}
BENCHMARK(BM_BitmapFill)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MemcpySameBytes(benchmark::State& state)
{
    const cv::Mat& image = SourceImage();
    const size_t bytes = image.total() * image.elemSize();
    std::vector<unsigned char> target(bytes);
    for (auto _ : state) {
        std::memcpy(target.data(), image.data, bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_MemcpySameBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

// Console output as usual, plus the mean real time of each run for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred)
                m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    double Time(const std::string& name) const
    {
        const auto it = m_times.find(name);
        return it == m_times.end() ? 0.0 : it->second;
    }

private:
    std::map<std::string, double> m_times;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double fill = reporter.Time("BM_BitmapFill/real_time");
    const double copy = reporter.Time("BM_MemcpySameBytes/real_time");
    if (fill > 0 && copy > 0)
        std::printf("bitmap fill / memcpy of the same 72 MB: %.2f (%.1f ms vs %.1f ms)\n", fill / copy, fill, copy);
    benchmark::Shutdown();
    return 0;
}
