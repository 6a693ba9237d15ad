#include "tivra/analysis/CurvePeakValley.h"

#include "tivra/analysis/Geometry.h"

#include <opencv2/imgproc.hpp>

#include <cmath>
#include <limits>

namespace EA {

namespace {

constexpr int kCompareSpan = 5;  // a bend must beat this many turning values on each side

const cv::Point2f kNoPoint(-1.0f, -1.0f);

std::vector<float> turningValues(const std::vector<cv::Point2f>& curve, int step) {
    const int n = static_cast<int>(curve.size());
    std::vector<float> t(curve.size(), 0.0f);
    for (int i = step; i < n - step; ++i) {
        const cv::Point2f a = curve[i] - curve[i - step];
        const cv::Point2f b = curve[i + step] - curve[i];
        t[i] = a.x * b.y - a.y * b.x;
    }
    return t;
}

// Whether sign * t[j] is strictly greater than sign * t at the five indices on each side.
bool beatsNeighbours(const std::vector<float>& t, int j, float sign) {
    for (int d = 1; d <= kCompareSpan; ++d)
        if (!(sign * t[j] > sign * t[j - d] && sign * t[j] > sign * t[j + d])) return false;
    return true;
}

// Index of the strongest strict local extreme in the direction `sign`, -1 for none.
int strongestBend(const std::vector<float>& t, float sign, float& value) {
    const int n = static_cast<int>(t.size());
    int best = -1;
    for (int j = kCompareSpan; j <= n - 1 - kCompareSpan; ++j) {
        if (!beatsNeighbours(t, j, sign)) continue;
        if (best < 0 || sign * t[j] > sign * value) {
            best = j;
            value = t[j];
        }
    }
    return best;
}

struct BendLine {
    cv::Vec2f curve{0.0f, 0.0f};
    float valid = 0.0f;
    float distance = 0.0f;
};

// Linear curve through the neighbours within `window` of index i (i itself excluded)
// and the distance of point i from it.
BendLine neighbourhoodLine(const std::vector<cv::Point2f>& curve, int i, int window) {
    const int n = static_cast<int>(curve.size());
    std::vector<cv::Point2f> neighbours;
    for (int j = std::max(i - window, 0); j <= std::min(i + window, n - 1); ++j)
        if (j != i) neighbours.push_back(curve[j]);
    cv::Vec4f line(0, 0, 0, 0);
    if (neighbours.size() >= 2) cv::fitLine(neighbours, line, cv::DIST_HUBER, 0, 0.01, 0.01);

    BendLine out;
    const float vx = line[0], vy = line[1], x0 = line[2], y0 = line[3];
    if (vx != 0.0f || vy != 0.0f) {
        out.curve = cv::Vec2f(vy / vx, y0 - (vy / vx) * x0);
        out.valid = 1.0f;
    }
    // A (near-)vertical direction, the missing line included, reads as x = x0.
    if (std::fabs(vx) < 1e-6f) out.curve = cv::Vec2f(std::numeric_limits<float>::infinity(), x0);
    out.distance = pointToLinearCurveDistance(curve[i], out.curve, out.valid);
    return out;
}

void writeBend(const std::vector<cv::Point2f>& curve, int index, int window, cv::Point2f& point, float& distance,
               std::vector<double>* coefficients, cv::Vec2f* line, float* lineValid) {
    BendLine bend;
    if (index >= 0) bend = neighbourhoodLine(curve, index, window);
    point = index >= 0 ? curve[index] : kNoPoint;
    distance = bend.distance;
    if (coefficients) *coefficients = {bend.curve[0], bend.curve[1], 0.0};
    if (line) *line = bend.curve;
    if (lineValid) *lineValid = bend.valid;
}

}  // namespace

void findCruveLocalPeakValleyPoint(const std::vector<cv::Point2f>& curve, int& peakIndex, int& valleyIndex,
                                   cv::Point2f& peakPoint, cv::Point2f& valleyPoint, float& peakDistance,
                                   float& valleyDistance, float& peakValue, float& valleyValue,
                                   std::vector<double>* peakCoefficients, std::vector<double>* valleyCoefficients,
                                   int step, int window, cv::Vec2f* peakLine, float* peakLineValid,
                                   cv::Vec2f* valleyLine, float* valleyLineValid) {
    const long n = static_cast<long>(curve.size());
    if (step < 0 || n < 2L * step + 1 || n < 2L * window + 1) {
        peakIndex = valleyIndex = -1;
        peakValue = valleyValue = 0.0f;
        writeBend(curve, -1, window, peakPoint, peakDistance, peakCoefficients, peakLine, peakLineValid);
        writeBend(curve, -1, window, valleyPoint, valleyDistance, valleyCoefficients, valleyLine, valleyLineValid);
        return;
    }
    const std::vector<float> t = turningValues(curve, step);
    peakValue = -std::numeric_limits<float>::infinity();
    valleyValue = std::numeric_limits<float>::infinity();
    peakIndex = strongestBend(t, 1.0f, peakValue);
    valleyIndex = strongestBend(t, -1.0f, valleyValue);
    writeBend(curve, peakIndex, window, peakPoint, peakDistance, peakCoefficients, peakLine, peakLineValid);
    writeBend(curve, valleyIndex, window, valleyPoint, valleyDistance, valleyCoefficients, valleyLine,
              valleyLineValid);
}

}  // namespace EA
