# Install rules and the two Debian packages (`make deb`):
#   python3-tivramodule  the Python module and its type stubs, for Debian's python3
#   libtivra-dev         public headers, the static area libraries, a CMake package
#                        config (find_package(Tivra) -> Tivra::Tivra) and tivra.pc
include(CMakePackageConfigHelpers)

set(TIVRA_PYTHON_INSTALL_DIR lib/python3/dist-packages CACHE STRING
    "Where the Python module goes, relative to the install prefix (Debian's layout)")
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(TIVRA_LIB_DIR lib/${CMAKE_LIBRARY_ARCHITECTURE})
else()
  set(TIVRA_LIB_DIR lib)
endif()
set(TIVRA_CMAKE_DIR ${TIVRA_LIB_DIR}/cmake/Tivra)
set(TIVRA_PKGCONFIG_DIR ${TIVRA_LIB_DIR}/pkgconfig)

# --- Python module and stubs ------------------------------------------------
install(TARGETS TivraModule LIBRARY DESTINATION ${TIVRA_PYTHON_INSTALL_DIR} COMPONENT python)
# mypy and the IDEs find the stubs of an installed single-file extension only as a
# PEP 561 stub package named <module>-stubs.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/module/stubs/TivraModule/
        DESTINATION ${TIVRA_PYTHON_INSTALL_DIR}/TivraModule-stubs COMPONENT python)
# The batch runner, pure Python, beside the module.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/module/tivra_batch DESTINATION ${TIVRA_PYTHON_INSTALL_DIR}
        COMPONENT python FILES_MATCHING PATTERN "*.py")

# --- Native libraries for C++ programs ----------------------------------------
# Every tivra_* library of the areas (and the helper targets they link) is
# exported, collected from the source tree so that a new area needs no edit here.
function(tivra_collect_exported_targets dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  set(found "")
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(target MATCHES "^tivra_" AND type MATCHES "^(STATIC|INTERFACE)_LIBRARY$")
      list(APPEND found ${target})
    endif()
  endforeach()
  foreach(subdir IN LISTS subdirs)
    get_filename_component(name ${subdir} NAME)
    if(NOT name MATCHES "^(module|tests|bench)$")
      tivra_collect_exported_targets(${subdir} sub_found)
      list(APPEND found ${sub_found})
    endif()
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()
tivra_collect_exported_targets(${PROJECT_SOURCE_DIR} TIVRA_EXPORTED_TARGETS)
set_target_properties(tivra_core PROPERTIES EXPORT_NAME Tivra)

install(TARGETS ${TIVRA_EXPORTED_TARGETS} EXPORT TivraTargets
        ARCHIVE DESTINATION ${TIVRA_LIB_DIR} COMPONENT dev)
# Like Debian's own -dev packages, a stripped install keeps the static libraries'
# symbols but drops their debug information (a quarter of the size).
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    file(GLOB archives \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TIVRA_LIB_DIR}/libtivra_*.a\")
    foreach(archive IN LISTS archives)
      execute_process(COMMAND ${CMAKE_STRIP} --strip-debug \${archive})
    endforeach()
  endif()" COMPONENT dev)
install(EXPORT TivraTargets NAMESPACE Tivra:: DESTINATION ${TIVRA_CMAKE_DIR} COMPONENT dev)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/ DESTINATION include COMPONENT dev)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/TivraConfig.cmake.in
  ${PROJECT_BINARY_DIR}/TivraConfig.cmake INSTALL_DESTINATION ${TIVRA_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TivraConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TivraConfig.cmake ${PROJECT_BINARY_DIR}/TivraConfigVersion.cmake
        DESTINATION ${TIVRA_CMAKE_DIR} COMPONENT dev)

# pkg-config: the prefix is found from the .pc file's own place, so the file works
# wherever the package is unpacked.
file(RELATIVE_PATH TIVRA_PC_TO_PREFIX /prefix/${TIVRA_PKGCONFIG_DIR} /prefix)
string(REGEX REPLACE "/$" "" TIVRA_PC_TO_PREFIX "${TIVRA_PC_TO_PREFIX}")
set(TIVRA_PC_LIBS "")
foreach(target IN LISTS TIVRA_EXPORTED_TARGETS)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "STATIC_LIBRARY")
    string(APPEND TIVRA_PC_LIBS " -l${target}")
  endif()
endforeach()
set(TIVRA_PC_WX_CFLAGS "")
foreach(dir IN LISTS wxWidgets_INCLUDE_DIRS)
  string(APPEND TIVRA_PC_WX_CFLAGS " -isystem ${dir}")
endforeach()
foreach(def IN LISTS wxWidgets_DEFINITIONS)
  string(APPEND TIVRA_PC_WX_CFLAGS " -D${def}")
endforeach()
string(REPLACE ";" " " TIVRA_PC_WX_LIBS "${wxWidgets_LIBRARIES}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/tivra.pc.in ${PROJECT_BINARY_DIR}/tivra.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tivra.pc DESTINATION ${TIVRA_PKGCONFIG_DIR} COMPONENT dev)

# --- Debian packages ------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tivramodule)
set(CPACK_PACKAGE_VENDOR "TivraModule developers")
set(CPACK_PACKAGE_CONTACT "TivraModule developers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL python dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)

set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-tivramodule)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_COMPONENT_PYTHON_DESCRIPTION
    "OpenCV image engine and wxWidgets image panels for wxPython\n Image engine, image panels with zoom, pan and ROI editing embedded in wxPython\n windows, an image-information reader (EXIF, GPS) and a measurement library.")
# The shared libraries the module links come from dpkg-shlibdeps (OpenCV, wx 3.2,
# GTK, libheif, libjxl ...); what it cannot see is listed here.
set(CPACK_DEBIAN_PYTHON_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
    "python3 (>= 3.11), python3 (<< 3.12), python3-numpy, python3-wxgtk4.0, fonts-dejavu-core")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libtivra-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "TivraModule native libraries and headers\n Static libraries and headers of the image panels, ROI drawing, image I/O and\n the EA measurement library, with a CMake package config (Tivra::Tivra) and tivra.pc.")
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
    "libopencv-dev, libopencv-contrib-dev, libwxgtk3.2-dev, libgtk-3-dev, libheif-dev, libjxl-dev, pkg-config, fonts-dejavu-core")
include(CPack)
