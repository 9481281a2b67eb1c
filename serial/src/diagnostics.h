// Diagnostic messages of the library (where a desktop library would show a
// message box). They go to a callback the program sets, stderr by default,
// and only while diagnostic messages are switched on.
#pragma once

namespace tolk {

void report(const char* caption, const char* text);

}  // namespace tolk
