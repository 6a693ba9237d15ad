// The library's log inside Python: messages become records of the `logging`
// logger "TivraModule", so a program sees them where it sees its own.
#include "Bindings.h"
#include "tivra/io/Log.h"

namespace py = pybind11;

namespace tivra::bindings {
namespace {

int LoggingLevel(log::Level level)
{
    switch (level) {
    case log::Level::Info: return 20;     // logging.INFO
    case log::Level::Warning: return 30;  // logging.WARNING
    default: return 40;                   // logging.ERROR
    }
}

void ToLogging(log::Level level, const std::string& component, const std::string& message)
{
    // While the interpreter shuts down (windows die with wx's own clean-up)
    // there is no logging left to call.
    if (!Py_IsInitialized() || _Py_IsFinalizing()) {
        log::WriteToStandardError(level, component, message);
        return;
    }
    py::gil_scoped_acquire gil;
    py::error_scope callersError;  // an exception pending in the caller survives
    try {
        py::module_::import("logging")
            .attr("getLogger")("TivraModule")
            .attr("log")(LoggingLevel(level), "%s: %s", component, message);
    } catch (const py::error_already_set&) {
        log::WriteToStandardError(level, component, message);
    }
}

}  // namespace

void RouteLogToPython()
{
    log::SetSink(ToLogging);
}

}  // namespace tivra::bindings
