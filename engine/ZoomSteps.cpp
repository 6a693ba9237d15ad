#include "tivra/engine/ZoomSteps.h"

#include <algorithm>
#include <cmath>

namespace ZoomSteps {

double StepIn(double scale)
{
    double step = 0.5;
    if (scale < 1.0)
        step = 0.1;
    else if (scale < 2.0)
        step = 0.25;
    // fmin keeps the number when the other side is NaN: NaN + step ends at the cap.
    return std::fmin(scale + step, kMaxZoom);
}

double StepOut(double scale)
{
    double step = 0.5;
    if (scale <= 1.0)
        step = 0.1;
    else if (scale <= 2.0)
        step = 0.25;
    return std::fmax(scale - step, kMinZoom);
}

double FitToWindow(cv::Size client, cv::Size image)
{
    if (image.width < 1 || image.height < 1)
        return 1.0;
    const double fit = std::min(static_cast<double>(client.width) / image.width,
                                static_cast<double>(client.height) / image.height);
    return std::fmax(std::fmin(fit, kMaxZoom), kMinZoom);
}

}  // namespace ZoomSteps
