// MSAC circle fitters that refine their candidates in stages: stratified sampling with
// per-candidate refinement, and density-weighted sampling with shrinking thresholds.

#include "tivra/analysis/CircleFitting.h"

#include "CircleFitSupport.h"

#include <algorithm>
#include <numeric>
#include <queue>

namespace EA {

using circlefit::Circle;
using circlefit::RadiusBounds;
using circlefit::pointCount;
using circlefit::sampleCircle;

namespace {

struct Candidate {
    Circle circle;
    double cost = HUGE_VAL;
};

// Geometric fit of c on its inliers within threshold, isolated ones left out; c is kept
// when there are fewer than three of them or the fit leaves the bounds.
void refineWithin(const std::vector<cv::Point2f>& points, float threshold, const RadiusBounds& bounds, Circle& c)
{
    const std::vector<cv::Point2f> inliers =
        circlefit::dropIsolatedInliers(circlefit::collectInliers(points, c, threshold), c.centre);
    if (inliers.size() < 3)
        return;
    Circle fitted = c;
    if (circlefit::refineGeometric(inliers, fitted) && bounds.admits(fitted.radius))
        c = fitted;
}

// Robust standard deviation of the distances from the circle: 1.4826 x their median
// absolute value.
float noiseScale(const std::vector<cv::Point2f>& inliers, const Circle& c)
{
    if (inliers.empty())
        return 0.0f;
    std::vector<double> residuals;
    residuals.reserve(inliers.size());
    for (const cv::Point2f& p : inliers)
        residuals.push_back(std::fabs(circlefit::radialResidual(p, c.centre, c.radius)));
    std::nth_element(residuals.begin(), residuals.begin() + long(residuals.size() / 2), residuals.end());
    return float(1.4826 * residuals[residuals.size() / 2]);
}

// Least squares on the inliers, a geometric fit on them, then a second geometric fit on
// the inliers within 0.8 x threshold of that result.
Circle refineCandidate(const std::vector<cv::Point2f>& points, const Circle& start, float threshold,
                       const RadiusBounds& bounds)
{
    Circle c = start;
    const std::vector<cv::Point2f> inliers = circlefit::collectInliers(points, c, threshold);
    Circle lsq;
    if (fitCircleLeastSquares(inliers, lsq.centre, lsq.radius) && bounds.admits(lsq.radius))
        c = lsq;
    if (inliers.size() > 2) {
        Circle fitted = c;
        if (circlefit::refineGeometric(inliers, fitted) && bounds.admits(fitted.radius))
            c = fitted;
    }
    refineWithin(points, 0.8f * threshold, bounds, c);
    return c;
}

// Mean distance of every point to its k nearest other points (repeats of the same position
// not counted), found by a sweep over the points sorted by x that stops once the x gap
// alone exceeds the k-th best distance.
std::vector<double> meanNeighbourDistances(const std::vector<cv::Point2f>& points, int k)
{
    // Points without a position (NaN, infinity) are nobody's neighbours and infinitely sparse.
    std::vector<int> byX;
    for (int i = 0; i < int(points.size()); ++i)
        if (std::isfinite(points[size_t(i)].x) && std::isfinite(points[size_t(i)].y))
            byX.push_back(i);
    std::sort(byX.begin(), byX.end(), [&](int a, int b) { return points[size_t(a)].x < points[size_t(b)].x; });
    const int n = int(byX.size());
    std::vector<double> mean(points.size(), HUGE_VAL);
    std::priority_queue<double> nearest;  // the k smallest squared distances so far, largest on top
    for (int rank = 0; rank < n; ++rank) {
        const cv::Point2f& p = points[size_t(byX[size_t(rank)])];
        nearest = {};
        auto visit = [&](int other) {
            const cv::Point2f& q = points[size_t(byX[size_t(other)])];
            const double dx = double(q.x) - p.x;
            if (int(nearest.size()) == k && dx * dx >= nearest.top())
                return false;
            const double dy = double(q.y) - p.y;
            const double d2 = dx * dx + dy * dy;
            if (d2 == 0.0)  // a repeated point is no evidence of a dense contour
                return true;
            if (int(nearest.size()) < k) {
                nearest.push(d2);
            } else if (d2 < nearest.top()) {
                nearest.pop();
                nearest.push(d2);
            }
            return true;
        };
        for (int other = rank + 1; other < n && visit(other); ++other) {
        }
        for (int other = rank - 1; other >= 0 && visit(other); --other) {
        }
        double sum = 0.0;
        const size_t found = nearest.size();
        for (; !nearest.empty(); nearest.pop())
            sum += std::sqrt(nearest.top());
        mean[size_t(byX[size_t(rank)])] = found > 0 ? sum / found : 0.0;
    }
    return mean;
}

// Indices of the densest share of the points and their sampling weights 1 / (m + 1e-6),
// m the mean distance to the k = min(n, 11) - 1 nearest other points. False when fewer
// than three points can be drawn.
bool densestPoints(const std::vector<cv::Point2f>& points, double share, std::vector<int>& pool,
                   std::vector<double>& weights)
{
    const int n = int(points.size());
    const std::vector<double> spacing = meanNeighbourDistances(points, std::min(n, 11) - 1);
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return spacing[size_t(a)] < spacing[size_t(b)]; });
    const int keep = std::max(3, int(std::ceil(share * n)));
    pool.assign(order.begin(), order.begin() + std::min(n, keep));
    // A clump of coincident points would otherwise take nearly every draw and yield only
    // degenerate samples: no point weighs more than ten times a point of median spacing.
    const int placed = int(std::count_if(spacing.begin(), spacing.end(), [](double m) { return m < HUGE_VAL; }));
    const double floorSpacing = 0.1 * spacing[size_t(order[size_t(placed / 2)])];
    weights.clear();
    int drawable = 0;
    for (int i : pool) {
        weights.push_back(1.0 / (std::max(spacing[size_t(i)], floorSpacing) + 1e-6));
        drawable += weights.back() > 0.0 ? 1 : 0;
    }
    return drawable >= 3;
}

}  // namespace

bool fitCircleClaudeOpus45(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                           int maxIterations, float inlierThreshold, float minRadius, float maxRadius)
{
    const int n = pointCount(points);
    if (n < 3 || maxIterations < 1)
        return false;
    std::mt19937 rng(12345);
    const RadiusBounds bounds = RadiusBounds::fromLimits(minRadius, maxRadius);
    std::vector<Candidate> candidates;
    for (int it = 0; it < maxIterations; ++it) {
        int idx[3];
        if (n > 9) {
            circlefit::drawStratifiedTriple(rng, n, idx);
        } else {
            circlefit::drawDistinctTriple(rng, n, idx);
        }
        Circle c;
        if (sampleCircle(points, idx, bounds, c))
            candidates.push_back(Candidate{c, circlefit::msacCost(points, c, inlierThreshold)});
    }
    if (candidates.empty())
        return false;
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.cost < b.cost; });

    // Candidates are refined best first; once ten in a row fail to beat the best refined
    // circle, the worse-scored rest cannot be expected to either.
    constexpr int kPatience = 10;
    Candidate best;
    int sinceImprovement = 0;
    for (const Candidate& candidate : candidates) {
        const Circle refined = refineCandidate(points, candidate.circle, inlierThreshold, bounds);
        const double cost = circlefit::msacCost(points, refined, inlierThreshold, best.cost);
        if (cost < best.cost) {
            best = Candidate{refined, cost};
            sinceImprovement = 0;
        } else if (++sinceImprovement >= kPatience) {
            break;
        }
    }
    centre = best.circle.centre;
    radius = best.circle.radius;
    return true;
}

bool fitCircleClaudeOpus45v2(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                             int maxIterations, float inlierThreshold, float minRadius, float maxRadius)
{
    centre = cv::Point2f(0.0f, 0.0f);
    radius = 0.0f;
    const int n = pointCount(points);
    if (n < 3 || maxIterations < 1)
        return false;
    const RadiusBounds bounds = RadiusBounds::fromLimits(minRadius, maxRadius);

    // Edge points of a contour lie close together; scattered outliers do not. Samples are
    // drawn from the densest 70 % of the points, denser points more often.
    std::vector<int> pool;
    std::vector<double> weights;
    if (!densestPoints(points, 0.7, pool, weights))
        return false;
    std::discrete_distribution<int> pick(weights.begin(), weights.end());

    const double logFailure = -5.2983184;  // ln(0.005): a good sample is missed once in 200
    std::mt19937 rng(12345);
    Circle best;
    double bestCost = HUGE_VAL;
    int limit = maxIterations;
    for (int it = 0; it < limit; ++it) {
        int slot[3];
        slot[0] = pick(rng);
        do {
            slot[1] = pick(rng);
        } while (slot[1] == slot[0]);
        do {
            slot[2] = pick(rng);
        } while (slot[2] == slot[0] || slot[2] == slot[1]);
        const int idx[3] = {pool[size_t(slot[0])], pool[size_t(slot[1])], pool[size_t(slot[2])]};
        Circle c;
        if (!sampleCircle(points, idx, bounds, c))
            continue;
        const double cost = circlefit::msacCost(points, c, inlierThreshold, bestCost);
        if (!(cost < bestCost))
            continue;
        best = c;
        bestCost = cost;
        const double w = double(circlefit::countInliers(points, best, inlierThreshold)) / n;
        limit = std::min(limit, circlefit::iterationsForConfidence(w, logFailure));
    }
    if (bestCost == HUGE_VAL)
        return false;
    // Rounds with shrinking bands shed outliers that lie near the circle by chance. A band
    // narrower than the noise would only cut off good points, so none goes below three
    // times the noise scale measured on the first round's inliers.
    refineWithin(points, inlierThreshold, bounds, best);
    const float noiseFloor = 3.0f * noiseScale(circlefit::collectInliers(points, best, inlierThreshold), best);
    for (const double share : {0.75, 0.6, 0.5 * 0.75})
        refineWithin(points, std::max(float(share * inlierThreshold), noiseFloor), bounds, best);
    centre = best.centre;
    radius = best.radius;
    return true;
}

}  // namespace EA
