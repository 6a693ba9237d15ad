#pragma once
// The EA submodule: the measurement library for Python. BindEA creates
// TivraModule.EA and calls one registration function per family; a new family
// adds its function here and one call in BindEA.cpp. The helpers below keep the
// value rules of the families alike.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <opencv2/core.hpp>

#include <vector>

namespace tivra::bindings {

void BindEAGeometry(pybind11::module_& ea);
void BindEAEdgeSearch(pybind11::module_& ea);
void BindEACircleFitting(pybind11::module_& ea);
void BindEALineFitting(pybind11::module_& ea);
void BindEAFrontDoors(pybind11::module_& ea);
void BindEAGauges(pybind11::module_& ea);

namespace ea {

/// Pixel position (x, y) from a 2-sequence of real numbers; non-finite values, or
/// values beyond any image, raise ValueError.
cv::Point2f ToPixelPosition(const pybind11::handle& point, const char* name);

/// ToPixelPosition rounded to the nearest whole pixel, as cv::Point does.
cv::Point ToPixel(const pybind11::handle& point, const char* name);

/// A 4-sequence of real numbers (a line in either four-float form) to a Vec4f.
cv::Vec4f ToVec4(const pybind11::handle& values, const char* name);

pybind11::tuple PointTuple(const cv::Point2f& p);
pybind11::tuple Vec4Tuple(const cv::Vec4f& v);

/// (cx, cy, r), or None when the fitter reports failure or gives no circle (radius not positive).
pybind11::object CircleOrNone(bool found, const cv::Point2f& centre, float radius);

/// A 1-D float64 array holding `values`.
pybind11::array_t<double> DoubleArray(const std::vector<double>& values);

}  // namespace ea
}  // namespace tivra::bindings
