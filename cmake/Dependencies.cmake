# Every dependency comes from Debian's packages (see scripts/install-deps.sh).
find_package(PkgConfig REQUIRED)

find_package(OpenCV 4 REQUIRED COMPONENTS core imgproc imgcodecs freetype)

# The panels must link the very wx shared libraries that wxPython loads:
# Debian's wxPython uses the system's wxGTK 3.2 (GTK 3, unicode).
find_package(wxWidgets 3.2 REQUIRED COMPONENTS core base)
pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)

pkg_check_modules(HEIF REQUIRED IMPORTED_TARGET libheif)
pkg_check_modules(JXL REQUIRED IMPORTED_TARGET libjxl libjxl_threads)

# Build for Debian's own interpreter, the one wxPython exists for.
set(Python_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "Interpreter the module is built for")
set(PYBIND11_FINDPYTHON ON)
find_package(Python 3.11 EXACT REQUIRED COMPONENTS Interpreter Development.Module NumPy)
find_package(pybind11 CONFIG REQUIRED)

add_library(tivra_wx INTERFACE)
target_include_directories(tivra_wx SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(tivra_wx INTERFACE ${wxWidgets_DEFINITIONS})
target_compile_options(tivra_wx INTERFACE ${wxWidgets_CXX_FLAGS})
target_link_libraries(tivra_wx INTERFACE ${wxWidgets_LIBRARIES} PkgConfig::GTK3)

add_library(tivra_opencv INTERFACE)
target_include_directories(tivra_opencv SYSTEM INTERFACE ${OpenCV_INCLUDE_DIRS})
target_link_libraries(tivra_opencv INTERFACE ${OpenCV_LIBS})
