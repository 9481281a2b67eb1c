#include "diagnostics.h"

#include <cstdio>

#include "port_table.h"

namespace tolk {

void report(const char* caption, const char* text) {
    if (!gLib.messageBoxes) return;
    std::fprintf(stderr, "tolk: %s: %s\n", caption, text);
}

}  // namespace tolk
