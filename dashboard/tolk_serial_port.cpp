#include "dashboard/serial_port.h"

#include "tolk.h"

namespace kvr {

int TolkSerialPort::reset(int port, int rx, int tx) { return SioReset(port, rx, tx); }
int TolkSerialPort::baud(int port, unsigned rate) { return SioBaud(port, rate); }
int TolkSerialPort::done(int port) { return SioDone(port); }
int TolkSerialPort::rxClear(int port) { return SioRxClear(port); }
int TolkSerialPort::txClear(int port) { return SioTxClear(port); }
int TolkSerialPort::rxQue(int port) { return SioRxQue(port); }
int TolkSerialPort::getc(int port) { return SioGetc(port); }
int TolkSerialPort::putc(int port, unsigned char value) { return SioPutc(port, value); }
int TolkSerialPort::puts(int port, const char* data, int count) { return SioPuts(port, data, count); }

}  // namespace kvr
