// Closed-form circle fits: centred moments, normal equations and Hough voting.

#include "tivra/analysis/CircleFitting.h"
#include "tivra/analysis/Geometry.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace EA {

namespace {

template <typename T>
struct CentredMoments {
    cv::Point2f mean;
    T suu = 0, svv = 0, suv = 0, suuu = 0, svvv = 0, suvv = 0, svuu = 0;
};

template <typename T>
CentredMoments<T> centredMoments(const std::vector<cv::Point2f>& points)
{
    CentredMoments<T> m;
    double sx = 0.0, sy = 0.0;
    for (const cv::Point2f& p : points) {
        sx += p.x;
        sy += p.y;
    }
    m.mean = cv::Point2f(float(sx / points.size()), float(sy / points.size()));
    for (const cv::Point2f& p : points) {
        const T u = T(double(p.x) - m.mean.x);
        const T v = T(double(p.y) - m.mean.y);
        m.suu += u * u;
        m.svv += v * v;
        m.suv += u * v;
        m.suuu += u * u * u;
        m.svvv += v * v * v;
        m.suvv += u * v * v;
        m.svuu += v * u * u;
    }
    return m;
}

// The scatter matrix [suu suv; suv svv] of collinear points is singular; rounding of float
// coordinates keeps its determinant from being exactly 0, so the test is relative:
// 4 det / trace^2 is the ratio of its eigenvalues (times 4) when that ratio is small.
bool scatterIsFlat(double suu, double svv, double suv, double relativeTolerance)
{
    const double det = suu * svv - suv * suv;
    const double trace = suu + svv;
    return !(trace > 0.0) || 4.0 * det <= relativeTolerance * trace * trace;
}

void meanAndMeanDistance(const std::vector<cv::Point2f>& points, const cv::Point2f& mean,
                         cv::Point2f& centre, float& radius)
{
    double sum = 0.0;
    for (const cv::Point2f& p : points)
        sum += std::hypot(double(p.x) - mean.x, double(p.y) - mean.y);
    centre = mean;
    radius = float(sum / points.size());
}

// Finite and small enough that pixel positions fit an int.
bool allWithinPixelRange(const std::vector<cv::Point2f>& points)
{
    constexpr float kLimit = 1e9f;
    return std::all_of(points.begin(), points.end(), [](const cv::Point2f& p) {
        return std::fabs(p.x) < kLimit && std::fabs(p.y) < kLimit;
    });
}

}  // namespace

void fitCircleFromPoints(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius)
{
    if (points.empty()) {
        centre = cv::Point2f(0.0f, 0.0f);
        radius = 0.0f;
        return;
    }
    const CentredMoments<double> m = centredMoments<double>(points);
    const double det = m.suu * m.svv - m.suv * m.suv;
    if (std::fabs(det) < 1e-10 || scatterIsFlat(m.suu, m.svv, m.suv, 1e-8)) {
        meanAndMeanDistance(points, m.mean, centre, radius);
        return;
    }
    const double bu = (m.suuu + m.suvv) / 2.0;
    const double bv = (m.svvv + m.svuu) / 2.0;
    const double uc = (bu * m.svv - bv * m.suv) / det;
    const double vc = (bv * m.suu - bu * m.suv) / det;
    centre = cv::Point2f(float(m.mean.x + uc), float(m.mean.y + vc));
    radius = float(std::sqrt(uc * uc + vc * vc + (m.suu + m.svv) / points.size()));
}

bool fitCircleLeastSquares(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius)
{
    if (points.size() < 3)
        return false;
    const CentredMoments<float> m = centredMoments<float>(points);
    // Single-precision sums: anything flatter than float resolution is a line.
    if (scatterIsFlat(m.suu, m.svv, m.suv, 1e-6))
        return false;
    const cv::Matx22f a(m.suu, m.suv, m.suv, m.svv);
    const cv::Vec2f b((m.suuu + m.suvv) / 2.0f, (m.svvv + m.svuu) / 2.0f);
    cv::Mat solution;
    if (!cv::solve(cv::Mat(a), cv::Mat(b), solution, cv::DECOMP_SVD))
        return false;
    const float uc = solution.at<float>(0);
    const float vc = solution.at<float>(1);
    const float r = std::sqrt((m.suu + m.svv) / float(points.size()) + uc * uc + vc * vc);
    if (!std::isfinite(uc) || !std::isfinite(vc) || !std::isfinite(r))
        return false;
    centre = cv::Point2f(m.mean.x + uc, m.mean.y + vc);
    radius = r;
    return true;
}

bool fitCircleTaubin(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius)
{
    if (points.size() < 3)
        return false;
    // The normal equations are built about the mean of the points: the fitted circle is the
    // same, but sums over raw coordinates far from the origin lose most of double's digits.
    double mx = 0.0, my = 0.0;
    for (const cv::Point2f& p : points) {
        mx += p.x;
        my += p.y;
    }
    mx /= points.size();
    my /= points.size();
    double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0, sxxx = 0, syyy = 0, sxyy = 0, sxxy = 0;
    for (const cv::Point2f& p : points) {
        const double x = p.x - mx;
        const double y = p.y - my;
        sx += x;
        sy += y;
        sxx += x * x;
        syy += y * y;
        sxy += x * y;
        sxxx += x * x * x;
        syyy += y * y * y;
        sxyy += x * y * y;
        sxxy += x * x * y;
    }
    if (scatterIsFlat(sxx, syy, sxy, 1e-8))
        return false;
    const double n = double(points.size());
    const cv::Matx33d a(sxx, sxy, sx, sxy, syy, sy, sx, sy, n);
    const cv::Vec3d b(-(sxxx + sxyy), -(sxxy + syyy), -(sxx + syy));
    cv::Mat def;
    if (!cv::solve(cv::Mat(a), cv::Mat(b), def, cv::DECOMP_SVD))
        return false;
    const double cx = -def.at<double>(0) / 2.0;
    const double cy = -def.at<double>(1) / 2.0;
    const double r2 = cx * cx + cy * cy - def.at<double>(2);
    if (!(r2 > 0.0) || !std::isfinite(r2))
        return false;
    centre = cv::Point2f(float(cx + mx), float(cy + my));
    radius = float(std::sqrt(r2));
    return true;
}

cv::Vec3f selectBestFitCircle(const std::vector<cv::Vec3f>& circles, float /*ratio*/)
{
    if (circles.empty())
        return cv::Vec3f(0.0f, 0.0f, 0.0f);
    return *std::max_element(circles.begin(), circles.end(),
                             [](const cv::Vec3f& a, const cv::Vec3f& b) { return a[2] < b[2]; });
}

bool fitCircleHoughTransform(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius)
{
    if (points.size() < 3)
        return false;
    centre = cv::Point2f(-1.0f, -1.0f);
    radius = -1.0f;
    // The points are rendered into an image the size of their bounding box: refuse boxes
    // that are empty (HoughCircles cannot run on them) or absurdly large to allocate.
    constexpr double kMaxPixels = double(1 << 26);
    if (!allWithinPixelRange(points))
        return false;
    const cv::Rect box = findBoundingBox(points);
    if (box.width < 1 || box.height < 1 || double(box.width) * box.height > kMaxPixels)
        return false;
    cv::Mat image = cv::Mat::zeros(box.height, box.width, CV_8UC1);
    for (const cv::Point2f& p : points)
        cv::circle(image, cv::Point(int(p.x - box.x), int(p.y - box.y)), 3, cv::Scalar(255), cv::FILLED);
    cv::GaussianBlur(image, image, cv::Size(9, 9), 2.0, 2.0);
    std::vector<cv::Vec3f> circles;
    try {
        cv::HoughCircles(image, circles, cv::HOUGH_GRADIENT, 1.0, 10.0, 100.0, 15.0, 0, 0);
    } catch (const cv::Exception&) {
        return false;
    }
    const cv::Vec3f best = selectBestFitCircle(circles, 0.5f);
    if (!(best[2] > 0.0f))
        return false;
    centre = cv::Point2f(std::round(best[0]) + box.x, std::round(best[1]) + box.y);
    radius = std::round(best[2]);
    return true;
}

}  // namespace EA
