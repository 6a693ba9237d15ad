// RANSAC-type circle fitters scored by inlier count.

#include "tivra/analysis/CircleFitting.h"

#include "CircleFitSupport.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdlib>
#include <numeric>

namespace EA {

using circlefit::Circle;
using circlefit::RadiusBounds;
using circlefit::pointCount;
using circlefit::sampleCircle;

void fitCircleRANSAC(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                     int maxIterations, float inlierThreshold, float minRadius, float maxRadius)
{
    centre = cv::Point2f(0.0f, 0.0f);
    radius = 0.0f;
    std::srand(0);
    const int n = pointCount(points);
    const int iterations = std::min(n, maxIterations);
    const RadiusBounds bounds = RadiusBounds::fromLimits(minRadius, maxRadius);
    int bestCount = 0;
    for (int it = 0; it < iterations; ++it) {
        const int i1 = std::rand() % n;
        const int i2 = std::rand() % n;
        const int i3 = std::rand() % n;
        Circle c;
        if (i1 == i2 || i1 == i3 || i2 == i3 || !sampleCircle(points, {i1, i2, i3}, bounds, c))
            continue;
        const int count = circlefit::countInliers(points, c, inlierThreshold);
        if (count > bestCount) {
            bestCount = count;
            centre = c.centre;
            radius = c.radius;
        }
    }
}

void fitCircleRANSAC2(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                      int maxIterations, float inlierThreshold, float minRadius, float maxRadius)
{
    centre = cv::Point2f(0.0f, 0.0f);
    radius = 0.0f;
    std::srand(0);
    const int n = pointCount(points);
    const int iterations = std::min(n, maxIterations);
    if (n < 3 || iterations < 1)
        return;
    const RadiusBounds bounds = RadiusBounds::fromLimits(minRadius, maxRadius);
    std::vector<cv::Point2f> bestInliers;
    int accepted = 0;
    for (int it = 0; it < iterations && accepted < maxIterations; ++it) {
        const int i1 = std::rand() % n;
        int i2, i3;
        do {
            i2 = std::rand() % n;
        } while (i2 == i1);
        do {
            i3 = std::rand() % n;
        } while (i3 == i1 || i3 == i2);
        Circle c;
        if (!sampleCircle(points, {i1, i2, i3}, bounds, c))
            continue;
        ++accepted;
        std::vector<cv::Point2f> inliers = circlefit::collectInliers(points, c, inlierThreshold);
        if (inliers.size() > bestInliers.size()) {
            bestInliers.swap(inliers);
            centre = c.centre;
            radius = c.radius;
        }
    }
    if (bestInliers.size() > 2) {
        Circle refit;
        fitCircleFromPoints(bestInliers, refit.centre, refit.radius);
        if (bounds.admits(refit.radius)) {
            centre = refit.centre;
            radius = refit.radius;
        }
    }
}

void fitCircleUSAC(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                   int maxIterations, float inlierThreshold, float minRadius, float maxRadius)
{
    centre = cv::Point2f(0.0f, 0.0f);
    radius = 0.0f;
    const int n = pointCount(points);
    if (n < 3 || maxIterations < 1)
        return;
    std::mt19937 rng(12345);
    const RadiusBounds bounds = RadiusBounds::fromLimits(minRadius, maxRadius);
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::vector<cv::Point2f> bestInliers;
    double w = 0.5;  // inlier ratio estimate
    int limit = maxIterations;
    for (int it = 0; it < limit; ++it) {
        std::shuffle(order.begin(), order.end(), rng);
        Circle c;
        if (!sampleCircle(points, {order[0], order[1], order[2]}, bounds, c))
            continue;
        std::vector<cv::Point2f> inliers = circlefit::collectInliers(points, c, inlierThreshold);
        if (inliers.size() > bestInliers.size()) {
            bestInliers.swap(inliers);
            centre = c.centre;
            radius = c.radius;
            w = double(bestInliers.size()) / n;
        }
        // Stop once an all-inlier sample has been drawn with 99 % probability. The
        // probability of such a sample is w^3; while it is too small to estimate, the
        // caller's bound stays.
        const double allInlierSample = double(float(w * w * w));
        if (!bestInliers.empty() && allInlierSample >= 1.1920929e-7)
            limit = std::min(limit, int(std::trunc(-4.605171203613281 / std::log1p(-allInlierSample))) + 1);
    }
    if (bestInliers.size() >= 3) {
        // The enclosing circle of an inlier band traces the circle only when the band goes
        // most of the way round; around a shorter arc it is the much smaller circle on the
        // arc's chord. It is taken only where it agrees with the sampled circle.
        Circle enclosing;
        cv::minEnclosingCircle(bestInliers, enclosing.centre, enclosing.radius);
        const bool agrees = std::fabs(enclosing.radius - radius) <= inlierThreshold &&
                            cv::norm(enclosing.centre - centre) <= inlierThreshold;
        if (agrees && bounds.admits(enclosing.radius)) {
            centre = enclosing.centre;
            radius = enclosing.radius;
        }
    }
}

}  // namespace EA
