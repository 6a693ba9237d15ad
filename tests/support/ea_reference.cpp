// Prints what the native measurement library gives on the fixtures that
// tests/module/test_ea.py writes, so that the test can compare the Python surface
// with the native calls result by result.
//
// usage: ea_reference <circle points> <line points> <image>
// Point files hold packed float32 (x, y) pairs. Every output line is a name and
// its numbers; floats are printed with enough digits to read back exactly.
#include <opencv2/imgcodecs.hpp>

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "tivra/analysis/CircleFitting.h"
#include "tivra/analysis/CurvePeakValley.h"
#include "tivra/analysis/EdgeSearch.h"
#include "tivra/analysis/Geometry.h"
#include "tivra/analysis/LineFitting.h"

namespace {

using Points = std::vector<cv::Point2f>;

Points ReadPoints(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Points points(bytes.size() / sizeof(cv::Point2f));
    std::copy(bytes.begin(), bytes.begin() + long(points.size() * sizeof(cv::Point2f)),
              reinterpret_cast<char*>(points.data()));
    return points;
}

void Print(const std::string& name, std::initializer_list<double> values)
{
    std::printf("%s", name.c_str());
    for (double v : values)
        std::printf(" %.17g", v);
    std::printf("\n");
}

void PrintPoints(const std::string& name, const Points& points)
{
    std::printf("%s", name.c_str());
    for (const cv::Point2f& p : points)
        std::printf(" %.17g %.17g", double(p.x), double(p.y));
    std::printf("\n");
}

// Runs `fit(centre, radius)` and prints the circle, or nothing when it reports none.
template <typename Fit>
void Circle(const std::string& name, Fit fit)
{
    cv::Point2f c;
    float r = 0;
    if (fit(c, r) && r > 0)
        Print(name, {c.x, c.y, r});
    else
        Print(name, {});
}

void Geometry(const Points& p)
{
    cv::Point2f out;
    Circle("circleFromThreePoints", [&](cv::Point2f& c, float& r) { return EA::circleFromThreePoints(p[0], p[7], p[13], c, r); });
    Print("calculate3pointsAngle", {EA::calculate3pointsAngle(p[0], p[7], p[13])});
    Print("calculatepoint2pointAngle", {EA::calculatepoint2pointAngle(p[0], p[7])});
    const cv::Point2f rotated = EA::rotatePoint(p[3], p[9], 33.0);
    Print("rotatePoint", {rotated.x, rotated.y});
    Print("point2LineDistance", {EA::point2LineDistance(p[0], p[7], p[13])});
    EA::getLineIntersection(p[0], p[7], p[3], p[13], out);
    Print("getLineIntersection", {out.x, out.y});
    cv::Vec4f bisector;
    EA::calcBisectoroftwolines(p[0], p[7], p[3], p[13], bisector);
    Print("calcBisectoroftwolines", {bisector[0], bisector[1], bisector[2], bisector[3]});
    const cv::Point2f centre = EA::calcPolygonCenter(Points(p.begin(), p.begin() + 20));
    Print("calcPolygonCenter", {centre.x, centre.y});
    const cv::Rect box = EA::findBoundingBox(p);
    Print("findBoundingBox", {double(box.x), double(box.y), double(box.width), double(box.height)});
    PrintPoints("calculateEquidistantPoints", EA::calculateEquidistantPoints(p[0], p[7], 3.0));
}

void EdgeSearch(const cv::Mat& img, const Points& circle)
{
    int index = -1;
    std::vector<double> profile, response;
    const cv::Point from(5, 60), to(150, 60);
    cv::Point2f e = EA::findEdgePoint(img, 40, 1, 5, from, to, 8, index);
    Print("findEdgePoint", {e.x, e.y, double(index)});
    e = EA::findEdgePoint_subPixel(img, 40, 2, 4, from, to, 4, profile, response, index);
    Print("findEdgePoint_subPixel", {e.x, e.y, double(index)});
    std::printf("profile");
    for (size_t i = 0; i < profile.size(); ++i)
        std::printf(" %.17g %.17g", profile[i], response[i]);
    std::printf("\n");
    e = EA::findArcEdgePoint_subPixel(img, 40, 0, 3, circle, index);
    Print("findArcEdgePoint_subPixel", {e.x, e.y, double(index)});
    PrintPoints("findAllEdgePoints", EA::findAllEdgePoints(img, 40, 0, 3, from, to, 8));
    PrintPoints("findAllEdgePoints_subPixel", EA::findAllEdgePoints_subPixel(img, 40, 0, 3, from, to, 8));
}

void CircleFitting(const Points& p)
{
    using Robust = bool (*)(const Points&, cv::Point2f&, float&, int, float, float, float);
    using Plain = void (*)(const Points&, cv::Point2f&, float&, int, float, float, float);
    for (auto [name, fit] : {std::pair<const char*, Plain>{"fitCircleRANSAC", EA::fitCircleRANSAC},
                             {"fitCircleRANSAC2", EA::fitCircleRANSAC2},
                             {"fitCircleUSAC", EA::fitCircleUSAC}})
        Circle(name, [&, fit = fit](cv::Point2f& c, float& r) {
            fit(p, c, r, 300, 1.5f, 5.0f, 0.0f);
            return true;
        });
    for (auto [name, fit] : {std::pair<const char*, Robust>{"fitCircleChatGPT", EA::fitCircleChatGPT},
                             {"fitCircleChatGPTv2", EA::fitCircleChatGPTv2},
                             {"fitCircleGeminiPro", EA::fitCircleGeminiPro},
                             {"fitCircleGeminiUltra", EA::fitCircleGeminiUltra},
                             {"fitCircleClaudeOpus45", EA::fitCircleClaudeOpus45},
                             {"fitCircleClaudeOpus45v2", EA::fitCircleClaudeOpus45v2}})
        Circle(name, [&, fit = fit](cv::Point2f& c, float& r) { return fit(p, c, r, 300, 1.5f, 5.0f, 0.0f); });
    Circle("fitCircleFromPoints", [&](cv::Point2f& c, float& r) {
        EA::fitCircleFromPoints(p, c, r);
        return true;
    });
    Circle("fitCircleLeastSquares", [&](cv::Point2f& c, float& r) { return EA::fitCircleLeastSquares(p, c, r); });
    Circle("fitCircleTaubin", [&](cv::Point2f& c, float& r) { return EA::fitCircleTaubin(p, c, r); });
    Circle("fitCircleHoughTransform", [&](cv::Point2f& c, float& r) { return EA::fitCircleHoughTransform(p, c, r); });
    float mean = 0, max = 0, min = 0;
    cv::Point2f a, b, d, e;
    EA::FindMeanMaxMinRadius(p, cv::Point2f(80, 60), mean, max, min, a, b);
    Print("FindMeanMaxMinRadius", {mean, max, min, a.x, a.y, b.x, b.y});
    EA::FindMeanMaxMinDiameter(int(p.size()), p, cv::Point2f(80, 60), mean, max, min, a, b, d, e);
    Print("FindMeanMaxMinDiameter", {mean, max, min, a.x, a.y, b.x, b.y, d.x, d.y, e.x, e.y});
}

void LineFitting(const Points& p)
{
    using Plain = void (*)(const Points&, cv::Vec4f&);
    for (auto [name, fit] : {std::pair<const char*, Plain>{"fitLineLeastSquares", EA::fitLineLeastSquares},
                             {"fitLineUSAC", EA::fitLineUSAC},
                             {"fitLineTaubin", EA::fitLineTaubin},
                             {"fitLineKMeans", EA::fitLineKMeans},
                             {"fitLineLevenbergMarquardt", EA::fitLineLevenbergMarquardt}}) {
        cv::Vec4f l(0, 0, 0, 0);
        fit(p, l);
        Print(name, {l[0], l[1], l[2], l[3]});
    }
    cv::Vec4f l(0, 0, 0, 0);
    EA::fitLineRANSAC(p, l, 200, 1.0, 10);
    Print("fitLineRANSAC", {l[0], l[1], l[2], l[3]});
    EA::fitLineChatGPT(p, l, 200, 1.0, 10);
    Print("fitLineChatGPT", {l[0], l[1], l[2], l[3]});
    l = cv::Vec4f(0, 0, 0, 0);
    EA::fitLineLeastSquaresUSAC(p, l, 200, 1.0f);
    Print("fitLineLeastSquaresUSAC", {l[0], l[1], l[2], l[3]});
    EA::fitLineClaudeOpus45(p, l, 200, 1.0, 10);
    Print("fitLineClaudeOpus45", {l[0], l[1], l[2], l[3]});
    EA::fitLineGeminiPro(p, l, 200, 1.0, 2, 10);
    Print("fitLineGeminiPro", {l[0], l[1], l[2], l[3]});
    const cv::Vec3f curve = EA::fitLinearCurve(p, 1);
    Print("fitLinearCurve", {curve[0], curve[1], curve[2]});
}

void CurvePeakValley(const Points& p)
{
    int peak = -1, valley = -1;
    cv::Point2f peakPoint, valleyPoint;
    float peakDistance = 0, valleyDistance = 0, peakValue = 0, valleyValue = 0;
    EA::findCruveLocalPeakValleyPoint(p, peak, valley, peakPoint, valleyPoint, peakDistance, valleyDistance,
                                      peakValue, valleyValue, nullptr, nullptr, 3, 4);
    Print("findCruveLocalPeakValleyPoint", {double(peak), peakPoint.x, peakPoint.y, peakDistance, peakValue,
                                            double(valley), valleyPoint.x, valleyPoint.y, valleyDistance,
                                            valleyValue});
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: ea_reference <circle points> <line points> <image>\n");
        return 2;
    }
    const Points circle = ReadPoints(argv[1]);
    const Points line = ReadPoints(argv[2]);
    const cv::Mat image = cv::imread(argv[3], cv::IMREAD_UNCHANGED);
    if (circle.size() < 20 || line.size() < 2 || image.empty()) {
        std::fprintf(stderr, "ea_reference: unreadable fixtures\n");
        return 2;
    }
    Geometry(circle);
    EdgeSearch(image, circle);
    CircleFitting(circle);
    LineFitting(line);
    CurvePeakValley(line);
    return 0;
}
