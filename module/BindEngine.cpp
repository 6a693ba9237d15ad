// Python's TivraEngine. Every method runs without the interpreter lock, so
// other Python threads proceed meanwhile; a per-engine mutex keeps one engine
// shared between threads safe. The lock order is always interpreter lock
// released first, then the engine mutex, and the interpreter lock is never
// taken while the mutex is held.
#include "Bindings.h"

#include <mutex>

#include "Conversion.h"
#include "tivra/processing/TivraEngine.h"

namespace py = pybind11;
using tivra::conversion::ArrayToMat;
using tivra::conversion::ImageArray;
using tivra::conversion::MatToArray;
using tivra::conversion::MatToReadOnlyView;

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

    // The held image, taken under the mutex. The engine never writes into an
    // image it holds (every operation makes a new one), so another thread's
    // operation cannot change these pixels while they are copied to an array.
    cv::Mat Snapshot()
    {
        return Run([](TivraEngine& e) { return e.GetMat(); });
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
            py::arg("img"), "Hold a copy of img (uint8 array: gray, BGR or BGRA) as the image")
        .def(
            "GetMat",
            [](PyEngine& self, bool copy) -> py::array_t<std::uint8_t> {
                if (copy)
                    return MatToArray(self.Snapshot());
                // The engine never writes into an image it holds (every operation makes a
                // new one), so a view of the current pixels stays as it is.
                const cv::Mat held = self.Run([](TivraEngine& e) { return e.GetMat(); });
                return MatToReadOnlyView(held);
            },
            py::arg("copy") = true,
            "Return a copy of the image; shape (0,) when the engine is empty. copy=False returns a read-only "
            "view of the held pixels instead (no copy for 8-bit images): writing to it raises ValueError, and it "
            "keeps showing this image after later operations replace it")
        .def(
            "HasImage", [](PyEngine& self) { return self.Run([](TivraEngine& e) { return e.HasImage(); }); },
            "Return True when the engine holds an image")
        .def(
            "GetImageSize",
            [](PyEngine& self) { return self.Run([](TivraEngine& e) { return e.GetImageSize(); }); },
            "Return (height, width, channels) of the image; (0, 0, 0) when empty")
        .def(
            "Clear", [](PyEngine& self) { self.Run([](TivraEngine& e) { e.Clear(); }); },
            "Release the image; the engine becomes empty")
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
        .def(
            "ConvertToGray", [](PyEngine& self) { self.Run([](TivraEngine& e) { e.ConvertToGray(); }); },
            "Convert a BGR or BGRA image to one gray channel in place; a gray image stays as it is")
        .def(
            "Resize",
            [](PyEngine& self, int width, int height, int interpolation) {
                self.Run([&](TivraEngine& e) { e.Resize(width, height, interpolation); });
            },
            py::arg("width"), py::arg("height"), py::arg("interpolation") = 1,
            "Resize the image in place with an INTER_* interpolation; a width or height below 1 follows the "
            "aspect ratio, both below 1 leave the image as it is")
        .def(
            "GaussianBlur",
            [](PyEngine& self, int kernelSize, double sigma) {
                self.Run([&](TivraEngine& e) { e.GaussianBlur(kernelSize, sigma); });
            },
            py::arg("kernel_size"), py::arg("sigma") = 0.0,
            "Blur the image in place with a square Gaussian kernel; an even kernel_size is made odd (4 gives 5 x 5), "
            "sigma 0 derives the spread from the size")
        .def(
            "Canny",
            [](PyEngine& self, double threshold1, double threshold2) {
                const cv::Mat edges =
                    self.Run([&](TivraEngine& e) { return e.Canny(threshold1, threshold2); });
                return MatToArray(edges);
            },
            py::arg("threshold1"), py::arg("threshold2"),
            "Return the Canny edge map (uint8, 0 or 255, one channel) of a gray copy of the image, which stays as "
            "it is; shape (0,) when empty");
}

}  // namespace tivra::bindings
