#pragma once
// Registration of the Python surface, split by area. Each function adds its
// classes, functions or attributes to the module object it is given.
#include <pybind11/pybind11.h>

namespace tivra::bindings {

void BindEnums(pybind11::module_& m);
void BindImageInfo(pybind11::module_& m);
void BindConstants(pybind11::module_& m);

}  // namespace tivra::bindings
