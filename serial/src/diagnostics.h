// Diagnostic messages of the library (where a desktop library would show a
// message box). They go to a handler the program sets with
// SioSetMessageHandler, to stderr when it has set none.
#pragma once

namespace tolk {

// Delivers the message always (a box the caller asked for).
void showMessage(const char* caption, const char* text);

// Delivers the message only while diagnostic messages are switched on
// (SioDebug 'm').
void report(const char* caption, const char* text);

}  // namespace tolk
