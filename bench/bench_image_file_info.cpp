// Cost of GetImageFileInfo on a 12-megapixel JPEG with EXIF: the whole call
// (size and layout from the frame header, no decoding) against the EXIF scan
// alone (64 KiB read and parsed). And on a large JPEG XL file: the reader that
// looks at the file's head against merely reading the whole file, which is
// what handing the whole file to the decoder would cost at least.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <opencv2/imgcodecs.hpp>

#include "tivra/io/ExifReader.h"
#include "tivra/io/ImageFileInfo.h"
#include "tivra/io/JxlUtils.h"

namespace {

const std::string& SamplePath()
{
    static const std::string path = [] {
        cv::Mat pixels(3000, 4000, CV_8UC3);
        cv::randu(pixels, 0, 255);
        std::vector<std::uint8_t> jpeg;
        cv::imencode(".jpg", pixels, jpeg);
        // A little-endian TIFF block holding only IFD0 with Make = "Bench".
        const std::uint8_t tiff[] = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x0F, 0x01, 2, 0, 6, 0, 0, 0,
                                     26, 0, 0, 0, 0, 0, 0, 0, 'B', 'e', 'n', 'c', 'h', 0};
        std::vector<std::uint8_t> app1 = {0xFF, 0xE1, 0, std::uint8_t(8 + sizeof(tiff)), 'E', 'x', 'i', 'f', 0, 0};
        app1.insert(app1.end(), tiff, tiff + sizeof(tiff));
        jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
        const std::string file = (std::filesystem::temp_directory_path() / "tivra_bench_info.jpg").string();
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()), jpeg.size());
        return file;
    }();
    return path;
}

void WholeCall(benchmark::State& state)
{
    for (auto _ : state) {
        ImageFileInfo info = GetImageFileInfo(SamplePath());
        if (info.camera_make != "Bench" || info.width != 4000)
            state.SkipWithError("unexpected information");
        benchmark::DoNotOptimize(info);
    }
}

void ExifScanOnly(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<char> head(exif_reader::kJpegScanLimit);
        std::ifstream(SamplePath(), std::ios::binary).read(head.data(), head.size());
        ImageFileInfo info;
        exif_reader::ParseJpegExif(reinterpret_cast<const std::uint8_t*>(head.data()), head.size(), info);
        benchmark::DoNotOptimize(info);
    }
}

const std::string& JxlPath()
{
    static const std::string path = [] {
        cv::Mat pixels(2000, 3000, CV_8UC3);
        cv::randu(pixels, 0, 255);
        const std::string file = (std::filesystem::temp_directory_path() / "tivra_bench_info.jxl").string();
        jxl_utils::cvmat_to_jxl(pixels, file, 90);
        return file;
    }();
    return path;
}

void JxlInfo(benchmark::State& state)
{
    for (auto _ : state) {
        ImageFileInfo info = GetImageFileInfo(JxlPath());
        if (info.width != 3000)
            state.SkipWithError("unexpected information");
        benchmark::DoNotOptimize(info);
    }
}

void JxlWholeFileRead(benchmark::State& state)
{
    for (auto _ : state) {
        std::ifstream file(JxlPath(), std::ios::binary);
        std::vector<char> bytes(std::filesystem::file_size(JxlPath()));
        file.read(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["file_MiB"] = std::filesystem::file_size(JxlPath()) / 1048576.0;
}

BENCHMARK(WholeCall)->Unit(benchmark::kMillisecond);
BENCHMARK(ExifScanOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(JxlInfo)->Unit(benchmark::kMicrosecond);
BENCHMARK(JxlWholeFileRead)->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's real time per iteration so the ratio can be printed.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    RatioReporter() : ConsoleReporter(OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            times[run.benchmark_name()] = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;  // seconds per iteration
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.times.count("WholeCall") && reporter.times.count("ExifScanOnly"))
        std::printf("whole call / EXIF scan: %.0f (the EXIF part is %.3f %% of the call)\n",
                    reporter.times["WholeCall"] / reporter.times["ExifScanOnly"],
                    100.0 * reporter.times["ExifScanOnly"] / reporter.times["WholeCall"]);
    if (reporter.times.count("JxlInfo") && reporter.times.count("JxlWholeFileRead"))
        std::printf("JPEG XL information / whole-file read: %.3f\n",
                    reporter.times["JxlInfo"] / reporter.times["JxlWholeFileRead"]);
    std::filesystem::remove(SamplePath());
    std::filesystem::remove(JxlPath());
    return 0;
}
