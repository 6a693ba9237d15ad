# tivra_add_area(<name> DEPS <targets...>)
# Builds the sources of the calling directory (and its subdirectories) into the
# static library tivra_<name>. Public headers live under include/tivra/.
function(tivra_add_area name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(tivra_${name} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(tivra_${name} INTERFACE)  # an area whose code has not landed yet
    set(scope INTERFACE)
  endif()
  target_include_directories(tivra_${name} ${scope}
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include> $<INSTALL_INTERFACE:include>)
  target_link_libraries(tivra_${name} ${scope} ${ARG_DEPS})
endfunction()

# tivra_add_gtest(<name> DEPS <targets...> [MAIN <target>] [DISPLAY])
# One GoogleTest executable per test directory, each case registered with CTest.
# DISPLAY marks suites that use the X display (windows, pointer, menus): their
# cases never run at the same time as each other, so gestures cannot interleave.
function(tivra_add_gtest name)
  cmake_parse_arguments(ARG "DISPLAY" "MAIN" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources})
  if(NOT ARG_MAIN)
    set(ARG_MAIN GTest::gtest_main)
  endif()
  target_link_libraries(test_${name} PRIVATE tivra_core GTest::gtest GTest::gmock ${ARG_MAIN} ${ARG_DEPS})
  target_compile_definitions(test_${name} PRIVATE TIVRA_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  set(properties TIMEOUT 300)
  if(ARG_DISPLAY)
    list(APPEND properties RESOURCE_LOCK x_display)
  endif()
  gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()
