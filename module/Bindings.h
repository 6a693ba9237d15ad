#pragma once
// Registration of the Python surface, split by area. Each function adds its
// classes, functions or attributes to the module object it is given.
#include <pybind11/pybind11.h>

#include <cstdint>

namespace tivra::bindings {

// The C++ types behind the four Python enumerations: scoped enumerations over
// int32, so that a member compares equal only within its own enumeration and
// has no ordering or bitwise operators. Methods taking or returning an
// enumeration use these types and cast to the engine's own.
enum class CvDisplayModeValue : int32_t {};
enum class CvROIModeValue : int32_t {};
enum class GuideLineModeValue : int32_t {};
enum class AspectRatioValue : int32_t {};

void BindEnums(pybind11::module_& m);
void BindEngine(pybind11::module_& m);
void BindImageInfo(pybind11::module_& m);
void BindPanelBase(pybind11::module_& m);  // before the two panel classes that derive from it
void BindPanel(pybind11::module_& m);
void BindROIAdvPanel(pybind11::module_& m);
// View control on TivraROIAdvPanel (bound before) and LinkViews / UnlinkViews.
void BindViewControl(pybind11::module_& m);
void BindConstants(pybind11::module_& m);
void BindEA(pybind11::module_& m);  // the EA submodule, families in BindEA.h

// From then on the library's log messages go to Python's logger "TivraModule".
void RouteLogToPython();

}  // namespace tivra::bindings
