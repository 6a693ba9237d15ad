// Cost of composing one frame of the advanced panel, the render path without the
// window: cut the visible part of the image, draw 100 mixed overlays, one mask,
// two texts and the badge into it. The cost must follow the window (1600 x 1000),
// not the image: compare the 1, 24 and 400 megapixel rows at each zoom. The last
// rows draw 10,000 overlays on 24 megapixels (target: at most 33 ms a frame).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include <opencv2/core.hpp>

#include "tivra/engine/FrameLayers.h"
#include "tivra/roi/Colors.h"

namespace {

const cv::Size kWindow(1600, 1000);

struct Scene {
    cv::Mat image;
    std::vector<cvROI> overlays;
    std::vector<cvText> texts;
    FrameLayers::FontPtr font;
};

cv::Size SizeOf(int megapixels)
{
    const int height = static_cast<int>(std::sqrt(megapixels * 1e6 * 3 / 4));
    return {static_cast<int>(megapixels * 1e6 / height), height};
}

// Shapes of every kind spread over the image, 1 to 8 % of its short side; many
// overlays are detections, 0.05 to 1 % of it (2 to 40 pixels on 24 megapixels),
// some of them below a screen pixel at fit.
std::vector<cvROI> MixedOverlays(cv::Size size, int count)
{
    cv::RNG rng(11);
    std::vector<cvROI> out;
    const float smallest = count > 1000 ? 0.0005f : 0.01f, largest = count > 1000 ? 0.01f : 0.08f;
    for (int i = 0; i < count; ++i) {
        const float x = rng.uniform(0.f, size.width * 0.9f), y = rng.uniform(0.f, size.height * 0.9f);
        const float s = std::min(size.width, size.height) * rng.uniform(smallest, largest);
        cvROI r;
        r.visible = true;
        r.thickness = 2;
        r.mode = i % 7 + 1;
        r.color = cv::Scalar(rng.uniform(0, 256), rng.uniform(0, 256), rng.uniform(0, 256), 255);
        switch (r.mode) {
        case CvROIMode::Point: r.points = {{x, y}, {x + s, y + s}}; break;
        case CvROIMode::Line: r.points = {{x, y}, {x + 3 * s, y + s}}; break;
        case CvROIMode::Rectangle: r.points = {{x, y}, {2 * s, s}}; break;
        case CvROIMode::RotatedRectangle: r.points = {{x, y}, {2 * s, s}}; r.angle = 15; break;
        case CvROIMode::Circle: r.points = {{x + s, y + s}, {s, 0}}; break;
        case CvROIMode::Annulus: r.points = {{x + s, y + s}, {s, 0}, {s / 2, 0}, {20, 300}}; break;
        default: r.points = {{x, y}, {x + 2 * s, y}, {x + 2.5f * s, y + s}, {x + s, y + 2 * s}}; break;
        }
        out.push_back(r);
    }
    cvROI mask;
    mask.visible = true;
    mask.mode = CvROIMode::Mask;
    mask.color = cv::Scalar(255, 0, 0, 100);
    mask.mask = cv::Mat(size, CV_8UC1, cv::Scalar(0));
    mask.mask(cv::Rect(size.width / 4, size.height / 4, size.width / 4, size.height / 4)).setTo(1);
    out.push_back(mask);
    return out;
}

Scene& SceneOf(int megapixels, int overlayCount)
{
    static std::map<std::pair<int, int>, std::unique_ptr<Scene>> scenes;
    const std::pair<int, int> key(megapixels, overlayCount);
    if (!scenes.count(key)) {
        scenes.clear();  // keep one large scene in memory at a time
        auto scene = std::make_unique<Scene>();
        const cv::Size size = SizeOf(megapixels);
        cv::Mat tile(256, 256, CV_8UC3);
        cv::randu(tile, 0, 256);
        scene->image = cv::repeat(tile, size.height / 256 + 1, size.width / 256 + 1)(cv::Rect(cv::Point(), size)).clone();
        scene->overlays = MixedOverlays(size, overlayCount);
        for (int i = 0; i < 2; ++i) {
            cvText t;
            t.visible = true;
            t.position = cv::Point2f(size.width * (0.1f + 0.3f * i), size.height * 0.1f);
            t.lines.Add("Measurement 12.345 mm");
            t.lines.Add("OK");
            t.color = cv::Scalar(255, 255, 255);
            t.bgColor = cv::Scalar(40, 40, 40);
            t.drawBackground = true;
            t.fontHeight = 24;
            scene->texts.push_back(t);
        }
        scene->font = FrameLayers::LoadFont(wxString(), FrameLayers::kDefaultFontPath);
        scenes[key] = std::move(scene);
    }
    return *scenes[key];
}

void ComposeFrame(benchmark::State& state)
{
    const int megapixels = static_cast<int>(state.range(0));
    const int overlayCount = static_cast<int>(state.range(2));
    Scene& scene = SceneOf(megapixels, overlayCount);
    Viewport view;
    view.SetOriginalSize(scene.image.size());
    view.SetWindowSize(kWindow);
    const double fit = std::min(double(kWindow.width) / scene.image.cols, double(kWindow.height) / scene.image.rows);
    const double scale = state.range(1) == 0 ? fit : state.range(1) / 10.0;
    view.SetScale(scale);
    // The middle of the image, where most overlays are.
    const cv::Size virtualSize = view.GetVirtualSize();
    view.SetScrollPosition(cv::Point(std::max(0, (virtualSize.width - kWindow.width) / 2),
                                     std::max(0, (virtualSize.height - kWindow.height) / 2)));
    std::vector<const cvROI*> records;
    for (const cvROI& r : scene.overlays)
        records.push_back(&r);
    std::string label = "PASS";
    for (auto _ : state) {
        cv::Mat buffer = view.ExtractVisibleRegion(scene.image);
        FrameLayers::DrawOverlays(buffer, records, view, scale, scene.image.size(), cv_Color_Defines::yellow);
        for (const cvText& t : scene.texts)
            FrameLayers::DrawText(buffer, t, *scene.font, view, scale);
        int baseline = 0;
        FrameLayers::DrawBadge(buffer, 0, label, scene.font.get(), 30, baseline);
        benchmark::DoNotOptimize(buffer.data);
    }
    state.SetLabel(std::to_string(overlayCount) + " overlays, " + std::to_string(megapixels) + " MP at " +
                   (state.range(1) == 0 ? "fit" : std::to_string(scale)));
}

}  // namespace

// Arguments: megapixels, zoom x 10 (0 = fit), overlay count.
BENCHMARK(ComposeFrame)
    ->ArgsProduct({{1, 24, 400}, {0, 10, 80}, {100}})
    ->ArgsProduct({{24}, {0, 10}, {10000}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

BENCHMARK_MAIN();
