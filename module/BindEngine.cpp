// Python's TivraEngine. The work runs without the interpreter lock, so other
// Python threads (with their own engines) proceed meanwhile; a per-engine mutex
// keeps one engine shared between threads safe. The lock order is always
// interpreter lock released first, then the engine mutex, and the interpreter
// lock is never taken while the mutex is held.
#include "Bindings.h"

#include <mutex>

#include "Conversion.h"
#include "TivraEngine.h"

namespace py = pybind11;
using tivra::conversion::ArrayToMat;
using tivra::conversion::ImageArray;
using tivra::conversion::MatToArray;

namespace tivra::bindings {
namespace {

struct PyEngine {
    TivraEngine engine;
    std::mutex mutex;

    // Quick reads and writes of the engine keep the interpreter lock.
    template <typename Work>
    auto Locked(Work work)
    {
        std::lock_guard<std::mutex> lock(mutex);
        return work(engine);
    }

    // Runs `work` on the engine without the interpreter lock.
    template <typename Work>
    auto Unlocked(Work work)
    {
        py::gil_scoped_release release;
        std::lock_guard<std::mutex> lock(mutex);
        return work(engine);
    }
};

}  // namespace

void BindEngine(py::module_& m)
{
    py::class_<PyEngine>(m, "TivraEngine", "Pure-logic image processing engine (no GUI)")
        .def(py::init<>())
        .def(
            "SetMat",
            [](PyEngine& self, const ImageArray& img) {
                cv::Mat image = ArrayToMat(img);
                self.Unlocked([&](TivraEngine& engine) { engine.SetMat(std::move(image)); });
            },
            py::arg("img"), "Hold a copy of img (uint8 array: gray, BGR or BGRA) as the image")
        .def(
            "GetMat",
            [](PyEngine& self) { return self.Locked([](TivraEngine& e) { return MatToArray(e.GetMat()); }); },
            "Return a copy of the image; shape (0,) when the engine is empty")
        .def(
            "HasImage", [](PyEngine& self) { return self.Locked([](TivraEngine& e) { return e.HasImage(); }); },
            "Return True when the engine holds an image")
        .def(
            "GetImageSize",
            [](PyEngine& self) { return self.Locked([](TivraEngine& e) { return e.GetImageSize(); }); },
            "Return (height, width, channels) of the image; (0, 0, 0) when empty")
        .def(
            "Clear", [](PyEngine& self) { self.Locked([](TivraEngine& e) { e.Clear(); }); },
            "Release the image; the engine becomes empty")
        .def(
            "LoadImage",
            [](PyEngine& self, const std::string& path, int flags) {
                return self.Unlocked([&](TivraEngine& e) { return e.LoadImage(path, flags); });
            },
            py::arg("path"), py::arg("flags") = 1, "Load image from file (supports Unicode paths)")
        .def(
            "SaveImage",
            [](PyEngine& self, const std::string& path) {
                return self.Unlocked([&](TivraEngine& e) { return e.SaveImage(path); });
            },
            py::arg("path"), "Save image to file (supports Unicode paths)")
        .def(
            "ConvertToGray", [](PyEngine& self) { self.Unlocked([](TivraEngine& e) { e.ConvertToGray(); }); },
            "Convert a BGR or BGRA image to one gray channel in place; a gray image stays as it is")
        .def(
            "Resize",
            [](PyEngine& self, int width, int height, int interpolation) {
                self.Unlocked([&](TivraEngine& e) { e.Resize(width, height, interpolation); });
            },
            py::arg("width"), py::arg("height"), py::arg("interpolation") = 1,
            "Resize the image in place with an INTER_* interpolation; a width or height below 1 follows the "
            "aspect ratio, both below 1 leave the image as it is")
        .def(
            "GaussianBlur",
            [](PyEngine& self, int kernelSize, double sigma) {
                self.Unlocked([&](TivraEngine& e) { e.GaussianBlur(kernelSize, sigma); });
            },
            py::arg("kernel_size"), py::arg("sigma") = 0.0,
            "Blur the image in place with a square Gaussian kernel; an even kernel_size is made odd (4 gives 5 x 5), "
            "sigma 0 derives the spread from the size")
        .def(
            "Canny",
            [](PyEngine& self, double threshold1, double threshold2) {
                const cv::Mat edges =
                    self.Unlocked([&](TivraEngine& e) { return e.Canny(threshold1, threshold2); });
                return MatToArray(edges);
            },
            py::arg("threshold1"), py::arg("threshold2"),
            "Return the Canny edge map (uint8, 0 or 255, one channel) of a gray copy of the image, which stays as "
            "it is; shape (0,) when empty");
}

}  // namespace tivra::bindings
