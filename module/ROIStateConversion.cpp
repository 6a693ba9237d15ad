#include "ROIStateConversion.h"

#include <limits>

namespace py = pybind11;

namespace tivra::conversion {
namespace {

// A state is at most two lists deep (points, then pairs): deeper nesting is
// never read, and not following it keeps hostile input from exhausting the stack.
constexpr int kDeepestList = 2;

py::object ToPython(const ROIStateValue& v)
{
    switch (v.type) {
    case ROIStateValue::Type::Bool: return py::bool_(v.flag);
    case ROIStateValue::Type::Integer: return py::int_(static_cast<long long>(v.number));
    case ROIStateValue::Type::Real: return py::float_(v.number);
    case ROIStateValue::Type::Text: return py::str(v.text);
    case ROIStateValue::Type::List: {
        py::list items;
        for (const ROIStateValue& item : v.items)
            items.append(ToPython(item));
        return std::move(items);
    }
    default: return py::none();
    }
}

ROIStateValue Integer(const py::handle& h)
{
    ROIStateValue v;
    v.type = ROIStateValue::Type::Integer;
    v.number = PyLong_AsDouble(h.ptr());
    if (v.number == -1.0 && PyErr_Occurred()) {
        PyErr_Clear(); // too large for a double: absurd, and named as such
        v.number = std::numeric_limits<double>::infinity();
    }
    return v;
}

ROIStateValue FromPython(const py::handle& h, int depth)
{
    PyObject* o = h.ptr();
    if (PyBool_Check(o))
        return ROIStateValue::Boolean(o == Py_True);
    if (PyLong_Check(o))
        return Integer(h);
    if (PyFloat_Check(o))
        return ROIStateValue::Real(PyFloat_AsDouble(o));
    if (PyUnicode_Check(o))
        return ROIStateValue::String(h.cast<std::string>());
    ROIStateValue other;
    other.text = Py_TYPE(o)->tp_name;
    if ((!PyList_Check(o) && !PyTuple_Check(o)) || depth >= kDeepestList)
        return other;
    std::vector<ROIStateValue> items;
    for (const py::handle item : py::reinterpret_borrow<py::sequence>(h))
        items.push_back(FromPython(item, depth + 1));
    return ROIStateValue::Sequence(std::move(items));
}

} // namespace

py::dict ROIStateToDict(const ROIStateFields& fields)
{
    py::dict state;
    for (const auto& [key, value] : fields)
        state[py::str(key)] = ToPython(value);
    return state;
}

ROIStateFields DictToROIState(const py::dict& state)
{
    ROIStateFields fields;
    for (const auto& [key, value] : state)
        if (PyUnicode_Check(key.ptr()))
            fields[key.cast<std::string>()] = FromPython(value, 0);
    return fields;
}

} // namespace tivra::conversion
