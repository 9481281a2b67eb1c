// A port's line settings, kept in the shape of a device-control block (rate,
// character format, flow control, special characters), and their translation
// to and from the tty's termios.
#pragma once

#include <cstdint>
#include <termios.h>

namespace tolk {

enum : uint8_t { kParityNone = 0, kParityOdd = 1, kParityEven = 2, kParityMark = 3, kParitySpace = 4 };
enum : uint8_t { kStopOne = 0, kStopOneAndHalf = 1, kStopTwo = 2 };
enum : uint8_t { kControlDisable = 0, kControlEnable = 1, kControlHandshake = 2 };

struct LineSettings {
    uint32_t length = 28;
    uint32_t BaudRate = 0;
    uint8_t fBinary = 1;
    uint8_t fParity = 0;  // check parity on input
    uint8_t fOutxCtsFlow = 0;
    uint8_t fOutxDsrFlow = 0;
    uint8_t fDtrControl = kControlDisable;
    uint8_t fDsrSensitivity = 0;
    uint8_t fTXContinueOnXoff = 1;
    uint8_t fOutX = 0;
    uint8_t fInX = 0;
    uint8_t fErrorChar = 0;
    uint8_t fNull = 0;
    uint8_t fRtsControl = kControlDisable;
    uint8_t fAbortOnError = 0;
    uint16_t XonLim = 0;
    uint16_t XoffLim = 0;
    uint8_t ByteSize = 8;
    uint8_t Parity = kParityNone;
    uint8_t StopBits = kStopOne;
    uint8_t XonChar = 0x11;
    uint8_t XoffChar = 0x13;
    uint8_t ErrorChar = 0;
    uint8_t EofChar = 0;
    uint8_t EvtChar = 0;
};

// Takes what the tty reports into `s`. Fields the tty has no notion of (error,
// end-of-file and event characters, limits) keep the values `s` holds, as a
// driver that remembers them would report them.
void settingsFromTermios(const struct termios& t, unsigned rate, LineSettings& s);

// Builds a raw termios for `s` on top of `base`: no echo, no line editing, no
// character translation, no signals; CLOCAL and CREAD; reads of at least one
// byte (an empty queue then reads as EAGAIN, a hung-up line as end of file);
// no hang-up on close, so closing does not toggle the modem lines.
struct termios termiosFromSettings(const LineSettings& s, const struct termios& base);

}  // namespace tolk
