// Accuracy and speed of the gauges on rendered images, side by side with OpenCV
// (Canny + HoughCircles, Canny + fitEllipse, Canny + fitLine) and scikit-image (canny +
// CircleModel, canny + ransac(CircleModel)) on the same images.
//
// Circle gauge: anti-aliased discs (16 x 16 sub-samples per boundary pixel), radius 20, 100,
// 400 px with a random sub-pixel centre and radius, bright disc on a dark ground at contrast
// 50 or 200 grey levels, Gaussian noise sigma 0, 2.5 or 10; the annulus ROI is centred 1.5 px
// off the true centre and reaches 10 px either side of the rim, full or an arc of 180 or 90
// degrees. Gauge: 64 calipers 5 px wide, outward, falling polarity, strongest edge.
// The baselines get the same annulus sector as a mask on their edge pixels (HoughCircles
// cannot take one and runs on full circles only).
//
// Line gauge: straight anti-aliased edges through the middle of a 600 x 600 image at
// 24 angles over 0 to 180 degrees, a 500 x 40 px rotated rectangle along the edge, 20 calipers.
//
// Speed: a 64-caliper circle gauge on a 6000 x 4000 (24 MP) image, against Canny +
// fitEllipse on the ROI's bounding box of the same image.
//
// Usage: bench_gauges [--trials N] [--no-skimage] [--skimage-script path]

#include "tivra/analysis/Gauges.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Area-sampled rendering of the region where signedDistance < 0 (bright): pixels farther
// than 1 px from the boundary are solid, the others take their share of 16 x 16 sub-samples.
cv::Mat render(int w, int h, double dark, double bright, const std::function<double(double, double)>& signedDistance) {
    constexpr int kSub = 16;
    cv::Mat f(h, w, CV_64F);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double d = signedDistance(x, y);
            double cover = d < -1.0 ? 1.0 : 0.0;
            if (std::abs(d) <= 1.0) {
                int hits = 0;
                for (int j = 0; j < kSub; ++j)
                    for (int i = 0; i < kSub; ++i)
                        hits += signedDistance(x - 0.5 + (i + 0.5) / kSub, y - 0.5 + (j + 0.5) / kSub) < 0 ? 1 : 0;
                cover = hits / double(kSub * kSub);
            }
            f.at<double>(y, x) = dark + (bright - dark) * cover;
        }
    return f;
}

cv::Mat withNoise(const cv::Mat& f, double sigma, std::mt19937& rng) {
    cv::Mat noisy = f.clone();
    if (sigma > 0) {
        std::normal_distribution<double> n(0.0, sigma);
        for (auto it = noisy.begin<double>(); it != noisy.end<double>(); ++it) *it += n(rng);
    }
    cv::Mat out;
    noisy.convertTo(out, CV_8U);  // rounds and saturates
    return out;
}

struct Stats {
    std::vector<double> e;
    int failed = 0;
    void add(bool ok, double err) { ok ? e.push_back(err) : void(++failed); }
    double bias() const {
        double s = 0;
        for (double v : e) s += v;
        return e.empty() ? NAN : s / e.size();
    }
    double rms() const {
        double s = 0;
        for (double v : e) s += v * v;
        return e.empty() ? NAN : std::sqrt(s / e.size());
    }
};

struct CircleCase {
    double radius, contrast, sigma, arc;
};

struct CircleImage {
    CircleCase c;
    double cx, cy, r;           // truth, in crop coordinates
    cv::Mat crop;               // the annulus's bounding box plus a margin
    cv::Point2f roiCentre;      // in crop coordinates
    double inner, outer, start, end;
};

CircleImage makeCircleImage(const CircleCase& c, std::mt19937& rng) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    CircleImage im;
    im.c = c;
    const int size = int(2 * c.radius + 60);
    im.cx = size / 2.0 + u(rng);
    im.cy = size / 2.0 + u(rng);
    im.r = c.radius + u(rng);
    const double dark = 128 - c.contrast / 2, bright = 128 + c.contrast / 2;
    const cv::Mat f = render(size, size, dark, bright,
                             [&](double x, double y) { return std::hypot(x - im.cx, y - im.cy) - im.r; });
    im.crop = withNoise(f, c.sigma, rng);
    const double off = 1.5, dir = u(rng) * 2 * kPi;
    im.roiCentre = cv::Point2f(float(im.cx + off * std::cos(dir)), float(im.cy + off * std::sin(dir)));
    im.inner = c.radius - 10;
    im.outer = c.radius + 10;
    im.start = u(rng) * 360;
    im.end = im.start + c.arc;
    return im;
}

struct CircleFit {
    bool ok = false;
    double cx = 0, cy = 0, r = 0;
};

bool inSector(const CircleImage& im, double x, double y) {
    const double d = std::hypot(x - im.roiCentre.x, y - im.roiCentre.y);
    if (d < im.inner || d > im.outer) return false;
    if (im.c.arc >= 360) return true;
    double a = std::atan2(y - im.roiCentre.y, x - im.roiCentre.x) * 180 / kPi - im.start;
    a = std::fmod(std::fmod(a, 360.0) + 360.0, 360.0);
    return a <= im.c.arc;
}

CircleFit gaugeFit(const CircleImage& im) {
    EA::CircleGaugeParams p;
    p.calipers = 64;
    p.caliper.polarity = 2;
    p.caliper.select = EA::EdgeSelect::Strongest;
    p.caliper.threshold = im.c.contrast / 4;
    const EA::CircleGaugeResult r = EA::measureCircle(im.crop, im.roiCentre, im.inner, im.outer, im.start, im.end, p);
    return {r.ok, r.centre.x, r.centre.y, r.radius};
}

std::vector<cv::Point> cannyInSector(const CircleImage& im) {
    cv::Mat edges;
    cv::Canny(im.crop, edges, im.c.contrast * 0.5, im.c.contrast);
    std::vector<cv::Point> pts;
    cv::findNonZero(edges, pts);
    pts.erase(std::remove_if(pts.begin(), pts.end(), [&](const cv::Point& p) { return !inSector(im, p.x, p.y); }),
              pts.end());
    return pts;
}

CircleFit ellipseFit(const CircleImage& im) {
    const std::vector<cv::Point> pts = cannyInSector(im);
    if (pts.size() < 5) return {};
    const cv::RotatedRect e = cv::fitEllipse(pts);
    return {true, e.center.x, e.center.y, (e.size.width + e.size.height) / 4.0};
}

CircleFit houghFit(const CircleImage& im) {
    if (im.c.arc < 360) return {};
    std::vector<cv::Vec3f> circles;
    cv::HoughCircles(im.crop, circles, cv::HOUGH_GRADIENT, 1.0, im.crop.cols, im.c.contrast, 20, int(im.inner),
                     int(im.outer));
    if (circles.empty()) return {};
    return {true, circles[0][0], circles[0][1], circles[0][2]};
}

// scikit-image's fits through bench/helpers/gauges_skimage.py: for each image its sector
// mask, the script answers "cx cy r ok" for CircleModel and for ransac.
bool runSkimage(const std::vector<CircleImage>& ims, const std::string& script, std::vector<CircleFit>& model,
                std::vector<CircleFit>& ransacFits) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::string in = (dir / ("bench_gauges_" + std::to_string(::getpid()) + ".bin")).string();
    const std::string out = (dir / ("bench_gauges_" + std::to_string(::getpid()) + ".txt")).string();
    {
        std::ofstream f(in, std::ios::binary);
        const int32_t count = int32_t(ims.size());
        f.write(reinterpret_cast<const char*>(&count), 4);
        for (const CircleImage& im : ims) {
            cv::Mat mask(im.crop.size(), CV_8U);
            for (int y = 0; y < mask.rows; ++y)
                for (int x = 0; x < mask.cols; ++x) mask.at<uchar>(y, x) = inSector(im, x, y) ? 1 : 0;
            const int32_t head[2] = {im.crop.cols, im.crop.rows};
            const float sigma = 1.0f;
            f.write(reinterpret_cast<const char*>(head), 8);
            f.write(reinterpret_cast<const char*>(&sigma), 4);
            f.write(reinterpret_cast<const char*>(im.crop.data), std::streamsize(im.crop.total()));
            f.write(reinterpret_cast<const char*>(mask.data), std::streamsize(mask.total()));
        }
    }
    const std::string command =
        "OPENBLAS_NUM_THREADS=1 OMP_NUM_THREADS=1 /usr/bin/python3 '" + script + "' '" + in + "' '" + out + "'";
    const int status = std::system(command.c_str());
    std::remove(in.c_str());
    std::ifstream f(out);
    std::string line;
    while (status == 0 && std::getline(f, line)) {
        std::istringstream row(line);
        CircleFit a, b;
        int okA = 0, okB = 0;
        row >> a.cx >> a.cy >> a.r >> okA >> b.cx >> b.cy >> b.r >> okB;
        a.ok = okA != 0;
        b.ok = okB != 0;
        model.push_back(a);
        ransacFits.push_back(b);
    }
    std::remove(out.c_str());
    return status == 0 && model.size() == ims.size();
}

void circleAccuracy(int trials, bool skimage, const std::string& script) {
    std::mt19937 rng(7);
    std::vector<CircleImage> ims;
    for (double radius : {20.0, 100.0, 400.0})
        for (double arc : {360.0, 180.0, 90.0})
            for (double contrast : {50.0, 200.0})
                for (double sigma : {0.0, 2.5, 10.0})
                    for (int t = 0; t < trials; ++t) ims.push_back(makeCircleImage({radius, contrast, sigma, arc}, rng));

    const char* names[] = {"gauge", "Canny+Hough", "Canny+fitEllipse", "skimage CircleModel", "skimage ransac"};
    std::vector<std::vector<CircleFit>> fits(5);
    for (const CircleImage& im : ims) {
        fits[0].push_back(gaugeFit(im));
        fits[1].push_back(houghFit(im));
        fits[2].push_back(ellipseFit(im));
    }
    if (!(skimage && runSkimage(ims, script, fits[3], fits[4]))) {
        if (skimage) std::printf("(scikit-image baselines unavailable)\n");
        fits[3].assign(ims.size(), {});
        fits[4].assign(ims.size(), {});
    }

    std::printf("\nCircle gauge: radius error (bias / RMS, px), centre RMS (px) and failures per configuration,\n"
                "%d images each; C/N = contrast / noise sigma\n\n", trials);
    std::printf("%6s %5s %5s %5s | %-27s", "radius", "arc", "contr", "sigma", "gauge r bias/RMS, c RMS, fail");
    for (int m = 1; m < 5; ++m) std::printf(" | %-19s", names[m]);
    std::printf("\n");
    for (size_t i = 0; i < ims.size(); i += trials) {
        const CircleCase& c = ims[i].c;
        std::printf("%6.0f %5.0f %5.0f %5.1f", c.radius, c.arc, c.contrast, c.sigma);
        for (int m = 0; m < 5; ++m) {
            Stats radius, centre;
            for (size_t k = i; k < i + trials; ++k) {
                const CircleFit& f = fits[m][k];
                const bool ok = f.ok && std::hypot(f.cx - ims[k].cx, f.cy - ims[k].cy) < 5;
                radius.add(ok, f.r - ims[k].r);
                centre.add(ok, std::hypot(f.cx - ims[k].cx, f.cy - ims[k].cy));
            }
            if (m == 0)
                std::printf(" | %+7.4f %6.4f %6.4f %3d", radius.bias(), radius.rms(), centre.rms(), radius.failed);
            else if (radius.e.empty())
                std::printf(" | %-19s", "   -");
            else
                std::printf(" | r %6.3f c %6.3f %2d", radius.rms(), centre.rms(), radius.failed);
        }
        std::printf("\n");
    }
    // The target: radius RMS on full circles at contrast / noise >= 20.
    Stats target;
    for (size_t k = 0; k < ims.size(); ++k)
        if (ims[k].c.arc >= 360 && (ims[k].c.sigma == 0 || ims[k].c.contrast / ims[k].c.sigma >= 20))
            target.add(fits[0][k].ok, fits[0][k].r - ims[k].r);
    std::printf("\nGauge radius RMS on full circles at C/N >= 20: %.4f px over %zu images, %d failed "
                "(target <= 0.05 px)\n", target.rms(), target.e.size(), target.failed);
}

void lineAccuracy(int trials) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::printf("\nLine gauge: angle error (degrees) over a 500 px edge, 24 angles x %d images per row\n\n", trials);
    std::printf("%5s %5s | %-24s | %-24s\n", "contr", "sigma", "gauge bias / RMS / fail", "Canny+fitLine bias / RMS");
    Stats target;
    for (double contrast : {50.0, 200.0})
        for (double sigma : {0.0, 2.5, 10.0}) {
            Stats gauge, canny;
            for (int a = 0; a < 24; ++a)
                for (int t = 0; t < trials; ++t) {
                    const double angle = a * 7.5 + u(rng), cx = 300 + u(rng), cy = 300 + u(rng);
                    const double rad = angle * kPi / 180, nx = -std::sin(rad), ny = std::cos(rad);
                    const cv::Mat f = render(600, 600, 128 - contrast / 2, 128 + contrast / 2,
                                             [&](double x, double y) { return -((x - cx) * nx + (y - cy) * ny); });
                    const cv::Mat img = withNoise(f, sigma, rng);
                    const cv::RotatedRect box({300, 300}, {500, 40}, float(angle));
                    EA::LineGaugeParams p;
                    p.calipers = 20;
                    p.caliper.threshold = contrast / 4;
                    p.caliper.select = EA::EdgeSelect::Strongest;
                    const EA::LineGaugeResult r = EA::measureLine(img, box, p);
                    const double err = std::remainder(r.angle - angle, 180.0);
                    gauge.add(r.ok, err);
                    if (sigma == 0 || contrast / sigma >= 20) target.add(r.ok, err);

                    cv::Mat edges, mask = cv::Mat::zeros(img.size(), CV_8U);
                    cv::Point2f corners[4];
                    box.points(corners);
                    std::vector<cv::Point> poly(corners, corners + 4);
                    cv::fillConvexPoly(mask, poly, 255);
                    cv::Canny(img, edges, contrast * 0.5, contrast);
                    edges &= mask;
                    std::vector<cv::Point> pts;
                    cv::findNonZero(edges, pts);
                    bool ok = pts.size() >= 2;
                    double e = 0;
                    if (ok) {
                        cv::Vec4f l;
                        cv::fitLine(pts, l, cv::DIST_L2, 0, 0.01, 0.01);
                        e = std::remainder(std::atan2(l[1], l[0]) * 180 / kPi - angle, 180.0);
                    }
                    canny.add(ok, e);
                }
            std::printf("%5.0f %5.1f | %+8.4f %7.4f %5d   | %+8.4f %7.4f\n", contrast, sigma, gauge.bias(), gauge.rms(),
                        gauge.failed, canny.bias(), canny.rms());
        }
    std::printf("\nGauge angle RMS at C/N >= 20: %.4f degrees (target <= 0.02)\n", target.rms());
}

template <class F>
double medianMicros(F&& f, int reps) {
    std::vector<double> t;
    for (int i = 0; i < reps; ++i) {
        const auto a = std::chrono::steady_clock::now();
        f();
        t.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - a).count());
    }
    std::nth_element(t.begin(), t.begin() + reps / 2, t.end());
    return t[reps / 2];
}

void speed() {
    cv::Mat img(4000, 6000, CV_8UC1, cv::Scalar(60));
    cv::circle(img, {3000, 2000}, 200, cv::Scalar(190), cv::FILLED, cv::LINE_AA);
    cv::Mat colour;
    cv::cvtColor(img, colour, cv::COLOR_GRAY2BGR);
    EA::CircleGaugeParams p;
    p.calipers = 64;
    double sink = 0;
    const double gray = medianMicros([&] { sink += EA::measureCircle(img, {3001, 1999}, 185, 215, 0, 360, p).radius; }, 200);
    const double bgr = medianMicros([&] { sink += EA::measureCircle(colour, {3001, 1999}, 185, 215, 0, 360, p).radius; }, 200);
    const cv::Rect box(3000 - 215, 2000 - 215, 431, 431);
    const double baseline = medianMicros([&] {
        cv::Mat edges;
        cv::Canny(img(box), edges, 60, 120);
        std::vector<cv::Point> pts;
        cv::findNonZero(edges, pts);
        sink += cv::fitEllipse(pts).size.width;
    }, 50);
    std::printf("\nSpeed on a 6000 x 4000 image, 64-caliper circle gauge (radius 200, ring 30 px), median:\n"
                "  gauge, gray:                  %8.1f us (target <= 1000 us: %.2fx of it)\n"
                "  gauge, BGR:                   %8.1f us\n"
                "  Canny + fitEllipse, ROI box:  %8.1f us (%.1fx the gauge)\n",
                gray, gray / 1000, bgr, baseline, baseline / gray);
    if (sink == 0) std::printf(" ");
}

}  // namespace

int main(int argc, char** argv) {
    int trials = 4;
    bool skimage = true;
    // __FILE__ may be relative to the build directory of this executable.
    const std::filesystem::path source = std::filesystem::canonical("/proc/self/exe").parent_path() / __FILE__;
    std::string script = (source.parent_path() / "helpers" / "gauges_skimage.py").string();
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--trials") && i + 1 < argc)
            trials = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--no-skimage"))
            skimage = false;
        else if (!std::strcmp(argv[i], "--skimage-script") && i + 1 < argc)
            script = argv[++i];
    }
    cv::setNumThreads(0);
    speed();
    lineAccuracy(std::max(1, trials / 2));
    circleAccuracy(trials, skimage, script);
    return 0;
}
