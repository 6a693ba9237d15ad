// Cost of cutting the visible 1600 x 1000 view out of images of 1, 24 and 400
// megapixels at zoom 0.1, fit, 1.0 and 8.0. The view should cost in proportion
// to the window, so each case is printed as a ratio against the 1-megapixel
// image at the same zoom, both in time per call and in time per output pixel
// (at zoom 0.1 a small image does not fill the window). OpenCV runs on one
// thread here and times are CPU time, which a shared machine disturbs less
// than wall time (worker threads that spin would blur process CPU time). One
// image is alive at a time: the 400-megapixel one takes 1.2 GB.

#include "tivra/engine/Viewport.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

const cv::Size kWindow(1600, 1000);

struct ImageCase {
    const char* name;
    cv::Size size;
};

const ImageCase kImages[] = {
    {"1MP", {1250, 800}},
    {"24MP", {6000, 4000}},
    {"400MP", {25000, 16000}},
};

const char* const kZooms[] = {"0.1", "fit", "1.0", "8.0"};

double ZoomValue(const std::string& zoom, cv::Size image)
{
    if (zoom == "fit") {
        return std::min(double(kWindow.width) / image.width, double(kWindow.height) / image.height);
    }
    return std::stod(zoom);
}

cv::Mat MakeImage(cv::Size size)
{
    cv::Mat img(size, CV_8UC3);
    for (int y = 0; y < img.rows; ++y) {
        std::memset(img.ptr(y), (y * 7) & 0xFF, img.cols * 3); // touch every page
    }
    return img;
}

// The view centred on the image, as a panel scrolled to the middle shows it.
Viewport CentredViewport(cv::Size image, double zoom)
{
    Viewport vp;
    vp.SetOriginalSize(image);
    vp.SetWindowSize(kWindow);
    vp.SetScale(zoom);
    const cv::Size virtualSize = vp.GetVirtualSize();
    vp.SetScrollPosition({std::max(0, (virtualSize.width - kWindow.width) / 2),
                          std::max(0, (virtualSize.height - kWindow.height) / 2)});
    return vp;
}


class CollectingReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> microsecondsPerCall;

    CollectingReporter() : ConsoleReporter(OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration) {
                std::string name = run.benchmark_name();
                microsecondsPerCall[name] = run.GetAdjustedCPUTime(); // every case runs in us
            }
        }
    }
};

// The extraction as it was: clone the visible rectangle, then scale the clone.
// At low zoom that copies most of the image every frame.
cv::Mat CloneThenScale(const Viewport& vp, const cv::Mat& source, double zoom)
{
    cv::Mat clone = source(vp.GetVisibleROI()).clone();
    cv::Mat scaled;
    cv::resize(clone, scaled, cv::Size(), zoom, zoom, cv::INTER_NEAREST);
    return scaled;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    cv::setNumThreads(1);
    CollectingReporter reporter;
    std::map<std::string, double> outputPixels;

    for (const ImageCase& image : kImages) {
        const cv::Mat source = MakeImage(image.size);
        for (const char* zoom : kZooms) {
            const double value = ZoomValue(zoom, image.size);
            const Viewport vp = CentredViewport(image.size, value);
            const std::string name = std::string("Extract/") + image.name + "/zoom:" + zoom;
            const cv::Mat probe = vp.ExtractVisibleRegion(source);
            outputPixels[name] = double(probe.total());
            benchmark::RegisterBenchmark(name.c_str(), [vp, &source](benchmark::State& state) {
                for (auto _ : state) {
                    benchmark::DoNotOptimize(vp.ExtractVisibleRegion(source));
                }
            })->Unit(benchmark::kMicrosecond);
        }
        const Viewport low = CentredViewport(image.size, 0.1);
        const std::string naiveName = std::string("CloneThenScale/") + image.name + "/zoom:0.1";
        benchmark::RegisterBenchmark(naiveName.c_str(), [low, &source](benchmark::State& state) {
            for (auto _ : state) {
                benchmark::DoNotOptimize(CloneThenScale(low, source, 0.1));
            }
        })->Unit(benchmark::kMicrosecond);
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::ClearRegisteredBenchmarks();
    }

    std::printf("\nView extraction against the 1-megapixel image (target: every ratio <= 1.5)\n");
    std::printf("%-8s %-5s %12s %14s %12s %16s\n", "image", "zoom", "us/call", "output px", "time ratio",
                "per-pixel ratio");
    for (const ImageCase& image : kImages) {
        for (const char* zoom : kZooms) {
            const std::string name = std::string("Extract/") + image.name + "/zoom:" + zoom;
            const std::string base = std::string("Extract/1MP/zoom:") + zoom;
            if (!reporter.microsecondsPerCall.count(name) || !reporter.microsecondsPerCall.count(base)) {
                continue; // filtered out on the command line
            }
            const double t = reporter.microsecondsPerCall[name], t0 = reporter.microsecondsPerCall[base];
            const double px = outputPixels[name], px0 = outputPixels[base];
            std::printf("%-8s %-5s %12.1f %14.0f %12.2f %16.2f\n", image.name, zoom, t, px, t / t0,
                        (t / px) / (t0 / px0));
        }
    }
    for (const ImageCase& image : kImages) {
        const std::string name = std::string("Extract/") + image.name + "/zoom:0.1";
        const std::string naiveName = std::string("CloneThenScale/") + image.name + "/zoom:0.1";
        if (reporter.microsecondsPerCall.count(name) && reporter.microsecondsPerCall.count(naiveName)) {
            std::printf("%s zoom 0.1: scaling straight from the source is %.1fx faster than clone-then-scale\n",
                        image.name, reporter.microsecondsPerCall[naiveName] / reporter.microsecondsPerCall[name]);
        }
    }
    benchmark::Shutdown();
    return 0;
}
