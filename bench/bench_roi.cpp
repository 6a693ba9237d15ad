// ROI overlay drawing and hit testing: RenderAll of 1,000 mixed overlay
// records into a 1600 x 1000 buffer (target under 5 ms per frame), a mask
// overlay on the same buffer, and nanoseconds per hit test for every kind.

#include "tivra/roi/ROIHitTest.h"
#include "tivra/roi/ROIRenderer.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgproc.hpp>

#include <string>
#include <vector>

namespace {

const cv::Size kBuffer(1600, 1000);

cv::Point2f RandomPoint(cv::RNG& rng)
{
    return cv::Point2f(rng.uniform(0.0f, float(kBuffer.width)), rng.uniform(0.0f, float(kBuffer.height)));
}

// Records with typical overlay sizes: the given kinds in turn, thickness 1 to
// 3 and, for lines, every line style.
std::vector<cvROI> Overlays(int count, const std::vector<int>& kinds)
{
    cv::RNG rng(20261206);
    std::vector<cvROI> records;
    for (int i = 0; i < count; ++i) {
        cvROI roi;
        roi.visible = true;
        roi.mode = kinds[i % kinds.size()];
        roi.thickness = 1 + i % 3;
        roi.lineStyle = (i / 10) % 3;
        roi.angle = rng.uniform(0.0, 180.0);
        roi.color = cv::Scalar(rng.uniform(0, 256), rng.uniform(0, 256), rng.uniform(0, 256), 255);
        const cv::Point2f at = RandomPoint(rng);
        const float extent = rng.uniform(10.0f, 200.0f);
        switch (roi.mode) {
        case CvROIMode::Point:
            roi.points = {at, RandomPoint(rng), RandomPoint(rng)};
            break;
        case CvROIMode::Line:
        case CvROIMode::ArrowLine:
            roi.points = {at, at + cv::Point2f(extent, rng.uniform(-extent, extent))};
            break;
        case CvROIMode::Rectangle:
        case CvROIMode::RotatedRectangle:
            roi.points = {at, cv::Point2f(extent, extent * 0.6f)};
            break;
        case CvROIMode::Circle:
            roi.points = {at, cv::Point2f(extent * 0.5f, 0)};
            break;
        case CvROIMode::Annulus:
            roi.points = {at, cv::Point2f(extent * 0.5f, 0), cv::Point2f(extent * 0.25f, 0), cv::Point2f(30, 250)};
            break;
        case CvROIMode::Polygon:
            roi.points = {at, at + cv::Point2f(extent, 0), at + cv::Point2f(extent, extent),
                          at + cv::Point2f(0, extent * 0.5f), at + cv::Point2f(-extent * 0.3f, extent * 0.2f)};
            break;
        case CvROIMode::Ellipse:
            roi.points = {at, cv::Point2f(extent * 0.5f, extent * 0.3f), cv::Point2f(0, 270)};
            break;
        }
        records.push_back(roi);
    }
    return records;
}

void RenderRecords(benchmark::State& state, std::vector<cvROI> records)
{
    std::vector<cvROI*> pointers;
    for (cvROI& r : records) {
        pointers.push_back(&r);
    }
    cv::Mat buffer(kBuffer, CV_8UC3, cv::Scalar(40, 40, 40));
    for (auto _ : state) {
        ROIRenderer::RenderAll(buffer, pointers, 1.0, 1.0);
        benchmark::ClobberMemory();
    }
    state.counters["records"] = double(records.size());
}

void BM_RenderAll1000Mixed(benchmark::State& state)
{
    RenderRecords(state, Overlays(1000, {CvROIMode::Point, CvROIMode::Line, CvROIMode::Rectangle,
                                         CvROIMode::RotatedRectangle, CvROIMode::Circle, CvROIMode::Annulus,
                                         CvROIMode::Polygon, CvROIMode::ArrowLine, CvROIMode::Ellipse,
                                         CvROIMode::Line}));
}
BENCHMARK(BM_RenderAll1000Mixed)->Unit(benchmark::kMillisecond);

// The same records one kind at a time, 100 of each, to show where a frame goes.
void BM_Render100OfKind(benchmark::State& state)
{
    RenderRecords(state, Overlays(100, {int(state.range(0))}));
    state.SetLabel(std::to_string(state.range(0)));
}
BENCHMARK(BM_Render100OfKind)->DenseRange(CvROIMode::Point, CvROIMode::Ellipse)->Unit(benchmark::kMicrosecond);

void BM_RenderMaskQuarterBuffer(benchmark::State& state)
{
    cvROI mask;
    mask.visible = true;
    mask.mode = CvROIMode::Mask;
    mask.color = cv::Scalar(0, 0, 255, 128);
    mask.mask = cv::Mat::zeros(kBuffer, CV_8UC1);
    cv::circle(mask.mask, {800, 500}, 300, cv::Scalar(255), cv::FILLED);
    cv::Mat buffer(kBuffer, CV_8UC3, cv::Scalar(40, 40, 40));
    for (auto _ : state) {
        ROIRenderer::RenderAll(buffer, {&mask}, 1.0, 1.0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RenderMaskQuarterBuffer)->Unit(benchmark::kMillisecond);

// Presses spread over and around the shapes, so hits and misses both occur.
std::vector<cv::Point2f> Presses()
{
    cv::RNG rng(7);
    std::vector<cv::Point2f> presses(1024);
    for (cv::Point2f& p : presses) {
        p = cv::Point2f(rng.uniform(0.0f, 400.0f), rng.uniform(0.0f, 400.0f));
    }
    return presses;
}

template <typename Test>
void RunHitTests(benchmark::State& state, Test test)
{
    const std::vector<cv::Point2f> presses = Presses();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(test(presses[i++ & 1023]));
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_HitPoint(benchmark::State& state)
{
    RunHitTests(state, [](const cv::Point2f& p) { return ROIHitTest::TestPoint(p, {200, 200}, 10.0f); });
}
void BM_HitLine(benchmark::State& state)
{
    RunHitTests(state, [](const cv::Point2f& p) { return ROIHitTest::TestLine(p, {50, 60}, {350, 300}, 10.0f); });
}
void BM_HitRectangle(benchmark::State& state)
{
    RunHitTests(state, [](const cv::Point2f& p) {
        return ROIHitTest::TestRectangle(p, cv::Rect2f(100, 100, 200, 150), 10.0f);
    });
}
void BM_HitRotatedRectangle(benchmark::State& state)
{
    cv::Point2f c[4];
    cv::RotatedRect({200, 200}, {220, 120}, 30).points(c);
    const std::vector<cv::Point2f> corners(c, c + 4);
    RunHitTests(state, [&corners](const cv::Point2f& p) {
        return ROIHitTest::TestRotatedRectangle(p, corners, {200, 200}, 30.0f, 10.0f);
    });
}
void BM_HitCircle(benchmark::State& state)
{
    RunHitTests(state, [](const cv::Point2f& p) { return ROIHitTest::TestCircle(p, {200, 200}, 120.0f, 10.0f); });
}
void BM_HitAnnulus(benchmark::State& state)
{
    RunHitTests(state, [](const cv::Point2f& p) {
        return ROIHitTest::TestAnnulus(p, {200, 200}, 60.0f, 150.0f, 30.0f, 250.0f, 10.0f);
    });
}
void BM_HitPolygon12(benchmark::State& state)
{
    std::vector<cv::Point2f> vertices;
    for (int i = 0; i < 12; ++i) {
        const double a = i * CV_PI / 6;
        vertices.emplace_back(float(200 + 150 * std::cos(a)), float(200 + 120 * std::sin(a)));
    }
    RunHitTests(state, [&vertices](const cv::Point2f& p) { return ROIHitTest::TestPolygon(p, vertices, 10.0f, false); });
}
BENCHMARK(BM_HitPoint);
BENCHMARK(BM_HitLine);
BENCHMARK(BM_HitRectangle);
BENCHMARK(BM_HitRotatedRectangle);
BENCHMARK(BM_HitCircle);
BENCHMARK(BM_HitAnnulus);
BENCHMARK(BM_HitPolygon12);

} // namespace

BENCHMARK_MAIN();
