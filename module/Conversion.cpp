#include "Conversion.h"

#include <climits>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

#include "tivra/io/LargeImage.h"

namespace py = pybind11;

namespace tivra::conversion {
namespace {

std::string ShapeText(const std::vector<py::ssize_t>& shape)
{
    std::string text = "(";
    for (size_t i = 0; i < shape.size(); ++i)
        text += (i ? ", " : "") + std::to_string(shape[i]);
    return text + (shape.size() == 1 ? ",)" : ")");
}

// A (h, w, 2) or (h, w, 5) array has no image meaning here: reading it as one
// channel would silently scramble its pixels, so it is refused.
int ChannelsOfShape(const std::vector<py::ssize_t>& shape)
{
    if (shape.size() == 2)
        return 1;
    const py::ssize_t depth = shape[2];
    if (depth == 1 || depth == 3 || depth == 4)
        return static_cast<int>(depth);
    throw std::runtime_error("Image array must have 1, 3 or 4 channels in its third dimension, got shape " +
                             ShapeText(shape));
}

// Size and channel count of an image array, checked.
std::pair<cv::Size, int> ImageShapeOf(const py::array& array)
{
    if (array.ndim() != 2 && array.ndim() != 3)
        throw std::runtime_error("Number of dimensions must be 2 or 3");
    const std::vector<py::ssize_t> shape(array.shape(), array.shape() + array.ndim());
    const int channels = ChannelsOfShape(shape);
    if (shape[0] > INT_MAX || shape[1] > INT_MAX)
        throw std::runtime_error("Image array is too large, got shape " + ShapeText(shape));
    return {cv::Size(static_cast<int>(shape[1]), static_cast<int>(shape[0])), channels};
}

// The array's elements as packed row-major T (a view when they already are),
// brought to an owned 8-bit image: cloned, or converted with saturation and
// rounding.
template <typename T>
cv::Mat PackedToMat(const py::array& array, cv::Size size, int depth, int channels)
{
    using Packed = py::array_t<T, py::array::c_style | py::array::forcecast>;
    const Packed packed = Packed::ensure(array);  // numbers cast to T always
    const size_t rowBytes = static_cast<size_t>(size.width) * static_cast<size_t>(channels) * sizeof(T);
    const cv::Mat view(size, CV_MAKETYPE(depth, channels), const_cast<T*>(packed.data()), rowBytes);
    if (depth == CV_8U)
        return LargeCopy(view);
    cv::Mat owned;
    if (depth == CV_32F || depth == CV_64F) {
        // Clipped first: the rounding inside convertTo overflows int beyond
        // 2^31 and would turn 1e12 into 0.
        cv::max(view, 0.0, owned);
        cv::min(owned, 255.0, owned);
        owned.convertTo(owned, CV_MAKETYPE(CV_8U, channels));
    } else {
        view.convertTo(owned, CV_MAKETYPE(CV_8U, channels));
    }
    return owned;
}

// The array's elements as an owned image of T, values unchanged.
template <typename T>
cv::Mat KeptMat(const py::array& array, cv::Size size, int depth, int channels)
{
    using Packed = py::array_t<T, py::array::c_style | py::array::forcecast>;
    const Packed packed = Packed::ensure(array);  // float16 widens to float32 exactly
    const size_t rowBytes = static_cast<size_t>(size.width) * static_cast<size_t>(channels) * sizeof(T);
    return LargeCopy(cv::Mat(size, CV_MAKETYPE(depth, channels), const_cast<T*>(packed.data()), rowBytes));
}

// A new array of T holding the image's pixels: (rows, cols) for one channel,
// (rows, cols, channels) otherwise.
template <typename T>
py::array_t<T> CopyToArray(const cv::Mat& mat)
{
    std::vector<py::ssize_t> shape{mat.rows, mat.cols};
    if (mat.channels() > 1)
        shape.push_back(mat.channels());
    py::array_t<T> array(shape);
    auto* out = reinterpret_cast<std::uint8_t*>(array.mutable_data());
    const size_t rowBytes = static_cast<size_t>(mat.cols) * mat.elemSize();
    if (mat.isContinuous()) {
        std::memcpy(out, mat.data, rowBytes * mat.rows);
    } else {
        for (int y = 0; y < mat.rows; ++y)
            std::memcpy(out + rowBytes * y, mat.ptr(y), rowBytes);
    }
    return array;
}

std::string Repr(const py::handle& value)
{
    return py::repr(value).cast<std::string>();
}

// Element i of a tuple argument as T. One that does not convert fails with a
// message naming the argument and its expected form, instead of the binding
// layer's "Unable to cast Python instance to C++ type".
template <typename T>
T Element(const py::tuple& tuple, size_t i, const std::string& argument, const char* form)
{
    try {
        return tuple[i].cast<T>();
    } catch (const py::cast_error&) {
        throw std::runtime_error(argument + " must be " + form + ", got " + Repr(tuple));
    }
}

// Decodes invalid UTF-8 with U+FFFD instead of raising: one badly encoded EXIF
// field must not make a whole photo's information unreadable.
py::str DecodeText(const std::string& text)
{
    PyObject* decoded = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
    if (!decoded)
        throw py::error_already_set();
    return py::reinterpret_steal<py::str>(decoded);
}

}  // namespace

cv::Mat ArrayToMat(const ImageArray& image)
{
    const py::array& array = image.array;
    const auto [size, channels] = ImageShapeOf(array);
    if (size.area() == 0)
        return cv::Mat();

    const py::dtype type = array.dtype();
    const char kind = type.kind();
    const py::ssize_t bytes = type.itemsize();
    if ((kind == 'u' || kind == 'b') && bytes == 1)
        return PackedToMat<std::uint8_t>(array, size, CV_8U, channels);  // bool: 0 and 1
    if (kind == 'i' && bytes == 1)
        return PackedToMat<std::int8_t>(array, size, CV_8S, channels);
    if (kind == 'u' && bytes == 2)
        return PackedToMat<std::uint16_t>(array, size, CV_16U, channels);
    if (kind == 'i' && bytes == 2)
        return PackedToMat<std::int16_t>(array, size, CV_16S, channels);
    if (kind == 'i' && bytes == 4)
        return PackedToMat<std::int32_t>(array, size, CV_32S, channels);
    if (kind == 'f' && bytes == 4)
        return PackedToMat<float>(array, size, CV_32F, channels);
    // float64 and what OpenCV has no depth for (64-bit and unsigned 32-bit
    // integers, half floats, Python objects): read as float64, which keeps
    // every value's side of 0 and 255.
    return PackedToMat<double>(array, size, CV_64F, channels);
}

py::array_t<std::uint8_t> MatToArray(const cv::Mat& mat)
{
    if (mat.empty())
        return py::array_t<std::uint8_t>(0);
    if (mat.dims > 2)
        throw std::runtime_error("Only two-dimensional images can be returned as arrays");
    cv::Mat bytes = mat;
    if (mat.depth() != CV_8U)
        mat.convertTo(bytes, CV_MAKETYPE(CV_8U, mat.channels()));  // saturating, scale 1
    return CopyToArray<std::uint8_t>(bytes);
}

cv::Mat ArrayToRawMat(const ImageArray& image)
{
    const py::array& array = image.array;
    const auto [size, channels] = ImageShapeOf(array);
    if (size.area() == 0)
        return cv::Mat();
    const char kind = array.dtype().kind();
    const py::ssize_t bytes = array.dtype().itemsize();
    if (kind == 'u' && bytes == 2)
        return KeptMat<std::uint16_t>(array, size, CV_16U, channels);
    if (kind == 'i' && bytes == 2)
        return KeptMat<std::int16_t>(array, size, CV_16S, channels);
    if (kind == 'f' && bytes <= 4)
        return KeptMat<float>(array, size, CV_32F, channels);
    if (kind == 'f' && bytes == 8)
        return KeptMat<double>(array, size, CV_64F, channels);
    return ArrayToMat(image);
}

py::array RawMatToArray(const cv::Mat& mat)
{
    if (mat.empty() || mat.dims > 2)
        return MatToArray(mat);
    switch (mat.depth()) {
    case CV_16U: return CopyToArray<std::uint16_t>(mat);
    case CV_16S: return CopyToArray<std::int16_t>(mat);
    case CV_32F: return CopyToArray<float>(mat);
    case CV_64F: return CopyToArray<double>(mat);
    default: return MatToArray(mat);
    }
}

py::array_t<std::uint8_t> MatToReadOnlyView(const cv::Mat& mat, const py::object& owner)
{
    if (mat.empty() || mat.depth() != CV_8U || mat.dims > 2) {
        py::array_t<std::uint8_t> copy = MatToArray(mat);
        copy.attr("setflags")(py::arg("write") = false);
        return copy;
    }
    std::vector<py::ssize_t> shape{mat.rows, mat.cols};
    std::vector<py::ssize_t> strides{static_cast<py::ssize_t>(mat.step[0]), static_cast<py::ssize_t>(mat.elemSize())};
    if (mat.channels() > 1) {
        shape.push_back(mat.channels());
        strides.push_back(1);
    }
    // The capsule holds a counted reference to the pixels: the engine may move on
    // to another image meanwhile, the array keeps these. A Mat over memory it
    // does not own counts nothing, so then the memory's owner is held instead.
    py::object base = owner;
    if (mat.u != nullptr || !base) {
        auto* held = new cv::Mat(mat);
        base = py::capsule(held, [](void* p) { delete static_cast<cv::Mat*>(p); });
    }
    py::array_t<std::uint8_t> view(shape, strides, mat.data, base);
    view.attr("setflags")(py::arg("write") = false);
    return view;
}

std::vector<cv::Point2f> ListToPoints(const py::list& points)
{
    std::vector<cv::Point2f> result;
    // The length is re-read every step: a conversion may run Python code.
    for (size_t i = 0; i < py::len(points); ++i) {
        py::object item = points[i];
        const std::string name = "points[" + std::to_string(i) + "]";
        py::tuple pair;
        try {
            pair = py::isinstance<py::tuple>(item) ? py::reinterpret_borrow<py::tuple>(item) : py::tuple(item);
        } catch (const py::error_already_set&) {
            throw py::type_error(name + " must be an (x, y) pair of numbers, got " + Repr(item));
        }
        if (pair.size() < 2)
            continue;
        result.emplace_back(Element<float>(pair, 0, name, "an (x, y) pair of numbers"),
                            Element<float>(pair, 1, name, "an (x, y) pair of numbers"));
    }
    return result;
}

cv::Scalar TupleToColor(const py::tuple& color)
{
    if (color.size() < 3)
        return cv::Scalar(0, 0, 0, 0);
    const char* const form = "(B, G, R) or (B, G, R, A) numbers";
    const double alpha = color.size() >= 4 ? Element<double>(color, 3, "color", form) : 255.0;
    return cv::Scalar(Element<double>(color, 0, "color", form), Element<double>(color, 1, "color", form),
                      Element<double>(color, 2, "color", form), alpha);
}

cv::Rect TupleToRect(const py::tuple& rect)
{
    if (rect.size() != 4)
        throw std::runtime_error("Rect tuple must have 4 elements (x, y, w, h)");
    const char* const form = "(x, y, w, h) of ints";
    return cv::Rect(Element<int>(rect, 0, "rect", form), Element<int>(rect, 1, "rect", form),
                    Element<int>(rect, 2, "rect", form), Element<int>(rect, 3, "rect", form));
}

py::tuple RectToTuple(const cv::Rect& rect)
{
    return py::make_tuple(rect.x, rect.y, rect.width, rect.height);
}

py::tuple PointToTuple(const cv::Point2f& point)
{
    return py::make_tuple(static_cast<double>(point.x), static_cast<double>(point.y));
}

py::list PointsToList(const std::vector<cv::Point2f>& points)
{
    py::list list;
    for (const cv::Point2f& point : points)
        list.append(PointToTuple(point));
    return list;
}

py::dict InfoToDict(const ImageFileInfo& info)
{
    py::dict extra;
    for (const auto& [name, value] : info.extra)  // std::map: ascending byte order
        extra[DecodeText(name.substr(0, name.find('\0')))] = DecodeText(value);

    py::dict dict;
    dict["width"] = info.width;
    dict["height"] = info.height;
    dict["channels"] = info.channels;
    dict["bit_depth"] = info.bit_depth;
    dict["format"] = DecodeText(info.format);
    dict["has_exif"] = info.has_exif;
    dict["orientation"] = info.orientation;
    dict["date_time"] = DecodeText(info.date_time);
    dict["camera_make"] = DecodeText(info.camera_make);
    dict["camera_model"] = DecodeText(info.camera_model);
    dict["focal_length"] = info.focal_length;
    dict["f_number"] = info.f_number;
    dict["exposure_time"] = info.exposure_time;
    dict["iso"] = info.iso;
    dict["has_gps"] = info.has_gps;
    dict["gps_lat"] = info.gps_lat;
    dict["gps_lon"] = info.gps_lon;
    dict["gps_alt"] = info.gps_alt;
    dict["extra"] = extra;
    return dict;
}

}  // namespace tivra::conversion

namespace tivra::conversion {

cv::Mat ArrayAsMat(const ImageArray& image)
{
    const py::array& array = image.array;
    const py::dtype type = array.dtype();
    const bool packedBytes =
        type.kind() == 'u' && type.itemsize() == 1 && (array.flags() & py::array::c_style) != 0;
    if (!packedBytes)
        return ArrayToMat(image);  // an owned, saturated copy
    const auto [size, channels] = ImageShapeOf(array);
    if (size.area() == 0)
        return cv::Mat();
    return cv::Mat(size, CV_MAKETYPE(CV_8U, channels), const_cast<void*>(array.data()));
}

namespace {

// The depth of a packed, native-order array the panels keep as it is, or -1.
int PackedRawDepth(const py::array& array)
{
    constexpr int kStyle = py::array::c_style;
    if (py::array_t<std::uint16_t, kStyle>::check_(array))
        return CV_16U;
    if (py::array_t<std::int16_t, kStyle>::check_(array))
        return CV_16S;
    if (py::array_t<float, kStyle>::check_(array))
        return CV_32F;
    if (py::array_t<double, kStyle>::check_(array))
        return CV_64F;
    return -1;
}

}  // namespace

cv::Mat ArrayAsRawMat(const ImageArray& image)
{
    const py::array& array = image.array;
    const int depth = PackedRawDepth(array);
    if (depth < 0) {
        const py::dtype type = array.dtype();
        const bool bytes = type.kind() == 'u' && type.itemsize() == 1;
        return bytes ? ArrayAsMat(image) : ArrayToRawMat(image);
    }
    const auto [size, channels] = ImageShapeOf(array);
    if (size.area() == 0)
        return cv::Mat();
    return cv::Mat(size, CV_MAKETYPE(depth, channels), const_cast<void*>(array.data()));
}

namespace {

// Reads a list or tuple of (x, y) lists or tuples of Python floats or ints directly:
// NumPy's generic conversion of such a list costs about ten times more. Only exact
// types are read, so no Python code runs meanwhile; anything else (NumPy scalars,
// other sequences, bad items) returns false and takes NumPy's road.
bool ReadPairList(PyObject* sequence, std::vector<cv::Point2f>& out)
{
    if (!PyList_CheckExact(sequence) && !PyTuple_CheckExact(sequence))
        return false;
    const Py_ssize_t count = PySequence_Fast_GET_SIZE(sequence);
    out.reserve(static_cast<size_t>(count));
    for (Py_ssize_t i = 0; i < count; ++i) {
        PyObject* item = PySequence_Fast_GET_ITEM(sequence, i);
        if ((!PyList_CheckExact(item) && !PyTuple_CheckExact(item)) || PySequence_Fast_GET_SIZE(item) != 2)
            return false;
        double xy[2];
        for (int k = 0; k < 2; ++k) {
            PyObject* value = PySequence_Fast_GET_ITEM(item, k);
            if (!PyFloat_CheckExact(value) && !PyLong_CheckExact(value))
                return false;
            xy[k] = PyFloat_AsDouble(value);
            if (xy[k] == -1.0 && PyErr_Occurred()) {  // an int too large for a double
                PyErr_Clear();
                return false;
            }
        }
        out.emplace_back(static_cast<float>(xy[0]), static_cast<float>(xy[1]));
    }
    return true;
}

}  // namespace

std::vector<cv::Point2f> ArrayToPoints(const py::handle& points, const char* name)
{
    std::vector<cv::Point2f> pairs;
    if (ReadPairList(points.ptr(), pairs))
        return pairs;
    using FloatArray = py::array_t<float, py::array::c_style | py::array::forcecast>;
    const FloatArray array = FloatArray::ensure(points);  // NumPy casts; null (error cleared) when it cannot
    if (!array)
        throw py::value_error(std::string(name) + " must be an (N, 2) array-like of real numbers, got " +
                              std::string(py::str(py::type::handle_of(points).attr("__name__"))));
    const bool empty = array.ndim() == 1 && array.shape(0) == 0;
    if (!empty && (array.ndim() != 2 || array.shape(1) != 2))
        throw py::value_error(std::string(name) + " must have shape (N, 2), got shape " +
                              ShapeText({array.shape(), array.shape() + array.ndim()}));
    const size_t count = empty ? 0 : static_cast<size_t>(array.shape(0));
    const float* xy = array.data();
    std::vector<cv::Point2f> result;
    result.reserve(count);
    for (size_t i = 0; i < count; ++i)
        result.emplace_back(xy[2 * i], xy[2 * i + 1]);
    return result;
}

cv::Point2f TupleToPoint(const py::handle& point, const char* name)
{
    if (py::isinstance<py::sequence>(point) && !py::isinstance<py::str>(point)) {
        const py::sequence pair = py::reinterpret_borrow<py::sequence>(point);
        if (pair.size() == 2) {
            try {
                return cv::Point2f(pair[0].cast<float>(), pair[1].cast<float>());
            } catch (const py::cast_error&) {
            }
        }
    }
    throw py::value_error(std::string(name) + " must be an (x, y) pair of real numbers, got " +
                          std::string(py::repr(point)));
}

py::array_t<float> PointsToArray(const std::vector<cv::Point2f>& points)
{
    py::array_t<float> array({static_cast<py::ssize_t>(points.size()), py::ssize_t{2}});
    float* xy = array.mutable_data();
    for (size_t i = 0; i < points.size(); ++i) {
        xy[2 * i] = points[i].x;
        xy[2 * i + 1] = points[i].y;
    }
    return array;
}

}  // namespace tivra::conversion
