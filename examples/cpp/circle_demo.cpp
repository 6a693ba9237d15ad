// Fits a circle to points on a known rim with EA and checks the result: the
// smallest program that uses the installed native libraries.
#include <cmath>
#include <cstdio>
#include <vector>

#include "tivra/analysis/CircleFitting.h"
#include "tivra/analysis/Geometry.h"

int main()
{
    const cv::Point2f centre(64.0f, 48.0f);
    const float radius = 30.0f;
    std::vector<cv::Point2f> rim;
    for (int degrees = 0; degrees < 360; degrees += 30) {
        const double a = degrees * CV_PI / 180.0;
        rim.emplace_back(centre.x + radius * float(std::cos(a)), centre.y + radius * float(std::sin(a)));
    }

    cv::Point2f fitted;
    float fittedRadius = 0.0f;
    EA::fitCircleFromPoints(rim, fitted, fittedRadius);
    const double offset = EA::point2pointDistance(fitted, centre);
    std::printf("circle at (%.2f, %.2f), radius %.2f, %.3f px from the drawn centre\n", fitted.x, fitted.y,
                fittedRadius, offset);
    return offset < 0.01 && std::abs(fittedRadius - radius) < 0.01f ? 0 : 1;
}
