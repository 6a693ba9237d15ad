// Python's TivraEngine. Every method runs without the interpreter lock, so
// other Python threads proceed meanwhile; a per-engine mutex keeps one engine
// shared between threads safe. The lock order is always interpreter lock
// released first, then the engine mutex, and the interpreter lock is never
// taken while the mutex is held.
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

    // Runs `work` on the engine without the interpreter lock: the lock is let
    // go before waiting on the mutex, so a long call on one thread never
    // stalls the other Python threads, whatever they call meanwhile.
    template <typename Work>
    auto Run(Work work)
    {
        py::gil_scoped_release release;
        std::lock_guard<std::mutex> lock(mutex);
        return work(engine);
    }

    // A copy of the held image taken under the mutex: another thread's
    // in-place operation cannot change it while it is turned into an array.
    cv::Mat Snapshot()
    {
        return Run([](TivraEngine& e) { return e.GetMat().clone(); });
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
                self.Run([&](TivraEngine& engine) { engine.SetMat(std::move(image)); });
            },
            py::arg("img"))
        .def("GetMat", [](PyEngine& self) { return MatToArray(self.Snapshot()); })
        .def("HasImage", [](PyEngine& self) { return self.Run([](TivraEngine& e) { return e.HasImage(); }); })
        .def("GetImageSize", [](PyEngine& self) { return self.Run([](TivraEngine& e) { return e.GetImageSize(); }); })
        .def("Clear", [](PyEngine& self) { self.Run([](TivraEngine& e) { e.Clear(); }); })
        .def(
            "LoadImage",
            [](PyEngine& self, const std::string& path, int flags) {
                return self.Run([&](TivraEngine& e) { return e.LoadImage(path, flags); });
            },
            py::arg("path"), py::arg("flags") = 1, "Load image from file (supports Unicode paths)")
        .def(
            "SaveImage",
            [](PyEngine& self, const std::string& path) {
                return self.Run([&](TivraEngine& e) { return e.SaveImage(path); });
            },
            py::arg("path"), "Save image to file (supports Unicode paths)")
        .def("ConvertToGray", [](PyEngine& self) { self.Run([](TivraEngine& e) { e.ConvertToGray(); }); })
        .def(
            "Resize",
            [](PyEngine& self, int width, int height, int interpolation) {
                self.Run([&](TivraEngine& e) { e.Resize(width, height, interpolation); });
            },
            py::arg("width"), py::arg("height"), py::arg("interpolation") = 1)
        .def(
            "GaussianBlur",
            [](PyEngine& self, int kernelSize, double sigma) {
                self.Run([&](TivraEngine& e) { e.GaussianBlur(kernelSize, sigma); });
            },
            py::arg("kernel_size"), py::arg("sigma") = 0.0)
        .def(
            "Canny",
            [](PyEngine& self, double threshold1, double threshold2) {
                const cv::Mat edges =
                    self.Run([&](TivraEngine& e) { return e.Canny(threshold1, threshold2); });
                return MatToArray(edges);
            },
            py::arg("threshold1"), py::arg("threshold2"));
}

}  // namespace tivra::bindings
