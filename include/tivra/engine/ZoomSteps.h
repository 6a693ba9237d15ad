#pragma once
// Zoom arithmetic of the advanced panel: fixed steps that depend on the current
// factor, the [0.1, 20] limits and the fit-to-window factor. Pure functions, no window.
#include <opencv2/core.hpp>

namespace ZoomSteps {

constexpr double kMinZoom = 0.1;
constexpr double kMaxZoom = 20.0;

/// The factor one zoom-in step above `scale`, at most 20.0 (a NaN factor gives 20.0).
/// Steps: +0.1 below 1.0, +0.25 from 1.0 up to below 2.0, +0.5 from 2.0 on.
double StepIn(double scale);

/// The factor one zoom-out step below `scale`, at least 0.1 (a NaN factor gives 0.1).
/// Steps: -0.1 up to 1.0, -0.25 above 1.0 up to 2.0, -0.5 above 2.0.
double StepOut(double scale);

/// The largest factor at which `image` fits into `client`, limited to [0.1, 20.0].
/// An empty image gives 1.0.
double FitToWindow(cv::Size client, cv::Size image);

}  // namespace ZoomSteps
