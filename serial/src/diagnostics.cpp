#include "diagnostics.h"

#include <atomic>
#include <cstdio>

#include "port_table.h"
#include "tolk.h"

namespace tolk {
namespace {

// The handler and its context are set together before the library is used
// from several threads; atomics keep a late change from tearing.
std::atomic<SioMessageHandler> gHandler{nullptr};
std::atomic<void*> gContext{nullptr};

}  // namespace

void showMessage(const char* caption, const char* text) {
    if (SioMessageHandler handler = gHandler.load()) {
        handler(caption, text, gContext.load());
        return;
    }
    std::fprintf(stderr, "tolk: %s: %s\n", caption, text);
}

void report(const char* caption, const char* text) {
    if (gLib.messageBoxes) showMessage(caption, text);
}

}  // namespace tolk

extern "C" TOLK_API int SioSetMessageHandler(SioMessageHandler handler, void* context) {
    tolk::gContext.store(context);
    tolk::gHandler.store(handler);
    return 0;
}
