# tivra_add_area(<name> [WX_ADAPTER] DEPS <targets...>)
# Builds the sources of the calling directory (and its subdirectories) into the
# static library tivra_<name>, whose public headers are include/tivra/<name>/.
# An area sees only its own public headers and those of the targets it declares:
# its include root in the build tree links just its own header directory, so an
# undeclared use does not compile. With WX_ADAPTER, the sources under wx/ form
# the thin wx layer tivra_<name>_wx on top of the area (headers under
# include/tivra/<name>/wx/); the area itself never sees wx.
function(tivra_add_area name)
  cmake_parse_arguments(ARG "WX_ADAPTER" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(adapter_sources ${sources})
  list(FILTER sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/wx/")
  list(FILTER adapter_sources INCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/wx/")

  set(root ${PROJECT_BINARY_DIR}/include-roots/${name})
  file(MAKE_DIRECTORY ${root}/tivra)
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/include/tivra/${name} ${root}/tivra/${name} SYMBOLIC)
  tivra_add_library(tivra_${name} "${sources}" ${root} ${ARG_DEPS})
  if(ARG_WX_ADAPTER)
    tivra_add_library(tivra_${name}_wx "${adapter_sources}" ${root} tivra_${name} tivra_wx)
  endif()
endfunction()

# A static library of `sources` (an interface library when there are none yet)
# with the include root `root`, linking the remaining arguments.
function(tivra_add_library target sources root)
  if(sources)
    add_library(${target} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(${target} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${target} ${scope} $<BUILD_INTERFACE:${root}> $<INSTALL_INTERFACE:include>)
  target_link_libraries(${target} ${scope} ${ARGN})
  if(sources)
    set(wx_headers "")
    if(tivra_wx IN_LIST ARGN)
      set(wx_headers ${TIVRA_WX_HEADERS})
    endif()
    tivra_precompile(${target} ${TIVRA_OPENCV_HEADERS} ${wx_headers})
  endif()
endfunction()

# A clean build (CI, a new user's first `make test`) spends most of its time parsing
# the OpenCV, wx, GoogleTest and pybind11 headers again for every file, so each
# target precompiles the ones its files use. Under a compiler launcher such as
# ccache the headers are parsed as before: ccache keeps objects across worktrees
# and rebuilds, which a precompiled header would defeat.
if(CMAKE_CXX_COMPILER_LAUNCHER)
  set(precompile_default OFF)
else()
  set(precompile_default ON)
endif()
option(TIVRA_PRECOMPILE_HEADERS "Precompile the third-party headers of each target" ${precompile_default})
set(TIVRA_OPENCV_HEADERS <algorithm> <cmath> <string> <vector> <opencv2/core.hpp> <opencv2/imgproc.hpp>)
set(TIVRA_WX_HEADERS <wx/wx.h>)

function(tivra_precompile target)
  if(TIVRA_PRECOMPILE_HEADERS)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()

# tivra_add_gtest(<name> DEPS <targets...> [DIR <subdir>] [MAIN <target>] [DISPLAY])
# One GoogleTest executable per test directory, each case registered with CTest.
# It links the shipped libraries it names in DEPS. Tests of a wx adapter sit in
# the wx/ subdirectory and form their own executable (DIR wx), so the area's own
# tests never link wx. DISPLAY marks suites that use the X display (windows,
# pointer, menus): their cases never run at the same time as each other, so
# gestures cannot interleave.
function(tivra_add_gtest name)
  cmake_parse_arguments(ARG "DISPLAY" "MAIN;DIR" "DEPS" ${ARGN})
  if(ARG_DIR)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DIR}/*.cpp)
  else()
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/wx/")
  endif()
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources})
  if(NOT ARG_MAIN)
    set(ARG_MAIN GTest::gtest_main)
  endif()
  target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock ${ARG_MAIN})
  set(wx_headers "")
  if(ARG_DISPLAY OR ARG_DIR STREQUAL "wx")
    set(wx_headers ${TIVRA_WX_HEADERS})
  endif()
  tivra_precompile(test_${name} <gtest/gtest.h> ${TIVRA_OPENCV_HEADERS} ${wx_headers})
  target_include_directories(test_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_definitions(test_${name} PRIVATE TIVRA_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  set(properties TIMEOUT 300)
  if(ARG_DISPLAY)
    list(APPEND properties RESOURCE_LOCK x_display)
  endif()
  gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()
