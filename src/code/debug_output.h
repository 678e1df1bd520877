// Where `show_debug_message` sends its lines. Without a sink (outside debug mode, until the
// debugger's message window exists) the messages go nowhere; qvscript sets a sink to stdout.
#pragma once

#include <functional>
#include <string>

namespace qv::code {

using DebugMessageSink = std::function<void(const std::string& line)>;
void SetDebugMessageSink(DebugMessageSink sink);
void ShowDebugMessage(const std::string& line);

}  // namespace qv::code
