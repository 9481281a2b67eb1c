// SioSetInteger, SioInfo, SioDebug, SioWinError: library-wide switches,
// information and the text of the last OS error.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "diagnostics.h"
#include "port_table.h"
#include "tolk.h"
#include "version.h"

using namespace tolk;

namespace {

// Results other than a handle are 32-bit ints widened to the pointer-sized
// result. A negative one is sign-extended, so a caller that tests the full
// result for < 0 sees the error code; zero-filling the upper half would make
// SIO_E_RANGE from a 64-bit build a large positive "descriptor".
intptr_t asLow32(int value) {
    return value < 0 ? static_cast<intptr_t>(value)
                     : static_cast<intptr_t>(static_cast<uintptr_t>(static_cast<uint32_t>(value)));
}

constexpr const char kMissingPort[] = "The system cannot find the port specified.";

// Copies text into buffer, cut to fit and always terminated.
void copyTerminated(char* buffer, size_t size, const char* text) {
    const size_t n = std::min(std::strlen(text), size - 1);
    std::memcpy(buffer, text, n);
    buffer[n] = '\0';
}

}  // namespace

extern "C" {

TOLK_API intptr_t SioSetInteger(int port, int code, int value) {
    switch (code) {
        case 'M':
            return asLow32(gLib.synchronous ? 1 : 0);
        case 'O':
            gLib.synchronous = value == 0;
            return asLow32(value);
        case 'X':
            gLib.ignoreQueueRefusal = (value & 0xFF) != 0;
            return asLow32(value);
        default:
            break;
    }
    if (checkRange(port) != 0) return asLow32(SIO_E_RANGE);
    switch (code) {
        case 'H':
            return static_cast<intptr_t>(gPorts[port].handle);  // -1 (all bits) when closed
        case 'P':
            gPorts[port].readWaitMs = static_cast<uint32_t>(value);
            return asLow32(value);
        case 'S':
            if (!gLib.synchronous && gIo[port].wakeFd >= 0) os().wakeSignal(gIo[port].wakeFd);
            return asLow32(2);
        case 'W':
            gPorts[port].writeNoWait = static_cast<uint8_t>(value & 0xFF);
            return asLow32(value);
        default:
            return asLow32(-1);
    }
}

TOLK_API int SioInfo(unsigned char code) {
    initialiseLibrary();
    switch (code) {
        case '1':
        case '2':
        case '6':
            return 0;
        case '3':
        case 'I':
            return 1;
        case 'V':
            return kVersion;
        case 'B':
            return kBuild;
        case 'M':
            return gLib.threadsStarted.load();
        case 'm':
            return gLib.threadsEnded.load();
        case 'c':
            return gLib.failedCloses;
        default:
            return -1;
    }
}

TOLK_API int SioDebug(int code) {
    switch (code) {
        case 'R':
            gLib.resetDeviceAtOpen = true;
            return 'R';
        case 'W':
            for (PortRecord& rec : gPorts)
                rec.writeNoWait = 1;
            return 'W';
        case 'm':
            gLib.messageBoxes = !gLib.messageBoxes;
            if (gLib.messageBoxes) report("Info", "MsgBox enabled");
            return gLib.messageBoxes ? 1 : 0;
        default:
            return -1;
    }
}

TOLK_API int SioWinError(char* buffer, int size) {
    char own[128];
    char* out = size > 0 && buffer != nullptr ? buffer : own;
    const size_t room = out == own ? sizeof own : static_cast<size_t>(size);
    const int err = gLib.lastOsError;
    // A missing device is a missing port to the caller.
    if (err == ENOENT) {
        copyTerminated(out, room, kMissingPort);
    } else {
        char text[256];
        copyTerminated(out, room, strerror_r(err, text, sizeof text));
    }
    if (size == 0) showMessage("SioWinError", out);
    return err;
}

}  // extern "C"
