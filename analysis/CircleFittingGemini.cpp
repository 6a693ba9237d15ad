// RANSAC and MSAC circle fitters finished by a geometric fit on their inliers.

#include "tivra/analysis/CircleFitting.h"

#include "CircleFitSupport.h"

#include <algorithm>

namespace EA {

using circlefit::Circle;
using circlefit::RadiusBounds;
using circlefit::pointCount;
using circlefit::sampleCircle;

namespace {

// Damped geometric fit on the inliers of c (isolated ones left out), repeated while the
// inlier set changes; keeps c when a fit leaves the bounds or raises the cost.
void polishOnInliers(const std::vector<cv::Point2f>& points, float threshold, const RadiusBounds& bounds,
                     Circle& c, double& cost)
{
    size_t lastCount = 0;
    for (int round = 0; round < 4; ++round) {
        const std::vector<cv::Point2f> inliers =
            circlefit::dropIsolatedInliers(circlefit::collectInliers(points, c, threshold), c.centre);
        if (inliers.size() < 3 || inliers.size() == lastCount)
            return;
        lastCount = inliers.size();
        Circle fitted = c;
        if (!circlefit::refineLevenbergMarquardt(inliers, fitted) || !bounds.admits(fitted.radius))
            return;
        const double fittedCost = circlefit::msacCost(points, fitted, threshold);
        if (fittedCost > cost)
            return;
        c = fitted;
        cost = fittedCost;
    }
}

// The final damped geometric fit on the inliers of the best model, isolated ones left out,
// repeated while the inlier set changes. Each round starts both from the current circle
// and from the algebraic fit of the inliers and keeps the better result: when an arc's
// sagitta is within the noise, a sampled circle can lie in the valley of ever larger
// circles, from which a local method does not climb out.
void finalFit(const std::vector<cv::Point2f>& points, float threshold, const RadiusBounds& bounds, Circle& c)
{
    size_t lastCount = 0;
    for (int round = 0; round < 4; ++round) {
        const std::vector<cv::Point2f> inliers =
            circlefit::dropIsolatedInliers(circlefit::collectInliers(points, c, threshold), c.centre);
        if (inliers.size() < 3 || inliers.size() == lastCount)
            return;
        lastCount = inliers.size();
        Circle best;
        double bestError = HUGE_VAL;
        Circle starts[2] = {c, c};
        fitCircleFromPoints(inliers, starts[1].centre, starts[1].radius);
        for (Circle& start : starts) {
            if (circlefit::refineLevenbergMarquardt(inliers, start) && bounds.admits(start.radius)) {
                const double error = circlefit::sumSquaredResiduals(inliers, start);
                if (error < bestError) {
                    bestError = error;
                    best = start;
                }
            }
        }
        if (bestError == HUGE_VAL)
            return;
        c = best;
    }
}

}  // namespace

bool fitCircleGeminiPro(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                        int maxIterations, float inlierThreshold, float minRadius, float maxRadius)
{
    const int n = pointCount(points);
    if (n < 3) {
        centre = cv::Point2f(0.0f, 0.0f);
        radius = 0.0f;
        return false;
    }
    std::mt19937 rng(12345);
    const RadiusBounds bounds = RadiusBounds::fromLimits(minRadius, maxRadius);
    Circle best;
    int bestCount = 0;
    for (int it = 0; it < maxIterations && bestCount <= 0.95 * n; ++it) {
        int idx[3];
        if (n >= 10)
            circlefit::drawStratifiedTriple(rng, n, idx);
        else
            circlefit::drawDistinctTriple(rng, n, idx);
        Circle c;
        if (!sampleCircle(points, idx, bounds, c))
            continue;
        const int count = circlefit::countInliers(points, c, inlierThreshold);
        if (count > bestCount) {
            bestCount = count;
            best = c;
            centre = c.centre;
            radius = c.radius;
        }
    }
    if (bestCount < 3)
        return false;

    const std::vector<cv::Point2f> inliers = circlefit::collectInliers(points, best, inlierThreshold);
    Circle lsq;
    if (fitCircleLeastSquares(inliers, lsq.centre, lsq.radius) && bounds.admits(lsq.radius))
        best = lsq;
    if (inliers.size() > 2) {
        Circle refined = best;
        if (circlefit::refineGeometric(inliers, refined))
            best = refined;
    }
    centre = best.centre;
    radius = best.radius;
    return true;
}

bool fitCircleGeminiUltra(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                          int maxIterations, float inlierThreshold, float minRadius, float maxRadius)
{
    const int n = pointCount(points);
    if (n < 3 || maxIterations < 1)
        return false;
    std::mt19937 rng(12345);
    const RadiusBounds bounds = RadiusBounds::fromLimits(minRadius, maxRadius);
    const double logFailure = std::log(0.001);  // an all-inlier sample is missed once in 1000
    Circle best;
    double bestCost = HUGE_VAL;
    int limit = maxIterations;
    for (int it = 0; it < limit; ++it) {
        int idx[3];
        circlefit::drawDistinctTriple(rng, n, idx);
        Circle c;
        if (!sampleCircle(points, idx, bounds, c))
            continue;
        double cost = circlefit::msacCost(points, c, inlierThreshold, bestCost);
        if (!(cost < bestCost))
            continue;
        // Local optimisation: a new best sample is refined at once, which both improves
        // the model and sharpens the inlier ratio that bounds the remaining iterations.
        polishOnInliers(points, inlierThreshold, bounds, c, cost);
        best = c;
        bestCost = cost;
        const double w = double(circlefit::countInliers(points, best, inlierThreshold)) / n;
        limit = std::min(limit, circlefit::iterationsForConfidence(w, logFailure));
    }
    if (bestCost == HUGE_VAL)
        return false;
    finalFit(points, inlierThreshold, bounds, best);
    centre = best.centre;
    radius = best.radius;
    return true;
}

}  // namespace EA
