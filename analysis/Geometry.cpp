#include "tivra/analysis/Geometry.h"

#include "tivra/analysis/SaturatingCast.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace EA {

namespace {

constexpr double kPi = 3.141592653589793;

double toRadians(double deg) { return deg * kPi / 180.0; }
double toDegrees(double rad) { return rad * 180.0 / kPi; }

// Float differences, squared and summed in double.
double distanceOf(const cv::Point2f& p, const cv::Point2f& q) {
    const float dx = p.x - q.x;
    const float dy = p.y - q.y;
    return std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
}

// Direction of (dx, dy) in degrees, from a float atan2.
double atan2fDegrees(float dy, float dx) { return toDegrees(static_cast<double>(std::atan2(dy, dx))); }

}  // namespace

// ---- Angles -----------------------------------------------------------------

double normalizeAngle(double a) {
    if (!std::isfinite(a)) return std::numeric_limits<double>::quiet_NaN();
    // Stepping by 360 is exact for moderate magnitudes; far-out angles are first
    // reduced with fmod (also exact) so the loops below stay short. A positive
    // multiple of 360 keeps mapping to 360, as the stepping would give.
    if (std::fabs(a) > 360.0 * 1024.0) {
        const double r = std::fmod(a, 360.0);
        a = (a > 0.0 && r == 0.0) ? 360.0 : r + 0.0;
    }
    while (a < 0.0) a += 360.0;
    while (a > 360.0) a -= 360.0;
    return a;
}

double calculatepoint2pointAngle(const cv::Point2f& p1, const cv::Point2f& p2) {
    const double dy = static_cast<double>(p2.y) - p1.y;
    const double dx = static_cast<double>(p2.x) - p1.x;
    return normalizeAngle(toDegrees(std::atan2(dy, dx)));
}

double calculate3pointsAngle(const cv::Point2f& a, const cv::Point2f& vertex, const cv::Point2f& c) {
    const cv::Point2f u = a - vertex;
    const cv::Point2f v = c - vertex;
    const float dot = u.x * v.x + u.y * v.y;
    const float lenU = std::sqrt(u.x * u.x + u.y * u.y);
    const float lenV = std::sqrt(v.x * v.x + v.y * v.y);
    double cosine = static_cast<double>(dot) / (static_cast<double>(lenU) * lenV);
    // fmin/fmax ignore NaN, so a zero-length ray (0 / 0) ends at cos = 1, angle 0.
    cosine = std::fmax(-1.0, std::fmin(1.0, cosine));
    const double angle = toDegrees(std::acos(cosine));
    const float cross = u.x * v.y - u.y * v.x;
    return cross < 0.0f ? -angle : angle;
}

double calculateline2HorizontalAngle(const cv::Point2f& p1, const cv::Point2f& p2) {
    return atan2fDegrees(p1.y - p2.y, p1.x - p2.x);
}

double calculateline2lineAngle(const cv::Point2f& a1, const cv::Point2f& a2, const cv::Point2f& b1,
                               const cv::Point2f& b2) {
    double alpha = atan2fDegrees(a1.y - a2.y, a1.x - a2.x);
    double beta = atan2fDegrees(b1.y - b2.y, b1.x - b2.x);
    if (alpha < 0.0) alpha += 360.0;
    if (beta < 0.0) beta += 360.0;
    return alpha - beta;
}

void convertToCounterClockwiseAngles(double& start, double& end) {
    double s = std::fmod(360.0 - start, 360.0);
    double e = std::fmod(360.0 - end, 360.0);
    if (s < 0.0) s += 360.0;
    if (e < 0.0) e += 360.0;
    start = e;
    end = s;
}

void convertToClockwiseAngles(double& start, double& end) {
    const double s0 = normalizeAngle(start);
    const double e0 = normalizeAngle(end);
    const double s1 = normalizeAngle(360.0 - s0);
    const double e1 = normalizeAngle(360.0 - e0);
    start = e1;
    end = s1;
    if (e0 < s0 && start != 0.0) start -= 360.0;
}

cv::Point pointOnCircle(cv::Point2f centre, double radius, double angle) {
    const double theta = toRadians(angle);
    return {tivra::TruncToInt(centre.x + radius * std::cos(theta)),
            tivra::TruncToInt(centre.y + radius * std::sin(theta))};
}

cv::Point2f rotatePoint(const cv::Point2f& p, const cv::Point2f& centre, double angle) {
    const double theta = toRadians(angle);
    const cv::Point2f d = p - centre;
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    return {static_cast<float>(d.x * c - d.y * s + centre.x), static_cast<float>(d.x * s + d.y * c + centre.y)};
}

// ---- Distances --------------------------------------------------------------

double point2pointDistance(cv::Point2f p1, cv::Point2f p2) { return distanceOf(p1, p2); }

double point2pointDistance(double x1, double y1, double x2, double y2) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    return std::sqrt(dx * dx + dy * dy);
}

void calcuMidPointAndDistance(const cv::Point2f& p1, const cv::Point2f& p2, cv::Point2f& mid, float& dist) {
    mid = (p1 + p2) * 0.5;
    dist = static_cast<float>(distanceOf(p1, p2));
}

double point2LineDistance(const cv::Point2f& l1, const cv::Point2f& l2, const cv::Point2f& p) {
    const double dx = static_cast<double>(l2.x) - l1.x;
    const double dy = static_cast<double>(l2.y) - l1.y;
    const double len = std::hypot(dx, dy);
    if (len == 0.0) return 0.0;
    return ((static_cast<double>(p.x) - l1.x) * dy - (static_cast<double>(p.y) - l1.y) * dx) / len;
}

double Point2LineDistanceAndPoint(const cv::Point2f& l1, const cv::Point2f& l2, const cv::Point2f& p,
                                  cv::Point2f& foot) {
    const double dx = static_cast<double>(l2.x) - l1.x;
    const double dy = static_cast<double>(l2.y) - l1.y;
    const double len2 = dx * dx + dy * dy;
    if (len2 < 1e-8) {
        foot = l1;
        return static_cast<float>(distanceOf(p, l1));
    }
    const double t = ((static_cast<double>(p.x) - l1.x) * dx + (static_cast<double>(p.y) - l1.y) * dy) / len2;
    const double fx = l1.x + t * dx;
    const double fy = l1.y + t * dy;
    foot = cv::Point2f(static_cast<float>(fx), static_cast<float>(fy));
    return point2pointDistance(fx, fy, p.x, p.y);
}

double point2LineSegmentDistance(const cv::Point2f& a, const cv::Point2f& b, const cv::Point2f& p) {
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    const double len2 = dx * dx + dy * dy;
    if (len2 == 0.0) return point2pointDistance(a.x, a.y, p.x, p.y);
    double t = ((static_cast<double>(p.x) - a.x) * dx + (static_cast<double>(p.y) - a.y) * dy) / len2;
    t = std::clamp(t, 0.0, 1.0);
    return point2pointDistance(a.x + t * dx, a.y + t * dy, p.x, p.y);
}

double pointToCircleEdgeDistance(cv::Point2f p, cv::Point2f centre, double r) {
    return std::fabs(distanceOf(p, centre) - r);
}

double pointToCircleEdgeDistance(double px, double py, double cx, double cy, double r) {
    return std::fabs(point2pointDistance(px, py, cx, cy) - r);
}

double pointToAnnulusEdgeDistance(double px, double py, cv::Point centre, double rOuter, double rInner,
                                  double start, double end) {
    const double cx = centre.x;
    const double cy = centre.y;
    const double phi = normalizeAngle(toDegrees(std::atan2(py - cy, px - cx)));
    start = normalizeAngle(start);
    end = normalizeAngle(end);

    const double d = point2pointDistance(px, py, cx, cy);
    double radial = 0.0;
    if (d > rOuter) {
        radial = d - rOuter;
    } else if (d < rInner) {
        radial = rInner - d;
    }

    const bool inSweep = start < end ? (phi >= start && phi <= end) : (phi >= start || phi <= end);
    if (inSweep) return radial;

    double best = std::min(std::fabs(d - rOuter), std::fabs(d - rInner));
    for (double r : {rOuter, rInner}) {
        for (double angle : {start, end}) {
            const double theta = toRadians(angle);
            const double kx = std::trunc(cx + r * std::cos(theta));
            const double ky = std::trunc(cy + r * std::sin(theta));
            best = std::min(best, point2pointDistance(px, py, kx, ky));
        }
    }
    return best;
}

double pointLineDistance(const cv::Point2f& p, const cv::Vec4f& line) {
    const double vx = line[0], vy = line[1], x0 = line[2], y0 = line[3];
    return std::fabs((vy * p.x - vx * p.y) - (vy * x0 - vx * y0)) / std::sqrt(vx * vx + vy * vy);
}

float pointToLineDistance(const cv::Point2f& p, const cv::Vec4f& line) {
    return std::fabs(line[0] * (p.y - line[3]) - line[1] * (p.x - line[2]));
}

float pointToLinearCurveDistance(const cv::Point2f& p, const cv::Vec2f& curve, float valid) {
    if (valid == 0.0f) return 0.0f;
    const float k = curve[0];
    const float b = curve[1];
    if (std::isinf(k)) return std::fabs(p.x - b);
    return std::fabs(k * p.x - p.y + b) / std::sqrt(k * k + 1.0f);
}

// ---- Lines and intersections --------------------------------------------------

cv::Vec4f createLineFromTwoPoints(const cv::Point2f& p1, const cv::Point2f& p2) {
    const cv::Point2f d = p2 - p1;
    const double len = distanceOf(p2, p1);
    return {static_cast<float>(d.x / len), static_cast<float>(d.y / len), p1.x, p1.y};
}

bool lineFromTwoPoints(const cv::Point2f& p1, const cv::Point2f& p2, cv::Vec4f& line) {
    if (p1 == p2 || distanceOf(p2, p1) < FLT_EPSILON) return false;
    line = createLineFromTwoPoints(p1, p2);
    return true;
}

bool getLineSegmentIntersection(const cv::Point2f& p1, const cv::Point2f& p2, const cv::Point2f& p3,
                                const cv::Point2f& p4, cv::Point2f& out) {
    const cv::Point2d d1(static_cast<double>(p2.x) - p1.x, static_cast<double>(p2.y) - p1.y);
    const cv::Point2d d2(static_cast<double>(p4.x) - p3.x, static_cast<double>(p4.y) - p3.y);
    const cv::Point2d w(static_cast<double>(p1.x) - p3.x, static_cast<double>(p1.y) - p3.y);
    const double den = d1.x * d2.y - d2.x * d1.y;
    if (den == 0.0) return false;
    const double u = (d1.x * w.y - d1.y * w.x) / den;
    const double t = (d2.x * w.y - d2.y * w.x) / den;
    if (u < 0.0 || u > 1.0 || t < 0.0 || t > 1.0) return false;
    out = cv::Point2f(static_cast<float>(p1.x + t * d1.x), static_cast<float>(p1.y + t * d1.y));
    return true;
}

bool getLine2LineSegmentIntersection(const cv::Point2f& l1, const cv::Point2f& l2, const cv::Point2f& s1,
                                     const cv::Point2f& s2, cv::Point2f& out) {
    const cv::Point2d d1(static_cast<double>(l2.x) - l1.x, static_cast<double>(l2.y) - l1.y);
    const cv::Point2d d2(static_cast<double>(s2.x) - s1.x, static_cast<double>(s2.y) - s1.y);
    const cv::Point2d w(static_cast<double>(s1.x) - l1.x, static_cast<double>(s1.y) - l1.y);
    const double den = d1.x * d2.y - d1.y * d2.x;
    if (std::fabs(den) < 1e-10) return false;
    const double u = (w.x * d1.y - w.y * d1.x) / den;
    if (u < 0.0 || u > 1.0) return false;
    const double t = (w.x * d2.y - w.y * d2.x) / den;
    out = cv::Point2f(static_cast<float>(l1.x + t * d1.x), static_cast<float>(l1.y + t * d1.y));
    return true;
}

bool getLineIntersection(const cv::Point2f& a1, const cv::Point2f& a2, const cv::Point2f& b1,
                         const cv::Point2f& b2, cv::Point2f& out) {
    const cv::Point2d d1(static_cast<double>(a2.x) - a1.x, static_cast<double>(a2.y) - a1.y);
    const cv::Point2d d2(static_cast<double>(b2.x) - b1.x, static_cast<double>(b2.y) - b1.y);
    const cv::Point2d w(static_cast<double>(b1.x) - a1.x, static_cast<double>(b1.y) - a1.y);
    const double den = d1.x * d2.y - d1.y * d2.x;
    if (std::fabs(den) < 1e-10) return false;
    const double t = (w.x * d2.y - w.y * d2.x) / den;
    out = cv::Point2f(static_cast<float>(a1.x + t * d1.x), static_cast<float>(a1.y + t * d1.y));
    return true;
}

bool calcBisectoroftwolines(const cv::Point2f& a1, const cv::Point2f& a2, const cv::Point2f& b1,
                            const cv::Point2f& b2, cv::Vec4f& bisector) {
    const cv::Point2d d1(static_cast<double>(a2.x) - a1.x, static_cast<double>(a2.y) - a1.y);
    const cv::Point2d d2(static_cast<double>(b2.x) - b1.x, static_cast<double>(b2.y) - b1.y);
    const double len1 = std::hypot(d1.x, d1.y);
    const double len2 = std::hypot(d2.x, d2.y);
    if (len1 < 1e-6 || len2 < 1e-6) return false;
    const cv::Point2d u1 = d1 / len1;
    const cv::Point2d u2 = d2 / len2;

    cv::Point2d point;
    cv::Point2d dir;
    if (std::fabs(u1.x * u2.y - u1.y * u2.x) < 1e-6) {
        // Parallel: the line halfway between them, through the mean of the segment midpoints.
        point = cv::Point2d((static_cast<double>(a1.x) + a2.x) / 2.0 + (static_cast<double>(b1.x) + b2.x) / 2.0,
                            (static_cast<double>(a1.y) + a2.y) / 2.0 + (static_cast<double>(b1.y) + b2.y) / 2.0) /
                2.0;
        dir = u1;
    } else {
        const cv::Point2d s = u1 + u2;
        const double lenS = std::hypot(s.x, s.y);
        dir = lenS < 1e-6 ? cv::Point2d(-u1.y, u1.x) : s / lenS;
        const cv::Point2d w(static_cast<double>(b1.x) - a1.x, static_cast<double>(b1.y) - a1.y);
        const double t = (w.x * d2.y - w.y * d2.x) / (d1.x * d2.y - d1.y * d2.x);
        point = cv::Point2d(a1.x + t * d1.x, a1.y + t * d1.y);
    }
    bisector = cv::Vec4f(static_cast<float>(point.x), static_cast<float>(point.y), static_cast<float>(dir.x),
                         static_cast<float>(dir.y));
    return true;
}

std::vector<cv::Point2f> calcBisectorBoundaryIntersections(const cv::Vec4f& line, int width, int height) {
    const double x0 = line[0], y0 = line[1], vx = line[2], vy = line[3];
    const double w = width, h = height;
    std::vector<cv::Point2f> out;
    auto addIf = [&out](bool inside, double x, double y) {
        if (inside) out.emplace_back(static_cast<float>(x), static_cast<float>(y));
    };
    if (std::fabs(vx) > 1e-6) {
        const double yLeft = y0 + (-x0 / vx) * vy;
        addIf(yLeft >= 0.0 && yLeft <= h, 0.0, yLeft);
        const double yRight = y0 + ((w - x0) / vx) * vy;
        addIf(yRight >= 0.0 && yRight <= h, w, yRight);
    }
    if (std::fabs(vy) > 1e-6) {
        const double xTop = x0 + (-y0 / vy) * vx;
        addIf(xTop >= 0.0 && xTop <= w, xTop, 0.0);
        const double xBottom = x0 + ((h - y0) / vy) * vx;
        addIf(xBottom >= 0.0 && xBottom <= w, xBottom, h);
    }
    return out;
}

bool circleFromThreePoints(const cv::Point2f& p1, const cv::Point2f& p2, const cv::Point2f& p3,
                           cv::Point2f& centre, float& radius) {
    const cv::Point2d a(static_cast<double>(p2.x) - p1.x, static_cast<double>(p2.y) - p1.y);
    const cv::Point2d b(static_cast<double>(p3.x) - p1.x, static_cast<double>(p3.y) - p1.y);
    const double D = 2.0 * (a.x * b.y - a.y * b.x);
    if (std::fabs(D) < 1e-8) return false;
    const double a2 = a.x * a.x + a.y * a.y;
    const double b2 = b.x * b.x + b.y * b.y;
    centre = cv::Point2f(static_cast<float>(p1.x + (b.y * a2 - a.y * b2) / D),
                         static_cast<float>(p1.y + (a.x * b2 - b.x * a2) / D));
    radius = static_cast<float>(distanceOf(centre, p1));
    return true;
}

// ---- Points, polygons and rectangles -------------------------------------------

std::vector<cv::Point2f> calculateEquidistantPoints(cv::Point2f p1, cv::Point2f p2, double spacing) {
    const double steps = distanceOf(p1, p2) / spacing;
    // A zero, negative or vanishing spacing has no meaningful count (0/0, infinity or
    // more points than an int can index); give no points rather than overflow.
    if (!(steps >= 0.0) || steps >= static_cast<double>(INT_MAX)) return {};
    const int n = static_cast<int>(steps);
    auto truncated = [](double x, double y) {
        return cv::Point2f(static_cast<float>(std::trunc(x)), static_cast<float>(std::trunc(y)));
    };
    if (n == 0) return {truncated(p1.x, p1.y)};

    std::vector<cv::Point2f> points;
    points.reserve(static_cast<size_t>(n) + 1);
    const double dx = static_cast<double>(p2.x) - p1.x;
    const double dy = static_cast<double>(p2.y) - p1.y;
    for (int i = 0; i <= n; ++i) {
        const double t = static_cast<double>(i) / n;
        points.push_back(truncated(p1.x + t * dx, p1.y + t * dy));
    }
    return points;
}

cv::Point2f calcPolygonCenter(const std::vector<cv::Point2f>& poly) {
    if (poly.size() < 3) return {-1.0f, -1.0f};
    // Accumulated in double: the cross products of coordinates in the tens of
    // thousands cancel to a small area, which float sums would lose (a 12 x 8
    // polygon near (20000, 20000) would be off by pixels).
    double area = 0.0, cx = 0.0, cy = 0.0;
    for (size_t i = 0; i < poly.size(); ++i) {
        const cv::Point2d a = poly[i];
        const cv::Point2d b = poly[(i + 1) % poly.size()];
        const double c = a.x * b.y - b.x * a.y;
        area += c;
        cx += (a.x + b.x) * c;
        cy += (a.y + b.y) * c;
    }
    area /= 2.0;
    if (std::fabs(area) < 1e-7) throw std::runtime_error("The polygon has zero area.");
    return {static_cast<float>(cx / (6.0 * area)), static_cast<float>(cy / (6.0 * area))};
}

cv::Rect findBoundingBox(const std::vector<cv::Point2f>& pts) {
    if (pts.empty()) return {0, 0, 0, 0};
    float minX = pts[0].x, maxX = pts[0].x, minY = pts[0].y, maxY = pts[0].y;
    for (const cv::Point2f& p : pts) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    // lrint rounds to nearest with ties to even under the default rounding mode.
    const int x0 = static_cast<int>(std::lrint(minX));
    const int y0 = static_cast<int>(std::lrint(minY));
    return {x0, y0, static_cast<int>(std::lrint(maxX)) - x0, static_cast<int>(std::lrint(maxY)) - y0};
}

bool isRectInMat(const cv::Rect& r, const cv::Mat& m) {
    return r.x >= 0 && r.y >= 0 && static_cast<int64_t>(r.x) + r.width <= m.cols &&
           static_cast<int64_t>(r.y) + r.height <= m.rows;
}

cv::Rect getValidRect(const cv::Rect& r, const cv::Mat& m) {
    const int64_t x = std::max(r.x, 0);
    const int64_t y = std::max(r.y, 0);
    const int64_t w = std::min<int64_t>(static_cast<int64_t>(r.x) + r.width - x, m.cols - x);
    const int64_t h = std::min<int64_t>(static_cast<int64_t>(r.y) + r.height - y, m.rows - y);
    return {static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h)};
}

}  // namespace EA
