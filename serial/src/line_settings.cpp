#include "line_settings.h"

namespace tolk {

void settingsFromTermios(const struct termios& t, unsigned rate, LineSettings& s) {
    s.length = 28;
    s.BaudRate = rate;
    switch (t.c_cflag & CSIZE) {
    case CS5: s.ByteSize = 5; break;
    case CS6: s.ByteSize = 6; break;
    case CS7: s.ByteSize = 7; break;
    default: s.ByteSize = 8; break;
    }
    if (!(t.c_cflag & PARENB))
        s.Parity = kParityNone;
    else if (t.c_cflag & CMSPAR)
        s.Parity = (t.c_cflag & PARODD) ? kParityMark : kParitySpace;
    else
        s.Parity = (t.c_cflag & PARODD) ? kParityOdd : kParityEven;
    s.StopBits = (t.c_cflag & CSTOPB) ? kStopTwo : kStopOne;
    s.fParity = (t.c_iflag & INPCK) ? 1 : 0;
    s.fOutxCtsFlow = (t.c_cflag & CRTSCTS) ? 1 : 0;
    s.fOutX = (t.c_iflag & IXON) ? 1 : 0;
    s.fInX = (t.c_iflag & IXOFF) ? 1 : 0;
    s.XonChar = t.c_cc[VSTART];
    s.XoffChar = t.c_cc[VSTOP];
}

struct termios termiosFromSettings(const LineSettings& s, const struct termios& base) {
    struct termios t = base;
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | INPCK | IGNPAR | IUCLC | IMAXBEL);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL);
    t.c_cflag |= CLOCAL | CREAD;

    switch (s.ByteSize) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    default: t.c_cflag |= CS8; break;
    }
    switch (s.Parity) {
    case kParityOdd: t.c_cflag |= PARENB | PARODD; break;
    case kParityEven: t.c_cflag |= PARENB; break;
    case kParityMark: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case kParitySpace: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    // Linux has no 1.5 stop bits; two is the nearest the line can do.
    if (s.StopBits != kStopOne) t.c_cflag |= CSTOPB;
    if (s.fParity && s.Parity != kParityNone) t.c_iflag |= INPCK;
    // Linux pairs RTS/CTS flow both ways in one flag.
    if (s.fOutxCtsFlow || s.fRtsControl == kControlHandshake) t.c_cflag |= CRTSCTS;
    if (s.fOutX) t.c_iflag |= IXON;
    if (s.fInX) t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = s.XonChar;
    t.c_cc[VSTOP] = s.XoffChar;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return t;
}

}  // namespace tolk
