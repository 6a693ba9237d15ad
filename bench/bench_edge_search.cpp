// Accuracy and cost of the sub-pixel caliper searches on rendered step edges.
//
// Each scene is a straight dark-to-bright edge, area-sampled (16 x 16 per pixel
// near the edge), blurred, with Gaussian noise, quantised to 8 bits, at a known
// sub-pixel position along its normal. The caliper runs along that normal through
// the image centre; its error is the signed distance of the reported point from
// the true edge line. Side by side, in the same run:
//   line  EA::findEdgePoint_subPixel (kernel 5, 8-connected)
//   arc   EA::findArcEdgePoint_subPixel (kernel 5, arc points on the exact normal)
//   gauss baseline: bilinear profile on the exact normal, Gaussian-derivative
//         filter (sigma 1), strongest response refined by a parabola
// The report gives the bias curve over sub-pixel offsets, the RMS error per
// condition, then Google Benchmark timings per caliper.
#include <benchmark/benchmark.h>

#include <opencv2/imgproc.hpp>

#include <cmath>
#include <cstdio>
#include <vector>

#include "tivra/analysis/EdgeSearch.h"

namespace {

constexpr int kSize = 48;
constexpr int kHalfLength = 18;  // caliper reaches this far either side of the centre
constexpr int kKernel = 5;
constexpr int kThreshold = 100;
constexpr double kDark = 60, kBright = 180;

struct Scene {
    cv::Mat img;
    cv::Point2d centre{kSize / 2.0, kSize / 2.0};
    cv::Point2d normal;
    double offset = 0;  // edge line: (p - centre) . normal = offset
};

double coverage(double x, double y, const Scene& s) {
    auto side = [&](double px, double py) {
        return (px - s.centre.x) * s.normal.x + (py - s.centre.y) * s.normal.y - s.offset;
    };
    const double d = side(x, y);
    if (d > 0.75) return 1.0;
    if (d < -0.75) return 0.0;
    int bright = 0;
    for (int j = 0; j < 16; ++j)
        for (int i = 0; i < 16; ++i) bright += side(x - 0.5 + (i + 0.5) / 16, y - 0.5 + (j + 0.5) / 16) > 0;
    return bright / 256.0;
}

Scene renderEdge(double angleDeg, double offset, double blur, double noise, cv::RNG& rng) {
    Scene s;
    s.normal = cv::Point2d(std::cos(angleDeg * CV_PI / 180), std::sin(angleDeg * CV_PI / 180));
    s.offset = offset;
    cv::Mat f(kSize, kSize, CV_32FC1);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) f.at<float>(y, x) = float(kDark + (kBright - kDark) * coverage(x, y, s));
    if (blur > 0) cv::GaussianBlur(f, f, cv::Size(0, 0), blur, blur, cv::BORDER_REPLICATE);
    if (noise > 0) {
        cv::Mat n(f.size(), CV_32FC1);
        rng.fill(n, cv::RNG::NORMAL, 0.0, noise);
        f += n;
    }
    f.convertTo(s.img, CV_8UC1);
    return s;
}

double edgeError(const Scene& s, const cv::Point2f& p) {
    if (p.x < 0) return NAN;
    return (p.x - s.centre.x) * s.normal.x + (p.y - s.centre.y) * s.normal.y - s.offset;
}

double lineCaliper(const Scene& s) {
    const cv::Point p1(cvRound(s.centre.x - kHalfLength * s.normal.x), cvRound(s.centre.y - kHalfLength * s.normal.y));
    const cv::Point p2(cvRound(s.centre.x + kHalfLength * s.normal.x), cvRound(s.centre.y + kHalfLength * s.normal.y));
    int index;
    return edgeError(s, EA::findEdgePoint_subPixel(s.img, kThreshold, 0, kKernel, p1, p2, 8, index));
}

std::vector<cv::Point2f> normalArc(const Scene& s) {
    std::vector<cv::Point2f> arc;
    for (int t = -kHalfLength; t <= kHalfLength; ++t)
        arc.emplace_back(float(s.centre.x + t * s.normal.x), float(s.centre.y + t * s.normal.y));
    return arc;
}

double arcCaliper(const Scene& s, const std::vector<cv::Point2f>& arc) {
    int index;
    return edgeError(s, EA::findArcEdgePoint_subPixel(s.img, kThreshold, 0, kKernel, arc, index));
}

// Baseline: bilinear profile, derivative-of-Gaussian filter, parabola at the peak.
struct GaussianBaseline {
    std::vector<float> kernel;
    GaussianBaseline() {
        const double sigma = 1.0;
        for (int i = -4; i <= 4; ++i)
            kernel.push_back(float(-i / (sigma * sigma) * std::exp(-i * i / (2 * sigma * sigma))));
    }
    double operator()(const Scene& s, const std::vector<cv::Point2f>& arc) const {
        cv::Mat mapX(1, int(arc.size()), CV_32FC1), mapY(1, int(arc.size()), CV_32FC1);
        for (size_t i = 0; i < arc.size(); ++i) {
            mapX.at<float>(0, int(i)) = arc[i].x;
            mapY.at<float>(0, int(i)) = arc[i].y;
        }
        cv::Mat profile;
        cv::remap(s.img, profile, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_REPLICATE);
        profile.convertTo(profile, CV_32FC1);
        const int n = profile.cols, h = int(kernel.size()) / 2;
        std::vector<double> r(n, 0.0);
        int best = -1;
        for (int i = h; i < n - h; ++i) {
            // Correlation with -g'(t) so that a rising profile responds positively.
            double acc = 0;
            for (int m = -h; m <= h; ++m) acc -= kernel[m + h] * profile.at<float>(0, i + m);
            r[i] = std::fabs(acc);
            if (best < 0 || r[i] > r[best]) best = i;
        }
        double delta = 0;
        const double d = r[best - 1] - 2 * r[best] + r[best + 1];
        if (best > h && best < n - h - 1 && d != 0) delta = 0.5 * (r[best - 1] - r[best + 1]) / d;
        return (best - kHalfLength + delta) - s.offset;
    }
};

struct Errors {
    double sum = 0, sumSq = 0;
    int count = 0, misses = 0;
    void add(double e) {
        if (std::isnan(e)) {
            ++misses;
            return;
        }
        sum += e;
        sumSq += e * e;
        ++count;
    }
    double mean() const { return count ? sum / count : NAN; }
    double rms() const { return count ? std::sqrt(sumSq / count) : NAN; }
};

void printBiasCurves() {
    std::printf("Bias (mean signed error, px) over the sub-pixel edge offset; noise 0, edge angle 0\n");
    std::printf("%7s", "offset");
    for (double blur : {0.5, 1.0, 2.0}) std::printf(" | blur %.1f: %6s %6s %6s", blur, "line", "arc", "gauss");
    std::printf("\n");
    const GaussianBaseline gauss;
    cv::RNG rng(1);
    for (int j = 0; j <= 10; ++j) {
        const double offset = -0.5 + 0.1 * j;
        std::printf("%7.2f", offset);
        for (double blur : {0.5, 1.0, 2.0}) {
            const Scene s = renderEdge(0, offset, blur, 0, rng);
            const auto arc = normalArc(s);
            std::printf(" |          %+6.3f %+6.3f %+6.3f", lineCaliper(s), arcCaliper(s, arc), gauss(s, arc));
        }
        std::printf("\n");
    }
}

void printRmsTable() {
    std::printf("\nRMS error (px) over 20 offsets x 5 noise seeds per condition; misses in brackets\n");
    std::printf("%5s %5s %5s | %15s %15s %15s\n", "blur", "noise", "angle", "line", "arc", "gauss");
    const GaussianBaseline gauss;
    Errors total[3];
    for (double blur : {0.5, 1.0, 2.0})
        for (double noise : {0.0, 1.0, 5.0})
            for (double angle : {0.0, 15.0, 45.0}) {
                Errors e[3];
                cv::RNG rng(12345);
                for (int seed = 0; seed < 5; ++seed)
                    for (int j = 0; j < 20; ++j) {
                        const Scene s = renderEdge(angle, -0.5 + 0.05 * j, blur, noise, rng);
                        const auto arc = normalArc(s);
                        const double v[3] = {lineCaliper(s), arcCaliper(s, arc), gauss(s, arc)};
                        for (int m = 0; m < 3; ++m) {
                            e[m].add(v[m]);
                            total[m].add(v[m]);
                        }
                    }
                std::printf("%5.1f %5.0f %5.0f |", blur, noise, angle);
                for (const Errors& x : e) std::printf("   %7.4f [%3d]", x.rms(), x.misses);
                std::printf("\n");
            }
    std::printf("%17s |", "all conditions");
    for (const Errors& x : total) std::printf("   %7.4f [%3d]", x.rms(), x.misses);
    std::printf("\n\n");
}

Scene& timingScene() {
    static Scene s = [] {
        cv::RNG rng(3);
        return renderEdge(15, 0.3, 1.0, 1.0, rng);
    }();
    return s;
}

void LineCaliper(benchmark::State& state) {
    const Scene& s = timingScene();
    for (auto _ : state) benchmark::DoNotOptimize(lineCaliper(s));
}

void ArcCaliper(benchmark::State& state) {
    const Scene& s = timingScene();
    const auto arc = normalArc(s);
    for (auto _ : state) benchmark::DoNotOptimize(arcCaliper(s, arc));
}

void GaussianDerivativeBaseline(benchmark::State& state) {
    const Scene& s = timingScene();
    const auto arc = normalArc(s);
    const GaussianBaseline gauss;
    for (auto _ : state) benchmark::DoNotOptimize(gauss(s, arc));
}

BENCHMARK(LineCaliper)->Unit(benchmark::kMicrosecond);
BENCHMARK(ArcCaliper)->Unit(benchmark::kMicrosecond);
BENCHMARK(GaussianDerivativeBaseline)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    printBiasCurves();
    printRmsTable();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
