// Spread of radii around a centre and of diameters across a closed contour.

#include "tivra/analysis/CircleFitting.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace EA {

void FindMeanMaxMinRadius(const std::vector<cv::Point2f>& pts, const cv::Point2f& centre, float& mean,
                          float& max, float& min, cv::Point2f& maxPt, cv::Point2f& minPt)
{
    max = FLT_MIN;
    min = FLT_MAX;
    double sum = 0.0;
    for (const cv::Point2f& p : pts) {
        const float d = float(std::hypot(double(p.x) - centre.x, double(p.y) - centre.y));
        sum += d;
        if (d > max) {
            max = d;
            maxPt = p;
        }
        if (d < min) {
            min = d;
            minPt = p;
        }
    }
    mean = pts.empty() ? 0.0f : float(sum / pts.size());
}

void FindMeanMaxMinDiameter(int n, const std::vector<cv::Point2f>& pts, const cv::Point2f& /*centre*/,
                            float& mean, float& max, float& min, cv::Point2f& maxA, cv::Point2f& maxB,
                            cv::Point2f& minA, cv::Point2f& minB)
{
    mean = 0.0f;
    max = FLT_MIN;
    min = FLT_MAX;
    int pairs = 0;
    bool anyPositive = false;
    if (n >= 2) {
        const size_t half = size_t(n / 2);
        double sum = 0.0;
        for (size_t j = 0; j < std::max<size_t>(half, 1) && j + half < pts.size(); ++j) {
            const cv::Point2f& a = pts[j];
            const cv::Point2f& b = pts[j + half];
            const float d = float(std::hypot(double(a.x) - b.x, double(a.y) - b.y));
            sum += d;
            ++pairs;
            if (d > max) {
                max = d;
                maxA = a;
                maxB = b;
            }
            if (d > 0.0f && d < min) {
                min = d;
                minA = a;
                minB = b;
                anyPositive = true;
            }
        }
        if (pairs > 0)
            mean = float(sum / pairs);
    }
    // With no chord of positive length there is no spread to report: all three are 0
    // rather than the sentinels they start from.
    if (!anyPositive) {
        mean = 0.0f;
        max = 0.0f;
        min = 0.0f;
    }
}

}  // namespace EA
