#include "Caliper.h"

#include <algorithm>
#include <cmath>

namespace EA::Caliper {

namespace {

// Grey value at a whole pixel: the mean of B, G and R for colour pixels.
inline double pixelValue(const uchar* row, int x, int channels) {
    const uchar* px = row + static_cast<size_t>(x) * channels;
    return channels >= 3 ? (px[0] + px[1] + px[2]) / 3.0 : px[0];
}

// Bilinear grey value at (x, y); the caller has checked that (x, y) lies within the
// pixel centres of the image.
double bilinear(const cv::Mat& img, double x, double y) {
    const int channels = img.channels();
    const int x0 = std::min(static_cast<int>(x), img.cols - 1), y0 = std::min(static_cast<int>(y), img.rows - 1);
    const int x1 = std::min(x0 + 1, img.cols - 1), y1 = std::min(y0 + 1, img.rows - 1);
    const double fx = x - x0, fy = y - y0;
    const uchar* r0 = img.ptr(y0);
    const uchar* r1 = img.ptr(y1);
    const double top = pixelValue(r0, x0, channels) * (1 - fx) + pixelValue(r0, x1, channels) * fx;
    const double bottom = pixelValue(r1, x0, channels) * (1 - fx) + pixelValue(r1, x1, channels) * fx;
    return top * (1 - fy) + bottom * fy;
}

bool inside(const cv::Mat& img, double x, double y) {
    return x >= 0.0 && y >= 0.0 && x <= img.cols - 1 && y <= img.rows - 1;
}

struct Profile {
    std::vector<double> values;  // averaged across the caliper
    int first = 0;               // index of values[0] along the search, in samples
};

// One of the parallel lines a caliper averages: its start and unit direction.
struct Track {
    double x, y, ux, uy;
};

// The caliper's lines, one pixel apart across the search. Around a pivot they are
// rays fanned one pixel apart at the caliper's middle, so that all of them cross a
// circle about the pivot at the same distance along the search.
std::vector<Track> tracks(cv::Point2f start, cv::Point2f end, int width, const cv::Point2f* pivot) {
    const double length = std::hypot(end.x - start.x, end.y - start.y);
    const double ux = (end.x - start.x) / length, uy = (end.y - start.y) / length;
    const double half = (width - 1) / 2.0;
    std::vector<Track> out;
    const double mid = pivot ? std::hypot((start.x + end.x) / 2 - pivot->x, (start.y + end.y) / 2 - pivot->y) : 0.0;
    for (int j = 0; j < width; ++j) {
        const double across = j - half;
        if (!pivot || mid < 1.0) {
            out.push_back({start.x - across * uy, start.y + across * ux, ux, uy});
            continue;
        }
        const double a = across / mid, c = std::cos(a), s = std::sin(a);
        const double dx = start.x - pivot->x, dy = start.y - pivot->y;
        out.push_back({pivot->x + dx * c - dy * s, pivot->y + dx * s + dy * c, ux * c - uy * s, ux * s + uy * c});
    }
    return out;
}

// Samples at one-pixel steps along the search, averaging the caliper's lines. A
// sample counts only when all its lines lie inside the image; the longest run of
// such samples is kept.
Profile sampleProfile(const cv::Mat& img, cv::Point2f start, cv::Point2f end, int width, const cv::Point2f* pivot) {
    const int n = static_cast<int>(std::floor(std::hypot(end.x - start.x, end.y - start.y))) + 1;
    const std::vector<Track> lines = tracks(start, end, width, pivot);
    Profile best, run;
    for (int i = 0; i <= n; ++i) {
        bool ok = i < n;
        double sum = 0.0;
        for (size_t j = 0; ok && j < lines.size(); ++j) {
            const double x = lines[j].x + i * lines[j].ux, y = lines[j].y + i * lines[j].uy;
            ok = inside(img, x, y);
            if (ok) sum += bilinear(img, x, y);
        }
        if (ok) {
            if (run.values.empty()) run.first = i;
            run.values.push_back(sum / width);
            continue;
        }
        if (run.values.size() > best.values.size()) best = run;
        run.values.clear();
    }
    return best;
}

// Step response per sample, divided by half the kernel size so it reads as the
// contrast of the step in grey levels. For an even kernel the step lies between
// samples i and i + 1; the location of response i is i + offset.
std::vector<double> stepResponses(const std::vector<double>& p, int k) {
    const int h = k / 2, n = static_cast<int>(p.size());
    const int lead = k % 2 == 0 ? h - 1 : h;  // samples before i inside the kernel
    std::vector<double> r(p.size(), 0.0);
    for (int i = lead; i + (k - 1 - lead) < n; ++i) {
        double s = 0.0;
        for (int m = 0; m < h; ++m) s += p[i + (k - 1 - lead) - m] - p[i - lead + m];
        r[i] = s / h;
    }
    return r;
}

double responseOffset(int k) { return k % 2 == 0 ? 0.5 : 0.0; }

bool wanted(double r, int polarity, double threshold) {
    switch (polarity) {
        case 0: return std::abs(r) >= threshold;
        case 1: return r >= threshold;
        case 2: return -r >= threshold;
        default: return false;
    }
}

// Local maxima of the signed response in its own direction; on plateaus the first.
std::vector<int> peaks(const std::vector<double>& r, int polarity, double threshold) {
    std::vector<int> out;
    const int n = static_cast<int>(r.size());
    for (int i = 0; i < n; ++i) {
        if (!wanted(r[i], polarity, threshold)) continue;
        const double s = r[i] > 0 ? 1.0 : -1.0;
        const double here = s * r[i];
        const bool leftOk = i == 0 || s * r[i - 1] < here;
        const bool rightOk = i == n - 1 || s * r[i + 1] <= here;
        if (leftOk && rightOk) out.push_back(i);
    }
    return out;
}

// Centroid of the response around peak i, over the run of same-signed responses
// within k + 2 samples: the first moment of a step's derivative is its position,
// whatever the sampling phase (a parabola through the peak is off by up to a tenth
// of a pixel on sharp edges).
double centroid(const std::vector<double>& r, int i, int k) {
    const double s = r[i] > 0 ? 1.0 : -1.0;
    const int n = static_cast<int>(r.size()), reach = k + 2;
    int lo = i, hi = i;
    while (lo > 0 && i - lo < reach && s * r[lo - 1] > 0) --lo;
    while (hi < n - 1 && hi - i < reach && s * r[hi + 1] > 0) ++hi;
    double w = 0.0, wx = 0.0;
    for (int j = lo; j <= hi; ++j) {
        w += s * r[j];
        wx += s * r[j] * j;
    }
    return wx / w;
}

std::vector<int> selectPeaks(const std::vector<double>& r, const std::vector<int>& candidates, EdgeSelect select,
                             int k) {
    if (candidates.empty()) return {};
    if (select == EdgeSelect::First) return {candidates.front()};
    if (select == EdgeSelect::Strongest) {
        return {*std::max_element(candidates.begin(), candidates.end(),
                                  [&](int a, int b) { return std::abs(r[a]) < std::abs(r[b]); })};
    }
    // All: a weaker peak closer than the kernel size to a kept one is the same edge.
    std::vector<int> kept;
    for (int c : candidates) {
        if (!kept.empty() && c - kept.back() < k) {
            if (std::abs(r[c]) > std::abs(r[kept.back()])) kept.back() = c;
            continue;
        }
        kept.push_back(c);
    }
    return kept;
}

}  // namespace

std::string imageProblem(const cv::Mat& img) {
    if (img.empty()) return "empty image";
    if (img.depth() != CV_8U || (img.channels() != 1 && img.channels() != 3 && img.channels() != 4)) {
        return "image must be 8-bit with 1, 3 or 4 channels";
    }
    return {};
}

bool allFinite(std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

CaliperParams limited(const CaliperParams& params) {
    CaliperParams p = params;
    p.kernelSize = std::clamp(p.kernelSize, 2, 15);
    p.width = std::max(p.width, 1);
    return p;
}

std::string paramsProblem(const CaliperParams& params) {
    if (!(params.threshold >= 0.0) || !std::isfinite(params.threshold)) return "threshold must be finite and >= 0";
    if (params.polarity < 0 || params.polarity > 2) return "polarity must be 0 (either), 1 (rising) or 2 (falling)";
    return {};
}

bool findEdges(const cv::Mat& img, cv::Point2f start, cv::Point2f end, const CaliperParams& params,
               std::vector<GaugeEdge>& edges, const cv::Point2f* pivot) {
    edges.clear();
    const CaliperParams p = limited(params);
    const Profile profile = sampleProfile(img, start, end, p.width, pivot);
    if (static_cast<int>(profile.values.size()) <= p.kernelSize) return false;
    const std::vector<double> r = stepResponses(profile.values, p.kernelSize);
    const double length = std::hypot(end.x - start.x, end.y - start.y);
    const double ux = (end.x - start.x) / length, uy = (end.y - start.y) / length;
    for (int i : selectPeaks(r, peaks(r, p.polarity, p.threshold), p.select, p.kernelSize)) {
        GaugeEdge e;
        e.position = profile.first + centroid(r, i, p.kernelSize) + responseOffset(p.kernelSize);
        e.point = cv::Point2f(static_cast<float>(start.x + e.position * ux), static_cast<float>(start.y + e.position * uy));
        e.polarity = r[i] > 0 ? 1 : 2;
        e.strength = std::abs(r[i]);
        edges.push_back(e);
    }
    return true;
}

}  // namespace EA::Caliper
