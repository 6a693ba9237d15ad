#include "tivra/analysis/LineFitting.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <iostream>
#include <limits>
#include <numeric>
#include <random>
#include <stdexcept>

namespace EA {

namespace {

constexpr unsigned kSeed = 12345;
const cv::Vec4f kZeroLine(0, 0, 0, 0);

// Uniform index draws in [0, n - 1] from a Mersenne twister seeded on every call.
class IndexSampler {
public:
    explicit IndexSampler(size_t n) : engine_(kSeed), pick_(0, static_cast<int>(n) - 1) {}
    int draw() { return pick_(engine_); }
    std::mt19937& engine() { return engine_; }

private:
    std::mt19937 engine_;
    std::uniform_int_distribution<int> pick_;
};

// Principal axis by the half-angle formula: direction (cos t, sin t) with
// t = atan2(2 Suv, Suu - Svv) / 2 through the centroid.
struct AxisFit {
    cv::Point2f mean;
    double theta = 0.0;
};

AxisFit principalAxisAngle(const std::vector<cv::Point2f>& pts) {
    const double n = static_cast<double>(pts.size());
    double sx = 0.0, sy = 0.0;
    for (const cv::Point2f& p : pts) {
        sx += p.x;
        sy += p.y;
    }
    AxisFit fit;
    fit.mean = cv::Point2f(static_cast<float>(sx / n), static_cast<float>(sy / n));
    double suu = 0.0, svv = 0.0, suv = 0.0;
    for (const cv::Point2f& p : pts) {
        const double u = p.x - fit.mean.x;
        const double v = p.y - fit.mean.y;
        suu += u * u;
        svv += v * v;
        suv += u * v;
    }
    fit.theta = 0.5 * std::atan2(2.0 * (suv / n), suu / n - svv / n);
    return fit;
}

cv::Vec4f axisLine(const AxisFit& fit, double sign) {
    return {static_cast<float>(sign * std::cos(fit.theta)), static_cast<float>(sign * std::sin(fit.theta)),
            fit.mean.x, fit.mean.y};
}

// Major axis of a weighted point set (weights all 1 when empty); the zero line when
// the weights vanish or no direction exists.
cv::Vec4f weightedPrincipalAxis(const std::vector<cv::Point2f>& pts, const std::vector<double>& weights) {
    auto weightOf = [&weights](size_t i) { return weights.empty() ? 1.0 : weights[i]; };
    double W = 0.0, mx = 0.0, my = 0.0;
    for (size_t i = 0; i < pts.size(); ++i) {
        W += weightOf(i);
        mx += weightOf(i) * pts[i].x;
        my += weightOf(i) * pts[i].y;
    }
    if (W < 1e-10) return kZeroLine;
    mx /= W;
    my /= W;
    double sxx = 0.0, sxy = 0.0, syy = 0.0;
    for (size_t i = 0; i < pts.size(); ++i) {
        const double dx = pts[i].x - mx, dy = pts[i].y - my;
        sxx += weightOf(i) * dx * dx;
        sxy += weightOf(i) * dx * dy;
        syy += weightOf(i) * dy * dy;
    }
    sxx /= W;
    sxy /= W;
    syy /= W;
    double dx, dy;
    if (std::fabs(sxy) > 1e-10) {
        const double trace = sxx + syy;
        const double lambda = (trace + std::sqrt(std::max(0.0, trace * trace - 4.0 * (sxx * syy - sxy * sxy)))) / 2.0;
        dx = lambda - syy;
        dy = sxy;
    } else {
        dx = sxx >= syy ? 1.0 : 0.0;
        dy = sxx >= syy ? 0.0 : 1.0;
    }
    const double len = std::hypot(dx, dy);
    if (len < 1e-10) return kZeroLine;
    return {static_cast<float>(dx / len), static_cast<float>(dy / len), static_cast<float>(mx),
            static_cast<float>(my)};
}

// Major eigenvector of the covariance [a b; b c]. (b, lambda - a) vanishes when the
// spread is already axis-aligned along x, where (lambda - c, b) is the same vector.
cv::Point2d majorEigenvector(double a, double b, double c) {
    const double lambda = ((a + c) + std::sqrt((a - c) * (a - c) + 4.0 * b * b)) / 2.0;
    cv::Point2d d(b, lambda - a);
    if (std::hypot(d.x, d.y) < 1e-12) d = cv::Point2d(lambda - c, b);
    const double len = std::hypot(d.x, d.y);
    return len < 1e-12 ? cv::Point2d(1.0, 0.0) : d / len;
}

void cvFitLine(const std::vector<cv::Point2f>& pts, cv::Vec4f& line, int distType) {
    if (pts.size() < 2) {
        line = kZeroLine;
        return;
    }
    cv::fitLine(pts, line, distType, 0, 0.01, 0.01);
}

// ---- Soft-scored sampling helpers ------------------------------------------------

float softResidual(const cv::Vec4f& l, const cv::Point2f& p) { return l[0] * (p.y - l[3]) - l[1] * (p.x - l[2]); }

struct SoftScore {
    double score = 0.0;
    double sigma = 0.0;
};

// Gaussian-weighted support with a robust scale from the median residual.
SoftScore softScore(const std::vector<cv::Point2f>& pts, const cv::Vec4f& l, double threshold,
                    std::vector<float>& scratch) {
    scratch.resize(pts.size());
    for (size_t i = 0; i < pts.size(); ++i) scratch[i] = std::fabs(softResidual(l, pts[i]));
    std::vector<float> sorted(scratch);
    const size_t mid = sorted.size() / 2;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(mid), sorted.end());
    SoftScore s;
    // The scale follows the median residual but never exceeds the inlier threshold: a
    // line through outliers has a huge median, and an unbounded scale would weight
    // every point alike and let such a line outscore the true one.
    s.sigma = std::max(1.4826 * sorted[mid], 0.5 * threshold);
    if (threshold > 0.0) s.sigma = std::min(s.sigma, threshold);
    for (float r : scratch)
        if (r < 3.0 * s.sigma) s.score += std::exp(-(double(r) * r) / (2.0 * s.sigma * s.sigma));
    return s;
}

std::vector<cv::Point2f> softInliers(const std::vector<cv::Point2f>& pts, const cv::Vec4f& l, double cut) {
    std::vector<cv::Point2f> in;
    for (const cv::Point2f& p : pts)
        if (std::fabs(softResidual(l, p)) < cut) in.push_back(p);
    return in;
}

bool hasDirection(const cv::Vec4f& l) { return l[0] != 0.0f || l[1] != 0.0f; }

// Tukey biweight reweighting with a scale fixed from the starting line.
cv::Vec4f biweightRefine(const std::vector<cv::Point2f>& pts, cv::Vec4f line, double threshold) {
    std::vector<float> scratch;
    const double c = 4.685 * softScore(pts, line, threshold, scratch).sigma;
    for (int round = 0; round < 15; ++round) {
        std::vector<cv::Point2f> kept;
        std::vector<double> weights;
        for (const cv::Point2f& p : pts) {
            const double r = softResidual(line, p);
            if (std::fabs(r) > c) continue;
            const double u = 1.0 - (r / c) * (r / c);
            if (u * u > 1e-6) {
                kept.push_back(p);
                weights.push_back(u * u);
            }
        }
        if (kept.size() < 2) break;
        const cv::Vec4f next = weightedPrincipalAxis(kept, weights);
        if (!hasDirection(next)) break;
        const double dot = std::fabs(double(line[0]) * next[0] + double(line[1]) * next[1]);
        line = next;
        if (dot > 0.99999) break;
    }
    return line;
}

// ---- Levenberg-Marquardt ----------------------------------------------------------

// Parameters (vx, vy, x0, y0); the direction is kept at unit length so the residual
// (x - x0) vy - (y - y0) vx is the signed distance and cannot shrink by scaling.
cv::Vec4d unitDirection(cv::Vec4d p) {
    const double len = std::hypot(p[0], p[1]);
    if (len > 0.0) {
        p[0] /= len;
        p[1] /= len;
    }
    return p;
}

double sumSquaredResiduals(const std::vector<cv::Point2f>& pts, const cv::Vec4d& p) {
    double sum = 0.0;
    for (const cv::Point2f& q : pts) {
        const double r = (q.x - p[2]) * p[1] - (q.y - p[3]) * p[0];
        sum += r * r;
    }
    return sum;
}

// Solves (J^T J + damping I) step = -J^T r; a system Cholesky cannot solve gives
// the zero step, which the caller rejects like any step that does not help.
cv::Vec4d dampedStep(const std::vector<cv::Point2f>& pts, const cv::Vec4d& p, double damping) {
    cv::Matx44d A = cv::Matx44d::zeros();
    cv::Vec4d g(0, 0, 0, 0);
    for (const cv::Point2f& q : pts) {
        const double r = (q.x - p[2]) * p[1] - (q.y - p[3]) * p[0];
        const cv::Vec4d J(-(q.y - p[3]), q.x - p[2], -p[1], p[0]);
        A += J * J.t();
        g += J * r;
    }
    for (int i = 0; i < 4; ++i) A(i, i) += damping;
    return A.solve(-g, cv::DECOMP_CHOLESKY);
}

}  // namespace

void fitLineLeastSquares(const std::vector<cv::Point2f>& pts, cv::Vec4f& line) {
    cvFitLine(pts, line, cv::DIST_L2);
}

void fitLineUSAC(const std::vector<cv::Point2f>& pts, cv::Vec4f& line) { cvFitLine(pts, line, cv::DIST_HUBER); }

void fitLineTaubin(const std::vector<cv::Point2f>& pts, cv::Vec4f& line) {
    if (pts.size() < 2) {
        line = kZeroLine;
        return;
    }
    const AxisFit fit = principalAxisAngle(pts);
    const double c = std::cos(fit.theta), s = std::sin(fit.theta);
    double along = 0.0;
    for (const cv::Point2f& p : pts) along += (p.x - fit.mean.x) * c + (p.y - fit.mean.y) * s;
    line = axisLine(fit, along < 0.0 ? -1.0 : 1.0);
}

void fitLineKMeans(const std::vector<cv::Point2f>& pts, cv::Vec4f& line) {
    if (pts.size() < 2) {
        std::cerr << "Need at least two points to fit a line." << std::endl;
        return;
    }
    // k-means++ draws from OpenCV's thread RNG: seed it for a repeatable split and
    // hand the caller's state back afterwards.
    cv::RNG& rng = cv::theRNG();
    const uint64 callerState = rng.state;
    rng.state = kSeed;
    cv::Mat samples(static_cast<int>(pts.size()), 1, CV_32FC2, const_cast<cv::Point2f*>(pts.data()));
    cv::Mat labels, centres;
    cv::kmeans(samples, 2, labels, cv::TermCriteria(cv::TermCriteria::MAX_ITER + cv::TermCriteria::EPS, 100, 0.1),
               10, cv::KMEANS_PP_CENTERS, centres);
    rng.state = callerState;

    const cv::Point2f c0 = centres.at<cv::Point2f>(0);
    const cv::Point2f c1 = centres.at<cv::Point2f>(1);
    const cv::Point2f e = c1 - c0;
    if (e.x == 0.0f && e.y == 0.0f) return;  // every point alike: no line through the centres
    auto byX = [](const cv::Point2f& a, const cv::Point2f& b) { return a.x < b.x; };
    auto byY = [](const cv::Point2f& a, const cv::Point2f& b) { return a.y < b.y; };
    if (e.x != 0.0f) {
        const float xMin = std::min_element(pts.begin(), pts.end(), byX)->x;
        const float xMax = std::max_element(pts.begin(), pts.end(), byX)->x;
        line = cv::Vec4f(xMin, c0.y + e.y * (xMin - c0.x) / e.x, xMax, c0.y + e.y * (xMax - c0.x) / e.x);
    } else {
        // Centres one above the other: the line is vertical, span the points' y range.
        const float yMin = std::min_element(pts.begin(), pts.end(), byY)->y;
        const float yMax = std::max_element(pts.begin(), pts.end(), byY)->y;
        line = cv::Vec4f(c0.x, yMin, c0.x, yMax);
    }
}

void fitLineLevenbergMarquardt(const std::vector<cv::Point2f>& pts, cv::Vec4f& line) {
    if (pts.size() < 2) throw std::runtime_error("At least 2 points are required for line fitting");
    const double n = static_cast<double>(pts.size());
    double mx = 0.0, my = 0.0;
    for (const cv::Point2f& p : pts) {
        mx += p.x;
        my += p.y;
    }
    mx /= n;
    my /= n;
    double sxx = 0.0, sxy = 0.0, syy = 0.0;
    for (const cv::Point2f& p : pts) {
        sxx += (p.x - mx) * (p.x - mx);
        sxy += (p.x - mx) * (p.y - my);
        syy += (p.y - my) * (p.y - my);
    }
    const cv::Point2d d = majorEigenvector(sxx / n, sxy / n, syy / n);
    cv::Vec4d params(d.x, d.y, mx, my);
    double cost = sumSquaredResiduals(pts, params);
    double damping = 0.01;
    for (int iteration = 0; iteration < 50; ++iteration) {
        const cv::Vec4d step = dampedStep(pts, params, damping);
        const cv::Vec4d trial = unitDirection(params + step);
        const double trialCost = sumSquaredResiduals(pts, trial);
        if (!(trialCost < cost)) {
            damping *= 10.0;
            continue;
        }
        params = trial;
        cost = trialCost;
        damping *= 0.1;
        if (cv::norm(step) < 1e-6) break;
    }
    line = cv::Vec4f(static_cast<float>(params[0]), static_cast<float>(params[1]), static_cast<float>(params[2]),
                     static_cast<float>(params[3]));
}

void fitLineRANSAC(const std::vector<cv::Point2f>& pts, cv::Vec4f& line, int maxIterations, double threshold,
                   int minInliers) {
    const int n = static_cast<int>(pts.size());
    const int iterations = std::min(n, maxIterations);
    // Two distinct indices cannot be drawn from fewer than two points.
    if (iterations < 1 || n < 2) return;
    IndexSampler sampler(pts.size());
    int bestCount = 0;
    for (int it = 0; it < iterations; ++it) {
        const int i1 = sampler.draw();
        int i2 = sampler.draw();
        while (i2 == i1) i2 = sampler.draw();
        const cv::Point2f& p1 = pts[i1];
        const cv::Point2f diff = pts[i2] - p1;
        const float len = std::sqrt(diff.x * diff.x + diff.y * diff.y);
        const cv::Point2f d(diff.x / len, diff.y / len);
        const double dx = d.x, dy = d.y;
        const double offset = dy * p1.x - dx * p1.y;
        const double norm = std::sqrt(dx * dx + dy * dy);
        int count = 0;
        for (const cv::Point2f& p : pts)
            if (std::fabs(dy * p.x - dx * p.y - offset) / norm < threshold) ++count;
        if (count > bestCount && count >= minInliers) {
            bestCount = count;
            line = cv::Vec4f(d.x, d.y, p1.x, p1.y);
        }
    }
}

void fitLineChatGPT(const std::vector<cv::Point2f>& pts, cv::Vec4f& line, int maxIterations, double threshold,
                    int minInliers) {
    line = kZeroLine;
    const size_t n = pts.size();
    if (n < 2 || maxIterations < 1) return;
    cv::RNG rng(kSeed);
    int bestCount = -1;
    double bestMeanResidual = std::numeric_limits<double>::infinity();
    std::vector<cv::Point2f> inliers;
    for (int it = 0; it < maxIterations; ++it) {
        const size_t i1 = rng.next() % n;
        const size_t i2 = rng.next() % n;
        if (i1 == i2) continue;
        const cv::Point2f& p1 = pts[i1];
        const float len = std::hypot(pts[i2].x - p1.x, pts[i2].y - p1.y);
        if (len < 1e-6f) continue;
        const cv::Point2f d((pts[i2].x - p1.x) / len, (pts[i2].y - p1.y) / len);
        inliers.clear();
        double residualSum = 0.0;
        for (const cv::Point2f& p : pts) {
            const float r = std::fabs((p.x - p1.x) * d.y - (p.y - p1.y) * d.x);
            if (r < threshold) {
                inliers.push_back(p);
                residualSum += r;
            }
        }
        const int count = static_cast<int>(inliers.size());
        if (count < minInliers || count == 0) continue;
        const double meanResidual = residualSum / count;
        if (count > bestCount || (count == bestCount && meanResidual < bestMeanResidual)) {
            bestCount = count;
            bestMeanResidual = meanResidual;
            line = axisLine(principalAxisAngle(inliers), 1.0);
        }
    }
}

void fitLineLeastSquaresUSAC(const std::vector<cv::Point2f>& pts, cv::Vec4f& line, int maxIterations,
                             float threshold) {
    const int n = static_cast<int>(pts.size());
    int iterations = std::min(n, maxIterations);
    if (n < 2 || iterations < 1) return;
    std::mt19937 engine(kSeed);
    std::vector<int> order(pts.size());
    std::iota(order.begin(), order.end(), 0);
    double inlierRatio = 0.5;
    int bestCount = 0;
    std::vector<cv::Point2f> bestInliers, inliers;
    for (int it = 0; it < iterations; ++it) {
        std::shuffle(order.begin(), order.end(), engine);
        const cv::Point2f& p1 = pts[order[0]];
        const cv::Point2f& p2 = pts[order[1]];
        const float len = std::hypot(p2.x - p1.x, p2.y - p1.y);
        if (p1 == p2 || len < FLT_EPSILON) continue;
        const cv::Point2f d((p2.x - p1.x) / len, (p2.y - p1.y) / len);
        inliers.clear();
        for (const cv::Point2f& p : pts)
            if (std::fabs(d.x * (p.y - p1.y) - d.y * (p.x - p1.x)) < threshold) inliers.push_back(p);
        if (static_cast<int>(inliers.size()) > bestCount) {
            bestCount = static_cast<int>(inliers.size());
            bestInliers = inliers;
            line = cv::Vec4f(d.x, d.y, p1.x, p1.y);
            inlierRatio = static_cast<double>(bestCount) / n;
        }
        if (bestCount >= 1) {
            // A sample is clean when both of its points are inliers: probability w^2.
            const double pGood = inlierRatio * inlierRatio;
            if (static_cast<float>(pGood) < FLT_EPSILON) break;
            // 4.6051712 = -ln(0.01): enough samples for a 99 % chance of a clean one.
            const double needed = std::trunc(-4.605171203613281 / std::log(1.0 - pGood)) + 1.0;
            iterations = static_cast<int>(std::min<double>(iterations, needed));
        }
    }
    if (bestInliers.size() >= 2) cv::fitLine(bestInliers, line, cv::DIST_L2, 0, 0.01, 0.01);
}

void fitLineClaudeOpus45(const std::vector<cv::Point2f>& pts, cv::Vec4f& line, int maxIterations,
                         double threshold, int minInliers) {
    line = kZeroLine;
    const size_t n = pts.size();
    if (n < 2) return;
    IndexSampler sampler(n);
    std::vector<float> scratch;
    double best = -1.0;
    int limit = maxIterations;
    for (int it = 0; it < limit; ++it) {
        const int i1 = sampler.draw();
        int i2 = sampler.draw();
        for (int retry = 0; retry < 10 && i2 == i1; ++retry) i2 = sampler.draw();
        if (i1 == i2) continue;
        const cv::Point2f d = pts[i2] - pts[i1];
        const float len = std::sqrt(d.x * d.x + d.y * d.y);
        if (len < 1e-6f) continue;
        cv::Vec4f candidate(d.x / len, d.y / len, pts[i1].x, pts[i1].y);
        SoftScore s = softScore(pts, candidate, threshold, scratch);

        if (s.score > 0.8 * best) {
            std::vector<cv::Point2f> in = softInliers(pts, candidate, 2.5 * s.sigma);
            for (int refit = 0; refit < 10 && static_cast<int>(in.size()) >= minInliers; ++refit) {
                const cv::Vec4f refined = weightedPrincipalAxis(in, {});
                if (!hasDirection(refined)) break;
                const SoftScore rs = softScore(pts, refined, threshold, scratch);
                if (!(rs.score > s.score)) break;
                candidate = refined;
                s.score = rs.score;
                in = softInliers(pts, refined, 2.5 * rs.sigma);
            }
        }
        if (s.score > best) {
            line = candidate;
            best = s.score;
            const double w = s.score / static_cast<double>(n);
            if (w > 0.1 && w * w > 1e-10) {
                // 6.9077553 = ln 1000: samples for a 99.9 % chance of one clean pair.
                const double needed = std::floor(-6.907755278982136 / std::log(1.0 - w * w)) + 1.0;
                limit = static_cast<int>(std::min<double>(std::max<double>(needed, it + 20), limit));
            }
        }
    }
    if (best > 0.0) line = biweightRefine(pts, line, threshold);
    if (line[0] < -1e-6f || (std::fabs(line[0]) < 1e-6f && line[1] < 0.0f)) {
        line[0] = -line[0];
        line[1] = -line[1];
    }
}

void fitLineGeminiPro(const std::vector<cv::Point2f>& pts, cv::Vec4f& line, int maxIterations, double threshold,
                      int refineMode, int minInliers) {
    if (pts.size() < 2) {
        line = kZeroLine;
        return;
    }
    const double t2 = threshold * threshold;
    bool found = false;
    double bestCost = std::numeric_limits<double>::infinity();
    cv::Point2d point, dir;
    if (maxIterations >= 1) {
        IndexSampler sampler(pts.size());
        for (int it = 0; it < maxIterations; ++it) {
            const int i1 = sampler.draw();
            const int i2 = sampler.draw();
            if (i1 == i2) continue;
            const cv::Point2d p1(pts[i1].x, pts[i1].y);
            const cv::Point2d diff(pts[i2].x - p1.x, pts[i2].y - p1.y);
            const double len2 = diff.dot(diff);
            if (len2 < 1e-6) continue;
            const cv::Point2d u = diff / std::sqrt(len2);
            double cost = 0.0;
            int inliers = 0;
            for (const cv::Point2f& p : pts) {
                const double r = (p.x - p1.x) * -u.y + (p.y - p1.y) * u.x;
                cost += std::min(r * r, t2);
                if (r * r < t2) ++inliers;
            }
            if (inliers >= minInliers && cost < bestCost) {
                bestCost = cost;
                point = p1;
                dir = u;
                found = true;
            }
        }
    }
    if (!found) {
        cv::fitLine(pts, line, cv::DIST_L2, 0, 0.01, 0.01);
        return;
    }
    const int passes = refineMode == 0 ? 0 : (refineMode == 2 ? 5 : 1);
    for (int pass = 0; pass < passes; ++pass) {
        double W = 0.0, mx = 0.0, my = 0.0;
        std::vector<std::pair<cv::Point2d, double>> weighted;
        for (const cv::Point2f& p : pts) {
            const double r = (p.x - point.x) * -dir.y + (p.y - point.y) * dir.x;
            if (!(r * r < t2)) continue;
            const double w = refineMode == 2 ? std::min(1.0, threshold / std::fabs(r)) : 1.0;
            weighted.emplace_back(cv::Point2d(p.x, p.y), w);
            W += w;
            mx += w * p.x;
            my += w * p.y;
        }
        if (weighted.size() < 2 || W < 1e-6) break;
        mx /= W;
        my /= W;
        double a = 0.0, b = 0.0, c = 0.0;
        for (const auto& [p, w] : weighted) {
            a += w * (p.x - mx) * (p.x - mx);
            b += w * (p.x - mx) * (p.y - my);
            c += w * (p.y - my) * (p.y - my);
        }
        a /= W;
        b /= W;
        c /= W;
        if (std::fabs(b) > 1e-8) {
            const double lambda = ((a + c) + std::sqrt((a - c) * (a - c) + 4.0 * b * b)) / 2.0;
            dir = cv::Point2d(b, lambda - a);
            dir /= std::hypot(dir.x, dir.y);
        } else {
            dir = a > c ? cv::Point2d(1, 0) : cv::Point2d(0, 1);
        }
        point = cv::Point2d(mx, my);
    }
    line = cv::Vec4f(static_cast<float>(dir.x), static_cast<float>(dir.y), static_cast<float>(point.x),
                     static_cast<float>(point.y));
}

cv::Vec3f fitLinearCurve(const std::vector<cv::Point2f>& pts, int method) {
    cv::Vec4f line = kZeroLine;
    if (method == 1) {
        fitLineRANSAC(pts, line, 1000, 1.0, 5);
    } else if (pts.size() >= 2) {
        cv::fitLine(pts, line, method == 2 ? cv::DIST_HUBER : cv::DIST_L2, 0, 0.01, 0.01);
    }
    const float vx = line[0], vy = line[1], x0 = line[2], y0 = line[3];
    if (vx == 0.0f && vy == 0.0f) return {0.0f, 0.0f, 0.0f};
    float k = vy / vx;
    float b = y0 - k * x0;
    if (std::fabs(vx) < 1e-6f) {
        k = std::numeric_limits<float>::infinity();
        b = x0;
    }
    return {k, b, 1.0f};
}

}  // namespace EA
