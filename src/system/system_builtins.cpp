#include "system/system_builtins.h"

#include "platform/clipboard.h"
#include "platform/program_priority.h"
#include "platform/window_handle.h"

namespace qv::system {

namespace {

using code::BuiltinCall;
using code::BuiltinFunction;

std::string& applicationTitle() {
  static std::string title;
  return title;
}

void WindowHandle(BuiltinCall& c) { c.result = platform::gameWindowHandle(); }
void SetProgramPriority(BuiltinCall& c) { platform::setProgramPriority(c.integer(0)); }
void SetApplicationTitle(BuiltinCall& c) {
  if (c.args[0].isString()) applicationTitle() = c.string(0);  // a real is ignored
}
void ClipboardHasText(BuiltinCall& c) { c.result = code::truthValue(platform::clipboardHasText()); }
void ClipboardGetText(BuiltinCall& c) { c.result = platform::clipboardText(); }
void ClipboardSetText(BuiltinCall& c) { platform::setClipboardText(c.string(0)); }

const BuiltinFunction kSystemFunctions[] = {
    {"window_handle", WindowHandle, 0},
    {"set_program_priority", SetProgramPriority, 1},
    {"set_application_title", SetApplicationTitle, 1},
    {"clipboard_has_text", ClipboardHasText, 0},
    {"clipboard_get_text", ClipboardGetText, 0},
    {"clipboard_set_text", ClipboardSetText, 1},
};

}  // namespace

const std::string& ApplicationTitle() { return applicationTitle(); }

code::BuiltinFamily SystemFunctions() { return kSystemFunctions; }

}  // namespace qv::system
