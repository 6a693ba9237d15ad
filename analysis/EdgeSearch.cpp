#include "tivra/analysis/EdgeSearch.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace EA {

namespace {

const cv::Point2f kNoEdge(-1.0f, -1.0f);

int limitKernel(int k) { return std::clamp(k, 2, 15); }

// The integer line search only carries kernels up to size 9; larger sizes fall
// back to the size-3 kernel.
int integerLineKernel(int k) {
    k = limitKernel(k);
    return k > 9 ? 3 : k;
}

struct LineSamples {
    std::vector<double> values;
    std::vector<cv::Point> positions;
};

// Walks p1 -> p2 (clipped to the image) and takes one value per visited pixel:
// the truncated mean of B, G and R for a 3-byte pixel, else the first byte.
LineSamples sampleLine(const cv::Mat& img, cv::Point p1, cv::Point p2, int connectivity) {
    cv::LineIterator it(img, p1, p2, connectivity, false);
    LineSamples s;
    s.values.resize(static_cast<size_t>(std::max(it.count, 0)));
    s.positions.resize(s.values.size());
    const size_t pixelBytes = img.elemSize();
    for (size_t i = 0; i < s.values.size(); ++i, ++it) {
        const uchar* px = *it;
        s.values[i] = pixelBytes == 3 ? (px[0] + px[1] + px[2]) / 3 : px[0];
        s.positions[i] = it.pos();
    }
    return s;
}

enum class Rounding { TiesToEven, TiesAwayFromZero };

double arcPixelValue(const cv::Mat& img, double x, double y) {
    if (!(x >= 0.0 && y >= 0.0 && x < img.cols && y < img.rows)) return 0.0;
    const size_t pixelBytes = img.elemSize();
    const uchar* px = img.ptr(static_cast<int>(y)) + static_cast<size_t>(x) * pixelBytes;
    if (pixelBytes == 3 || pixelBytes == 4) return (px[0] + px[1] + px[2]) / 3.0;
    if (pixelBytes == 1) return px[0];
    return 0.0;
}

// One value per arc point at its nearest pixel; 0 outside the image.
std::vector<double> sampleArc(const cv::Mat& img, const std::vector<cv::Point2f>& arc, Rounding rounding) {
    std::vector<double> values(arc.size());
    for (size_t i = 0; i < arc.size(); ++i) {
        const double x = rounding == Rounding::TiesToEven ? std::nearbyint(arc[i].x) : std::round(arc[i].x);
        const double y = rounding == Rounding::TiesToEven ? std::nearbyint(arc[i].y) : std::round(arc[i].y);
        values[i] = arcPixelValue(img, x, y);
    }
    return values;
}

// Dot product of the size-k step kernel (-1 ... [0] ... +1) with p[start .. start + k - 1].
double stepResponse(const std::vector<double>& p, int start, int k) {
    const int h = k / 2;
    double r = 0.0;
    for (int m = 0; m < h; ++m) r -= p[start + m];
    for (int m = k - h; m < k; ++m) r += p[start + m];
    return r;
}

// A response per sample (0 where the kernel does not fit) and the range [lo, hi)
// of samples that have one.
struct Responses {
    std::vector<double> r;
    int lo = 0;
    int hi = 0;
};

// The kernel ends at sample i: responses for k - 1 <= i < hi.
Responses trailingResponses(const std::vector<double>& p, int k, int hi) {
    Responses R;
    R.r.assign(p.size(), 0.0);
    R.lo = k - 1;
    R.hi = hi;
    for (int i = R.lo; i < R.hi; ++i) R.r[i] = stepResponse(p, i - k + 1, k);
    return R;
}

// The kernel is centred on sample i; for an even size the step lies between
// samples i and i + 1.
Responses centredResponses(const std::vector<double>& p, int k) {
    const int n = static_cast<int>(p.size());
    const int h = k / 2;
    const int shift = (k % 2 == 1) ? h : h - 1;  // first sample the kernel covers is i - shift
    Responses R;
    R.r.assign(p.size(), 0.0);
    R.lo = shift;
    R.hi = n - h;
    for (int i = R.lo; i < R.hi; ++i) R.r[i] = stepResponse(p, i - shift, k);
    return R;
}

bool passesPolarity(double r, int polarity, double t) {
    switch (polarity) {
        case 0: return std::fabs(r) >= t;
        case 1: return r >= t;
        case 2: return -r >= t;
        default: return false;
    }
}

int firstPassing(const Responses& R, int polarity, double t) {
    for (int i = R.lo; i < R.hi; ++i)
        if (passesPolarity(R.r[i], polarity, t)) return i;
    return -1;
}

// Strongest edge of the integer searches: a running bound that drops to the integer
// part of each accepted response, so the last position reaching the integer part of
// the maximum wins.
int strongestByIntegerBound(const Responses& R, double t) {
    double bound = t;
    int best = -1;
    for (int i = R.lo; i < R.hi; ++i) {
        const double a = std::fabs(R.r[i]);
        if (a >= bound) {
            best = i;
            bound = std::trunc(a);
        }
    }
    return best;
}

// Strongest edge of the sub-pixel searches: the first maximum of |r|, if it passes t.
int strongestFirstMaximum(const Responses& R, double t) {
    int best = -1;
    double maximum = 0.0;
    for (int i = R.lo; i < R.hi; ++i) {
        const double a = std::fabs(R.r[i]);
        if (best < 0 || a > maximum) {
            best = i;
            maximum = a;
        }
    }
    return (best >= 0 && maximum >= t) ? best : -1;
}

int selectIntegerEdge(const Responses& R, int polarity, double t) {
    return polarity == 3 ? strongestByIntegerBound(R, t) : firstPassing(R, polarity, t);
}

// The first response past the threshold may lie on the flank of a blurred edge,
// where a parabola has no meaningful vertex. The edge is the strongest response of
// the stretch that stays past the threshold (a dip on the flank, such as repeated
// arc samples cause, does not end it), so the sub-pixel searches move there first.
int peakOfStretch(const Responses& R, int i, double t) {
    const double sign = R.r[i] >= 0.0 ? 1.0 : -1.0;
    int best = i;
    for (int j = i + 1; j < R.hi && sign * R.r[j] >= t; ++j)
        if (sign * R.r[j] > sign * R.r[best]) best = j;
    return best;
}

int selectSubPixelEdge(const Responses& R, int polarity, double t) {
    if (polarity == 3) return strongestFirstMaximum(R, t);
    const int i = firstPassing(R, polarity, t);
    return i < 0 ? -1 : peakOfStretch(R, i, t);
}

// Vertex offset of the parabola through r(i - 1), r(i), r(i + 1); 0 at the ends
// and for a flat triple.
double parabolicOffset(const std::vector<double>& r, int i) {
    if (i <= 0 || i + 1 >= static_cast<int>(r.size())) return 0.0;
    const double d = r[i - 1] - 2.0 * r[i] + r[i + 1];
    if (d == 0.0) return 0.0;
    return ((r[i - 1] - r[i + 1]) * 0.5) / d;
}

// An even kernel's response at i measures the step between samples i and i + 1.
double kernelCentreOffset(int k) { return k % 2 == 0 ? 0.5 : 0.0; }

cv::Point2f lerp(const cv::Point2f& a, const cv::Point2f& b, double t) {
    return {static_cast<float>(a.x + t * (static_cast<double>(b.x) - a.x)),
            static_cast<float>(a.y + t * (static_cast<double>(b.y) - a.y))};
}

// Sub-pixel position along the visited pixels of a line search.
cv::Point2f refineOnLine(const Responses& R, const std::vector<cv::Point>& P, int i, int k) {
    double delta = parabolicOffset(R.r, i);
    if (std::fabs(delta) > 1.0) delta = 0.0;
    delta += kernelCentreOffset(k);
    const int n = static_cast<int>(P.size());
    if (i + 1 < n) {
        if (P[i + 1] == P[i]) return cv::Point2f(P[i]);
        return lerp(P[i], P[i + 1], delta);
    }
    if (i == 0) return cv::Point2f(P[i]);
    return lerp(P[i - 1], P[i], delta + 1.0);
}

// Sub-pixel position between neighbouring points of a sample list (arc points or
// visited pixels).
cv::Point2f refineAlongPoints(const std::vector<double>& r, const std::vector<cv::Point2f>& A, int i, int k) {
    const double delta = std::clamp(parabolicOffset(r, i), -1.0, 1.0) + kernelCentreOffset(k);
    const int n = static_cast<int>(A.size());
    if (delta >= 0.0) return i + 1 < n ? lerp(A[i], A[i + 1], delta) : A[i];
    return i > 0 ? lerp(A[i - 1], A[i], delta + 1.0) : A[i];
}

std::vector<cv::Point2f> toPoint2f(const std::vector<cv::Point>& pts) {
    return std::vector<cv::Point2f>(pts.begin(), pts.end());
}

bool isLocalMaximum(const std::vector<double>& r, int i) {
    const int n = static_cast<int>(r.size());
    const double a = std::fabs(r[i]);
    if (i == 0) return n == 1 || std::fabs(r[1]) < a;
    if (i == n - 1) return std::fabs(r[n - 2]) < a;
    return a >= std::fabs(r[i - 1]) && a >= std::fabs(r[i + 1]);
}

}  // namespace

cv::Point2f findEdgePoint(const cv::Mat& img, int threshold, int polarity, int kernelSize, cv::Point p1,
                          cv::Point p2, int connectivity, int& index) {
    index = -1;
    try {
        const int k = integerLineKernel(kernelSize);
        const LineSamples s = sampleLine(img, p1, p2, connectivity);
        const Responses R = trailingResponses(s.values, k, static_cast<int>(s.values.size()));
        const int i = selectIntegerEdge(R, polarity, threshold);
        if (i < 0) return kNoEdge;
        index = i;
        return cv::Point2f(s.positions[i]);
    } catch (...) {
        index = -1;
        return kNoEdge;
    }
}

cv::Point2f findEdgePoint(const cv::Mat& img, int threshold, int polarity, int kernelSize, cv::Point p1,
                          cv::Point p2, int connectivity, std::vector<double>& profile,
                          std::vector<double>& response, int& index) {
    index = -1;
    try {
        const int k = integerLineKernel(kernelSize);
        LineSamples s = sampleLine(img, p1, p2, connectivity);
        Responses R = centredResponses(s.values, k);
        const int i = selectIntegerEdge(R, polarity, threshold);
        profile = std::move(s.values);
        response = std::move(R.r);
        if (i < 0) return kNoEdge;
        index = i;
        return cv::Point2f(s.positions[i]);
    } catch (...) {
        profile.clear();
        response.clear();
        index = -1;
        return kNoEdge;
    }
}

cv::Point2f findEdgePoint_subPixel(const cv::Mat& img, int threshold, int polarity, int kernelSize, cv::Point p1,
                                   cv::Point p2, int connectivity, int& index) {
    std::vector<double> profile, response;
    return findEdgePoint_subPixel(img, threshold, polarity, kernelSize, p1, p2, connectivity, profile, response,
                                  index);
}

cv::Point2f findEdgePoint_subPixel(const cv::Mat& img, int threshold, int polarity, int kernelSize, cv::Point p1,
                                   cv::Point p2, int connectivity, std::vector<double>& profile,
                                   std::vector<double>& response, int& index) {
    index = -1;
    try {
        const int k = limitKernel(kernelSize);
        LineSamples s = sampleLine(img, p1, p2, connectivity);
        Responses R = centredResponses(s.values, k);
        const int i = selectSubPixelEdge(R, polarity, threshold);
        const cv::Point2f result = i < 0 ? kNoEdge : refineOnLine(R, s.positions, i, k);
        profile = std::move(s.values);
        response = std::move(R.r);
        index = i;
        return result;
    } catch (...) {
        profile.clear();
        response.clear();
        index = -1;
        return kNoEdge;
    }
}

cv::Point2f findArcEdgePoint(const cv::Mat& img, int threshold, int polarity, int kernelSize,
                             const std::vector<cv::Point2f>& arc, int& index) {
    index = -1;
    try {
        const int k = limitKernel(kernelSize);
        const std::vector<double> profile = sampleArc(img, arc, Rounding::TiesToEven);
        const int n = static_cast<int>(profile.size());
        const Responses R = trailingResponses(profile, k, n - k + 1);
        const int i = selectIntegerEdge(R, polarity, threshold);
        if (i < 0) return kNoEdge;
        index = i;
        return arc[i];
    } catch (...) {
        index = -1;
        return kNoEdge;
    }
}

cv::Point2f findArcEdgePoint_subPixel(const cv::Mat& img, int threshold, int polarity, int kernelSize,
                                      const std::vector<cv::Point2f>& arc, int& index) {
    index = -1;
    try {
        const int k = limitKernel(kernelSize);
        const std::vector<double> profile = sampleArc(img, arc, Rounding::TiesAwayFromZero);
        const Responses R = centredResponses(profile, k);
        const int i = selectSubPixelEdge(R, polarity, threshold);
        if (i < 0) return kNoEdge;
        index = i;
        return refineAlongPoints(R.r, arc, i, k);
    } catch (...) {
        index = -1;
        return kNoEdge;
    }
}

std::vector<cv::Point2f> findAllEdgePoints(const cv::Mat& img, int threshold, int polarity, int kernelSize,
                                           cv::Point p1, cv::Point p2, int connectivity) {
    const int k = limitKernel(kernelSize);
    const double fullLength = std::hypot(static_cast<double>(p2.x) - p1.x, static_cast<double>(p2.y) - p1.y);
    std::vector<cv::Point2f> edges;
    std::vector<double> profile, response;
    cv::Point start = p1;
    for (;;) {
        int index = -1;
        const cv::Point2f P =
            findEdgePoint(img, threshold, polarity, kernelSize, start, p2, connectivity, profile, response, index);
        if (P.x < 0.0f || P.y < 0.0f) break;
        edges.push_back(P);

        const double remaining = std::hypot(static_cast<double>(p2.x) - P.x, static_cast<double>(p2.y) - P.y);
        if (remaining < 5.0 || remaining / fullLength < 0.05) break;

        cv::Point next;
        if (index >= 0 && index + k < static_cast<int>(profile.size())) {
            cv::LineIterator it(img, start, p2, connectivity, false);
            for (int step = 0; step < index + k; ++step) ++it;
            next = it.pos();
        } else {
            const cv::Point base(static_cast<int>(P.x), static_cast<int>(P.y));
            const double dx = p2.x - base.x, dy = p2.y - base.y;
            const double len = std::hypot(dx, dy);
            next = base;
            if (len > 0.0) {
                next.x += static_cast<int>(std::trunc(dx / len * k * 0.5));
                next.y += static_cast<int>(std::trunc(dy / len * k * 0.5));
            }
        }
        if (next == start) break;  // no progress: the walk would find the same edge forever
        start = next;
    }
    return edges;
}

std::vector<cv::Point2f> findAllEdgePoints_subPixel(const cv::Mat& img, int threshold, int polarity,
                                                    int kernelSize, cv::Point2f p1, cv::Point2f p2,
                                                    int connectivity) {
    std::vector<cv::Point2f> edges;
    try {
        const int k = limitKernel(kernelSize);
        const cv::Point a(static_cast<int>(p1.x), static_cast<int>(p1.y));
        const cv::Point b(static_cast<int>(p2.x), static_cast<int>(p2.y));
        const LineSamples s = sampleLine(img, a, b, connectivity);
        const Responses R = centredResponses(s.values, k);
        const std::vector<cv::Point2f> positions = toPoint2f(s.positions);
        bool haveAccepted = false;
        cv::Point lastAccepted;
        for (int i = 0; i < static_cast<int>(R.r.size()); ++i) {
            if (!passesPolarity(R.r[i], polarity, threshold) || !isLocalMaximum(R.r, i)) continue;
            const cv::Point here = s.positions[i];
            if (haveAccepted && cv::norm(here - lastAccepted) < k) continue;
            const cv::Point2f refined = refineAlongPoints(R.r, positions, i, k);
            edges.push_back(refined);
            lastAccepted = cv::Point(static_cast<int>(refined.x), static_cast<int>(refined.y));
            haveAccepted = true;
        }
    } catch (...) {
        edges.clear();
    }
    return edges;
}

}  // namespace EA
