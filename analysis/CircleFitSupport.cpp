#include "CircleFitSupport.h"

#include "tivra/analysis/Geometry.h"

#include <algorithm>
#include <climits>

namespace EA {
namespace circlefit {

RadiusBounds RadiusBounds::fromLimits(float minRadius, float maxRadius)
{
    RadiusBounds b;
    if (minRadius > 0.0f)
        b.lower = minRadius;
    if (maxRadius > 0.0f)
        b.upper = maxRadius;
    return b;
}

RadiusBounds RadiusBounds::fromLimitsOrdered(float minRadius, float maxRadius)
{
    if (minRadius > 0.0f && maxRadius > 0.0f && minRadius > maxRadius)
        std::swap(minRadius, maxRadius);
    return fromLimits(minRadius, maxRadius);
}

int countInliers(const std::vector<cv::Point2f>& points, const Circle& c, float threshold)
{
    int count = 0;
    for (const cv::Point2f& p : points)
        count += isInlier(p, c.centre, c.radius, threshold) ? 1 : 0;
    return count;
}

std::vector<cv::Point2f> collectInliers(const std::vector<cv::Point2f>& points, const Circle& c,
                                        float threshold)
{
    std::vector<cv::Point2f> inliers;
    inliers.reserve(points.size());
    for (const cv::Point2f& p : points)
        if (isInlier(p, c.centre, c.radius, threshold))
            inliers.push_back(p);
    return inliers;
}

double msacCost(const std::vector<cv::Point2f>& points, const Circle& c, float threshold, double stopAbove)
{
    const double cap = double(threshold) * threshold;
    double cost = 0.0;
    // Checking the running sum every block keeps the inner loop free of branches.
    constexpr size_t kBlock = 64;
    for (size_t begin = 0; begin < points.size(); begin += kBlock) {
        const size_t end = std::min(points.size(), begin + kBlock);
        for (size_t i = begin; i < end; ++i) {
            const double e = radialResidual(points[i], c.centre, c.radius);
            cost += e * e < cap ? e * e : cap;  // a point with no position (NaN) costs the cap
        }
        if (cost > stopAbove)
            return cost;
    }
    return cost;
}

double sumSquaredResiduals(const std::vector<cv::Point2f>& points, const Circle& c)
{
    double sum = 0.0;
    for (const cv::Point2f& p : points) {
        const double e = radialResidual(p, c.centre, c.radius);
        sum += e * e;
    }
    return sum;
}

int pointCount(const std::vector<cv::Point2f>& points)
{
    return int(std::min<size_t>(points.size(), size_t(INT_MAX)));
}

void drawStratifiedTriple(std::mt19937& rng, int n, int (&idx)[3])
{
    const int third = n / 3;
    idx[0] = std::uniform_int_distribution<int>(0, third - 1)(rng);
    idx[1] = std::uniform_int_distribution<int>(third, 2 * third - 1)(rng);
    idx[2] = std::uniform_int_distribution<int>(2 * third, n - 1)(rng);
}

bool sampleCircle(const std::vector<cv::Point2f>& points, const int (&idx)[3], const RadiusBounds& bounds,
                  Circle& c)
{
    return circleFromThreePoints(points[size_t(idx[0])], points[size_t(idx[1])], points[size_t(idx[2])],
                                 c.centre, c.radius) &&
           bounds.admits(c.radius);
}

void drawDistinctTriple(std::mt19937& rng, int n, int (&idx)[3])
{
    std::uniform_int_distribution<int> pick(0, n - 1);
    idx[0] = pick(rng);
    do {
        idx[1] = pick(rng);
    } while (idx[1] == idx[0]);
    do {
        idx[2] = pick(rng);
    } while (idx[2] == idx[0] || idx[2] == idx[1]);
}

namespace {

struct NormalEquations {
    cv::Matx33d jtj = cv::Matx33d::zeros();
    cv::Vec3d jtr;  // J^T r
    double squaredError = 0.0;
};

// Residual d - R and its Jacobian row (-(x - cx)/d, -(y - cy)/d, -1) for every point.
NormalEquations buildNormalEquations(const std::vector<cv::Point2f>& pts, const cv::Vec3d& params)
{
    NormalEquations ne;
    for (const cv::Point2f& p : pts) {
        const double dx = p.x - params[0];
        const double dy = p.y - params[1];
        const double d = std::max(std::sqrt(dx * dx + dy * dy), 1e-6);
        const double r = d - params[2];
        const cv::Vec3d j(-dx / d, -dy / d, -1.0);
        for (int a = 0; a < 3; ++a) {
            for (int b = a; b < 3; ++b)
                ne.jtj(a, b) += j[a] * j[b];
            ne.jtr[a] += j[a] * r;
        }
        ne.squaredError += r * r;
    }
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < a; ++b)
            ne.jtj(a, b) = ne.jtj(b, a);
    return ne;
}

double squaredError(const std::vector<cv::Point2f>& pts, const cv::Vec3d& params)
{
    double sum = 0.0;
    for (const cv::Point2f& p : pts) {
        const double dx = p.x - params[0];
        const double dy = p.y - params[1];
        const double r = std::sqrt(dx * dx + dy * dy) - params[2];
        sum += r * r;
    }
    return sum;
}

// Solves (J^T J with its diagonal scaled by 1 + damping) step = -J^T r.
bool dampedStep(const NormalEquations& ne, double damping, cv::Vec3d& step)
{
    cv::Matx33d a = ne.jtj;
    for (int k = 0; k < 3; ++k)
        a(k, k) *= 1.0 + damping;
    cv::Mat solution;
    if (!cv::solve(cv::Mat(a), cv::Mat(-ne.jtr), solution, cv::DECOMP_SVD))
        return false;
    step = cv::Vec3d(solution.ptr<double>());
    return std::isfinite(step[0]) && std::isfinite(step[1]) && std::isfinite(step[2]);
}

bool storeCircle(const cv::Vec3d& params, Circle& c)
{
    const Circle out{cv::Point2f(float(params[0]), float(params[1])), float(params[2])};
    if (!(out.radius > 0.0f) || !std::isfinite(out.radius) || !std::isfinite(out.centre.x) ||
        !std::isfinite(out.centre.y))
        return false;
    c = out;
    return true;
}

}  // namespace

bool refineGeometric(const std::vector<cv::Point2f>& pts, Circle& c, int maxSteps)
{
    cv::Vec3d params(c.centre.x, c.centre.y, c.radius);
    for (int step = 0; step < maxSteps; ++step) {
        cv::Vec3d delta;
        if (!dampedStep(buildNormalEquations(pts, params), 0.01, delta))
            break;
        params += delta;
        if (std::fabs(delta[0]) < 1e-4 && std::fabs(delta[1]) < 1e-4 && std::fabs(delta[2]) < 1e-4)
            break;
    }
    return storeCircle(params, c);
}

bool refineLevenbergMarquardt(const std::vector<cv::Point2f>& pts, Circle& c, int maxSteps)
{
    cv::Vec3d params(c.centre.x, c.centre.y, c.radius);
    double damping = 0.01;
    NormalEquations ne = buildNormalEquations(pts, params);
    for (int step = 0; step < maxSteps && damping < 1e12; ++step) {
        cv::Vec3d delta;
        if (!dampedStep(ne, damping, delta))
            break;
        const cv::Vec3d trial = params + delta;
        if (squaredError(pts, trial) < ne.squaredError) {
            params = trial;
            damping *= 0.1;
            if (cv::norm(delta) < 1e-7 * (1.0 + std::fabs(params[2])))
                break;
            ne = buildNormalEquations(pts, params);
        } else {
            damping *= 10.0;
        }
    }
    return storeCircle(params, c);
}

std::vector<cv::Point2f> dropIsolatedInliers(const std::vector<cv::Point2f>& inliers, const cv::Point2f& centre)
{
    const size_t m = inliers.size();
    if (m < 8)
        return inliers;
    std::vector<std::pair<double, size_t>> byAngle;
    byAngle.reserve(m);
    for (size_t i = 0; i < m; ++i)
        byAngle.emplace_back(std::atan2(double(inliers[i].y) - centre.y, double(inliers[i].x) - centre.x), i);
    std::sort(byAngle.begin(), byAngle.end());
    // gap[i] is the angle from point i - 1 to point i, the first one wrapping around.
    std::vector<double> gap(m);
    gap[0] = byAngle[0].first - byAngle[m - 1].first + 2.0 * CV_PI;
    for (size_t i = 1; i < m; ++i)
        gap[i] = byAngle[i].first - byAngle[i - 1].first;
    std::vector<double> sorted = gap;
    std::nth_element(sorted.begin(), sorted.begin() + m / 2, sorted.end());
    const double cut = 8.0 * sorted[m / 2];
    const size_t start = size_t(std::max_element(gap.begin(), gap.end()) - gap.begin());
    if (!(gap[start] > cut))
        return inliers;  // one unbroken run
    // Walk once around the circle from the widest gap, run by run.
    const size_t smallRun = std::max<size_t>(2, m / 50);
    std::vector<cv::Point2f> kept;
    kept.reserve(m);
    std::vector<size_t> run;
    auto closeRun = [&]() {
        if (run.size() > smallRun)
            for (size_t k : run)
                kept.push_back(inliers[byAngle[k].second]);
        run.clear();
    };
    for (size_t step = 0; step < m; ++step) {
        const size_t i = (start + step) % m;
        if (step > 0 && gap[i] > cut)
            closeRun();
        run.push_back(i);
    }
    closeRun();
    return kept.size() >= 3 ? kept : inliers;
}

float angularCoverage(const std::vector<cv::Point2f>& points)
{
    double sx = 0.0, sy = 0.0;
    size_t count = 0;
    for (const cv::Point2f& p : points) {
        if (std::isfinite(p.x) && std::isfinite(p.y)) {
            sx += p.x;
            sy += p.y;
            ++count;
        }
    }
    if (count < 2)
        return 0.0f;
    const float mx = float(sx / count);
    const float my = float(sy / count);
    std::vector<float> angles;
    angles.reserve(points.size());
    for (const cv::Point2f& p : points) {
        const float a = std::atan2(p.y - my, p.x - mx);
        if (std::isfinite(a))
            angles.push_back(a);
    }
    if (angles.size() < 2)
        return 0.0f;
    std::sort(angles.begin(), angles.end());
    const float twoPi = float(2.0 * CV_PI);
    float largestGap = angles.front() - angles.back() + twoPi;
    for (size_t i = 1; i < angles.size(); ++i)
        largestGap = std::max(largestGap, angles[i] - angles[i - 1]);
    return twoPi - largestGap;
}

int iterationsForConfidence(double w, double logFailure)
{
    const double p = w * w * w;
    if (p >= 1.0)
        return 1;
    if (!(p > 1e-12))
        return INT_MAX;
    const double needed = std::ceil(logFailure / std::log1p(-p));
    return needed >= double(INT_MAX) ? INT_MAX : std::max(1, int(needed));
}

}  // namespace circlefit
}  // namespace EA
