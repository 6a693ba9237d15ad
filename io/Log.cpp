#include "tivra/io/Log.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace tivra::log {
namespace {

std::mutex s_sinkLock;
Sink s_sink;

const char* NameOf(Level level)
{
    switch (level) {
    case Level::Info: return "info";
    case Level::Warning: return "warning";
    default: return "error";
    }
}

}  // namespace

void SetSink(Sink sink)
{
    std::lock_guard<std::mutex> lock(s_sinkLock);
    s_sink = std::move(sink);
}

void Write(Level level, const std::string& component, const std::string& message)
{
    Sink sink;
    {
        std::lock_guard<std::mutex> lock(s_sinkLock);
        sink = s_sink;
    }
    if (sink)
        sink(level, component, message);
    else
        WriteToStandardError(level, component, message);
}

void WriteToStandardError(Level level, const std::string& component, const std::string& message)
{
    if (level == Level::Info)
        return;
    std::fprintf(stderr, "[TivraModule] %s: %s: %s\n", NameOf(level), component.c_str(), message.c_str());
    std::fflush(stderr);
}

}  // namespace tivra::log
