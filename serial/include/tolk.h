/*
 * tolk.h - numbered serial ports behind a flat C interface.
 *
 * Port n (counted from 0) is the device named for COM(n+1): the path in the
 * environment variable TOLK_COM<n+1> when it is set, otherwise
 *   COM1..COM32  -> /dev/ttyS0..31
 *   COM33..COM64 -> /dev/ttyUSB0..31
 *   COM65..COM96 -> /dev/ttyACM0..31
 * and no device for higher numbers. Valid port numbers are 0..255; -1 addresses
 * the open defaults in SioReset, SioBaud and SioParms.
 *
 * Every call returns a signed integer: 0 or more is a call-specific success,
 * a negative value is one of the SIO_E_* codes below. No call allocates memory
 * or keeps a caller's pointer after it returns, except SioPuts while the
 * write-no-wait switch is on (the data must stay untouched until the write has
 * finished).
 *
 * Threads: the library takes no locks. Use each port from one thread at a time;
 * the exceptions are SioDone and SioSetInteger(port, 'S', 0), which may be
 * called from another thread to release a waiter on the port.
 *
 * Typical use:
 *     if (SioReset(0, 8192, 8192) < 0) { ... }     open COM1
 *     SioBaud(0, 57600);
 *     SioPuts(0, "D\r", 2);
 *     while (SioRxQue(0) > 0) { int c = SioGetc(0); ... }
 *     SioDone(0);
 */
#ifndef TOLK_H
#define TOLK_H

#include <stdint.h>

#if defined(TOLK_BUILDING_LIBRARY)
#define TOLK_API __attribute__((visibility("default")))
#else
#define TOLK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. */
#define SIO_E_RANGE (-1)     /* port number outside 0..255; unknown code */
#define SIO_E_NOT_OPEN (-3)  /* the port is not open */
#define SIO_E_NO_RATE (-12)  /* the port's baud rate is zero */
#define SIO_E_IO (-13)       /* a transfer could not be started or did not end */
#define SIO_E_NO_DATA (-100) /* no byte waiting; or the last write is still going */
#define SIO_E_BAD_ARG (-101) /* argument out of range, unknown command letter */
#define SIO_E_OS_ERROR (-103) /* an OS call failed; see SioWinError */
#define SIO_E_BUFFERS (-105) /* queue sizes refused (only with switch 'X' off) */
#define SIO_E_THREAD (-106)  /* the message thread could not be created */
#define SIO_E_TIMEOUT (-107) /* a timed wait expired */

/* Baud codes accepted by SioBaud in place of a rate (values 10 and up are rates). */
#define SIO_BAUD110 0
#define SIO_BAUD300 1
#define SIO_BAUD1200 2
#define SIO_BAUD2400 3
#define SIO_BAUD4800 4
#define SIO_BAUD9600 5
#define SIO_BAUD19200 6
#define SIO_BAUD38400 7
#define SIO_BAUD57600 8
#define SIO_BAUD115200 9

/* --- Opening, closing and byte transfer ------------------------------------ */

/* Opens the port and applies the open defaults (rate 19200, 8N1, DTR and RTS
 * off, reads that return at once). Returns 1 when nothing was waiting, 2 when a
 * byte was already waiting (it is kept for the next SioGetc), 0 in synchronous
 * mode. An open port is not reopened: the exclusive open fails with
 * SIO_E_OS_ERROR and the open port keeps working.
 * With port -1: DTR-at-open := rxQueueSize & 1, RTS-at-open := txQueueSize & 1. */
TOLK_API int SioReset(int port, int rxQueueSize, int txQueueSize);

/* Closes the port, puts back the device's timing, releases the lock and wakes
 * any event waiter. 1 when closed, 0 when the OS close failed. */
TOLK_API int SioDone(int port);

/* Sets the rate (a code 0..9 or a literal rate). 1 accepted, 0 refused.
 * With port -1: the rate of the next open, returns 0. */
TOLK_API int SioBaud(int port, unsigned rate);

/* The next byte (0..255, masked to the data bits), SIO_E_NO_DATA when none is
 * waiting, SIO_E_IO when the device has gone away (every time, until SioDone). */
TOLK_API int SioGetc(int port);

/* Writes one byte: 1 written, 0 not confirmed. */
TOLK_API int SioPutc(int port, unsigned char value);

/* Writes count bytes: the number written; 1 at once with write-no-wait on. */
TOLK_API int SioPuts(int port, const void *data, int count);

/* Reads up to count bytes that are waiting; 0 when none. No terminator is added. */
TOLK_API int SioGets(int port, void *buffer, int count);

/* Present for compatibility; does nothing and returns -1. */
TOLK_API int SioRead(int port);

/* Pushes one byte back: the next SioGetc or SioGets returns it first. Any value,
 * 0x00 included; a second push-back replaces the first. Returns 0. */
TOLK_API int SioUnGetc(int port, unsigned char value);

/* Bytes waiting to be read (a pushed-back byte is not counted). SIO_E_IO when
 * the device has gone away and nothing is left to read. */
TOLK_API int SioRxQue(int port);

/* Bytes waiting to be sent. */
TOLK_API int SioTxQue(int port);

/* Discard the waiting input (and a pushed-back byte) or the waiting output. */
TOLK_API int SioRxClear(int port);
TOLK_API int SioTxClear(int port);

#ifdef __cplusplus
}
#endif

#endif /* TOLK_H */
