// MSAC circle fitters: candidates scored by the truncated quadratic cost.

#include "tivra/analysis/CircleFitting.h"
#include "tivra/analysis/Geometry.h"

#include "CircleFitSupport.h"

#include <algorithm>
#include <climits>

namespace EA {

using circlefit::Circle;
using circlefit::RadiusBounds;
using circlefit::pointCount;

namespace {

struct Candidate {
    Circle circle;
    double cost = HUGE_VAL;
};

// Draws three indices (not necessarily distinct) and builds their circle. The sample is
// rejected when two of its points are closer than minSpacing, when the points are
// collinear to within a determinant of 1e-6, or when the radius is out of bounds.
bool drawMsacSample(const std::vector<cv::Point2f>& points, std::mt19937& rng,
                    std::uniform_int_distribution<int>& pick, float minSpacing, const RadiusBounds& bounds,
                    Circle& c)
{
    const cv::Point2f& p1 = points[size_t(pick(rng))];
    const cv::Point2f& p2 = points[size_t(pick(rng))];
    const cv::Point2f& p3 = points[size_t(pick(rng))];
    auto tooClose = [minSpacing](const cv::Point2f& a, const cv::Point2f& b) {
        return std::hypot(double(a.x) - b.x, double(a.y) - b.y) < minSpacing;
    };
    if (tooClose(p1, p2) || tooClose(p1, p3) || tooClose(p2, p3))
        return false;
    const double det = double(p1.x) * (double(p2.y) - p3.y) - double(p1.y) * (double(p2.x) - p3.x) +
                       double(p2.x) * p3.y - double(p3.x) * p2.y;
    if (std::fabs(det) < 1e-6)
        return false;
    return circleFromThreePoints(p1, p2, p3, c.centre, c.radius) && bounds.admits(c.radius);
}

// Adds a candidate to a list of the best `keep` by cost, kept sorted.
void keepBest(std::vector<Candidate>& best, const Candidate& c, size_t keep)
{
    auto at = std::upper_bound(best.begin(), best.end(), c,
                               [](const Candidate& a, const Candidate& b) { return a.cost < b.cost; });
    if (size_t(at - best.begin()) >= keep)
        return;
    best.insert(at, c);
    if (best.size() > keep)
        best.pop_back();
}

// Re-estimates a candidate from its inliers within threshold (geometric fit, isolated
// inliers left out), collecting the inliers again around each new estimate until they
// stop changing or the cost stops falling.
Candidate reestimate(const std::vector<cv::Point2f>& points, Candidate start, float threshold,
                     const RadiusBounds& bounds)
{
    Candidate current = start;
    size_t lastCount = 0;
    for (int round = 0; round < 5; ++round) {
        const std::vector<cv::Point2f> inliers = circlefit::dropIsolatedInliers(
            circlefit::collectInliers(points, current.circle, threshold), current.circle.centre);
        if (inliers.size() < 3 || inliers.size() == lastCount)
            break;
        lastCount = inliers.size();
        Circle refined = current.circle;
        if (!circlefit::refineGeometric(inliers, refined) || !bounds.admits(refined.radius))
            break;
        const double cost = circlefit::msacCost(points, refined, threshold);
        if (!(cost <= current.cost))
            break;
        current = Candidate{refined, cost};
    }
    return current;
}

}  // namespace

bool fitCircleChatGPT(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                      int maxIterations, float inlierThreshold, float minRadius, float maxRadius)
{
    const int n = pointCount(points);
    if (n < 3 || maxIterations < 1)
        return false;
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> pick(0, n - 1);
    const RadiusBounds bounds = RadiusBounds::fromLimitsOrdered(minRadius, maxRadius);
    Candidate best;
    bool found = false;
    for (int it = 0; it < maxIterations; ++it) {
        Circle c;
        if (!drawMsacSample(points, rng, pick, inlierThreshold, bounds, c))
            continue;
        const double cost = circlefit::msacCost(points, c, inlierThreshold, best.cost);
        if (cost < best.cost) {
            best = Candidate{c, cost};
            found = true;
        }
    }
    if (found) {
        centre = best.circle.centre;
        radius = best.circle.radius;
    }
    return found;
}

bool fitCircleChatGPTv2(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                        int maxIterations, float inlierThreshold, float minRadius, float maxRadius)
{
    const int n = pointCount(points);
    if (n < 3)
        return false;
    const RadiusBounds bounds = RadiusBounds::fromLimitsOrdered(minRadius, maxRadius);

    // Short arcs pin the circle down poorly: tighten the threshold and sample longer.
    const double coverage = circlefit::angularCoverage(points);
    float threshold = inlierThreshold;
    double iterationScale = 1.0;
    if (coverage < CV_PI / 3.0) {
        threshold = 0.56f * inlierThreshold;
        iterationScale = 4.0;
    } else if (coverage < CV_PI / 2.0) {
        threshold = 0.8f * inlierThreshold;
        iterationScale = 2.5;
    }
    const double scaled = std::trunc(iterationScale * maxIterations);
    const int iterations = scaled >= double(INT_MAX) ? INT_MAX : int(scaled);

    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> pick(0, n - 1);
    constexpr size_t kRefined = 5;  // best-scored candidates that get re-estimated
    std::vector<Candidate> best;
    for (int it = 0; it < iterations; ++it) {
        Circle c;
        if (!drawMsacSample(points, rng, pick, threshold, bounds, c))
            continue;
        const double worstKept = best.size() < kRefined ? HUGE_VAL : best.back().cost;
        const double cost = circlefit::msacCost(points, c, threshold, worstKept);
        if (cost < worstKept)
            keepBest(best, Candidate{c, cost}, kRefined);
    }
    if (best.empty())
        return false;
    Candidate winner = best.front();
    for (const Candidate& candidate : best) {
        const Candidate refined = reestimate(points, candidate, threshold, bounds);
        if (refined.cost < winner.cost)
            winner = refined;
    }
    centre = winner.circle.centre;
    radius = winner.circle.radius;
    return true;
}

}  // namespace EA
