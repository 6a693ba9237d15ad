#pragma once
// The library's own log. The library never writes to the wx log, whose target
// in a wxPython program is a modal message box that blocks the program: its
// messages go to standard error, or to the sink the Python module installs,
// which hands them to Python's `logging` logger "TivraModule".

#include <functional>
#include <string>

namespace tivra::log {

enum class Level { Info, Warning, Error };

/// Receives every message: its level, the component that wrote it (such as
/// "engine/TivraROIPanel/TivraPanel") and the text, in UTF-8.
using Sink = std::function<void(Level level, const std::string& component, const std::string& message)>;

/// Replaces the sink; an empty one restores standard error.
void SetSink(Sink sink);

/// Hands one message to the sink.
void Write(Level level, const std::string& component, const std::string& message);

/// Standard error's form, one line per warning or error (information is not
/// shown there): "[TivraModule] error: component: message".
void WriteToStandardError(Level level, const std::string& component, const std::string& message);

}  // namespace tivra::log
