#pragma once
// Conversions of values crossing the Python boundary: NumPy arrays and images,
// tuples and lists to points, rectangles and colours, results back to tuples and
// lists, and the image-information record to a dict. Every image is copied (a
// read-only view says so);
// nothing keeps a reference to Python memory after a conversion returns.
#include <cstdint>
#include <vector>

#include <opencv2/core.hpp>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "tivra/io/ImageFileInfo.h"

namespace tivra::conversion {

/// Parameter type for images: any object NumPy can turn into an array (an
/// array of any numeric dtype, nested lists), taken as it is; ArrayToMat
/// brings its values to uint8.
struct ImageArray {
    pybind11::array array;
};

/// Array of shape (h, w), (h, w, 1), (h, w, 3) or (h, w, 4) to an owned image
/// with 1, 3 or 4 channels. Values of other dtypes saturate as outputs do:
/// clipped to 0..255, floats rounded, booleans 0 and 1. Slices, transposes and
/// negative strides are read as Python sees them. Throws std::runtime_error for
/// other shapes.
cv::Mat ArrayToMat(const ImageArray& array);

/// Image to a new uint8 array: (0,) when empty, (rows, cols) for one channel,
/// (rows, cols, channels) otherwise. Images deeper than 8 bits are converted
/// with saturation at scale 1 (values above 255 become 255, negatives 0).
pybind11::array_t<std::uint8_t> MatToArray(const cv::Mat& mat);

/// A read-only uint8 array over the image's own pixels (same shapes as
/// MatToArray), keeping a reference to them so the array stays valid however
/// long it lives. Images deeper than 8 bits are converted, so they come as a
/// read-only copy. Pixels the image does not own (a caller's array shown
/// without a copy) stay valid through `owner`, which the view then holds.
pybind11::array_t<std::uint8_t> MatToReadOnlyView(const cv::Mat& mat, const pybind11::object& owner = {});

/// List of (x, y) sequences to points; items with fewer than two elements are
/// skipped, extra elements ignored.
std::vector<cv::Point2f> ListToPoints(const pybind11::list& points);

/// (B, G, R[, A]) to a colour on 0..255; alpha defaults to 255. A tuple shorter
/// than three gives (0, 0, 0, 0).
cv::Scalar TupleToColor(const pybind11::tuple& color);

/// (x, y, w, h) to a rectangle; any other length throws std::runtime_error.
cv::Rect TupleToRect(const pybind11::tuple& rect);

pybind11::tuple RectToTuple(const cv::Rect& rect);
pybind11::tuple PointToTuple(const cv::Point2f& point);
pybind11::list PointsToList(const std::vector<cv::Point2f>& points);

/// The information record as a dict with all 19 keys in field order. Text that
/// is not valid UTF-8 (cameras write Latin-1 or Shift-JIS) is decoded with
/// replacement characters instead of failing the whole call.
pybind11::dict InfoToDict(const ImageFileInfo& info);

/// The image of `array` for calls that only look at it while they run and keep
/// nothing: the same shapes and values as ArrayToMat, read in place (without
/// the copy) when the array already holds packed uint8. Valid only while
/// `array` lives.
cv::Mat ArrayAsMat(const ImageArray& array);

/// Array to an owned image for the panels, which show deep images: uint16,
/// int16, float32 and float64 arrays keep their values and dtype (float16
/// becomes float32); every other dtype is brought to uint8 as ArrayToMat does.
cv::Mat ArrayToRawMat(const ImageArray& array);

/// Image to a new array of its own element type (uint8, uint16, int16,
/// float32, float64), shaped as MatToArray shapes it; other depths saturate
/// to uint8.
pybind11::array RawMatToArray(const cv::Mat& mat);

/// The image of `array` for a panel that copies what it keeps: as
/// ArrayToRawMat, read in place (without the copy) when the array already
/// holds packed uint8, uint16, int16, float32 or float64 of native byte order.
/// Valid only while `array` lives.
cv::Mat ArrayAsRawMat(const ImageArray& array);

/// Any (N, 2) array-like of real numbers (a NumPy array of any real dtype, a
/// list of pairs) to points; an empty sequence gives no points. Other shapes
/// raise ValueError naming `name` and the shape. NaN passes through.
std::vector<cv::Point2f> ArrayToPoints(const pybind11::handle& points, const char* name);

/// A 2-sequence (x, y) of real numbers to a point; anything else raises
/// ValueError naming `name`.
cv::Point2f TupleToPoint(const pybind11::handle& point, const char* name);

/// Points to a new (N, 2) float32 array.
pybind11::array_t<float> PointsToArray(const std::vector<cv::Point2f>& points);

}  // namespace tivra::conversion

namespace pybind11::detail {

// Takes any array-like object without casting it: NumPy's own cast to uint8
// would wrap values around (1000 -> 232) where the module saturates.
template <>
struct type_caster<tivra::conversion::ImageArray> {
    PYBIND11_TYPE_CASTER(tivra::conversion::ImageArray, const_name("numpy.ndarray[numpy.uint8]"));

    bool load(handle source, bool convert)
    {
        if (!convert && !array::check_(source))
            return false;
        value.array = array::ensure(source);
        if (!value.array)
            return false;
        // Booleans, integers and floats; None, text and objects are no image.
        const char kind = value.array.dtype().kind();
        return kind == 'b' || kind == 'i' || kind == 'u' || kind == 'f';
    }
};

}  // namespace pybind11::detail
