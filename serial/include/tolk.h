/*
 * tolk.h - numbered serial ports behind a flat C interface.
 *
 * Port n (counted from 0) is the device named for COM(n+1), looked up in
 * this order:
 *   1. the path in the environment variable TOLK_COM<n+1> when it is set;
 *   2. the port map file: a "COMn=DEVICE" line in the user's file,
 *      $XDG_CONFIG_HOME/tolk/ports.conf (~/.config/tolk/ports.conf when
 *      XDG_CONFIG_HOME is not set), then in /etc/tolk/ports.conf. Lines
 *      starting with # are comments; the last line for a number counts; a
 *      DEVICE without a leading '/' is a name under /dev. $TOLK_PORTS_FILE,
 *      when set, names the one map file to use instead of both;
 *   3. the built-in table:
 *        COM1..COM32  -> /dev/ttyS0..31
 *        COM33..COM64 -> /dev/ttyUSB0..31
 *        COM65..COM96 -> /dev/ttyACM0..31
 *      and no device for higher numbers.
 * The file is read at every open, so an edit counts from the next SioReset.
 * $TOLK_DEVICE_ROOT and $TOLK_SYSFS_ROOT, when set, stand for /dev and /sys
 * (the table, bare names and the device list), for tests.
 * Valid port numbers are 0..255; -1 addresses the open defaults in SioReset,
 * SioBaud and SioParms.
 *
 * Every call returns a signed integer: 0 or more is a call-specific success,
 * a negative value is one of the SIO_E_* codes below. No call allocates memory
 * or keeps a caller's pointer after it returns, except SioPuts while the
 * write-no-wait switch is on (the data must stay untouched until the write has
 * finished).
 *
 * Threads: use each port from one thread at a time. The exceptions: SioDone
 * and SioSetInteger(port, 'S', 0) may be called from another thread to release
 * a thread that waits for events on the port (SioEvent, SioEventWait,
 * SioEventChar), and the port's message thread (SioMessage) runs beside the
 * caller's thread. The library keeps that safe with a small lock around each
 * port's read-ahead and atomics between waiters and SioDone. Set the handlers
 * and library-wide switches before several threads use the library.
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

/* Parity codes (SioParms). */
#define SIO_PARITY_NONE 0
#define SIO_PARITY_ODD 1
#define SIO_PARITY_EVEN 2
#define SIO_PARITY_MARK 3
#define SIO_PARITY_SPACE 4

/* Stop-bit codes (SioParms). */
#define SIO_STOP_ONE 0
#define SIO_STOP_ONE5 1 /* sent as two stop bits: see SioParms */
#define SIO_STOP_TWO 2

/* Line error bits (SioStatus). */
#define SIO_CE_RXOVER 0x0001   /* input queue overflow */
#define SIO_CE_OVERRUN 0x0002  /* character overrun in the UART */
#define SIO_CE_RXPARITY 0x0004 /* parity error */
#define SIO_CE_FRAME 0x0008    /* framing error */
#define SIO_CE_BREAK 0x0010    /* break detected */
#define SIO_CE_TXFULL 0x0100   /* output queue full (never reported here) */

/* Modem status bits (SioCTS, SioDSR, SioRI, SioDCD). */
#define SIO_MS_CTS 0x10
#define SIO_MS_DSR 0x20
#define SIO_MS_RING 0x40
#define SIO_MS_DCD 0x80

/* Comm-event bits (SioEventWait, SioEvent, SioMessage). */
#define SIO_EV_RXCHAR 0x0001  /* bytes are waiting to be read */
#define SIO_EV_RXFLAG 0x0002  /* the event character is among them (SioEventChar) */
#define SIO_EV_TXEMPTY 0x0004 /* nothing is left to send */
#define SIO_EV_CTS 0x0008     /* CTS changed */
#define SIO_EV_DSR 0x0010     /* DSR changed */
#define SIO_EV_RLSD 0x0020    /* DCD changed */
#define SIO_EV_BREAK 0x0040   /* a break was received */
#define SIO_EV_ERR 0x0080     /* a framing, parity or overrun error */
#define SIO_EV_RING 0x0100    /* the ring indicator came on */

/* No time limit, for the timeouts of the event waits. */
#define SIO_INFINITE 0xFFFFFFFFu

/* --- Opening, closing and byte transfer ------------------------------------ */

/* Opens the port and applies the open defaults (rate 19200, 8N1, DTR and RTS
 * off, reads that return at once). Returns 1 when nothing was waiting, 2 when a
 * byte was already waiting (it is kept for the next SioGetc), 0 in synchronous
 * mode. An open port is not reopened: the exclusive open fails with
 * SIO_E_OS_ERROR and the open port keeps working.
 * With port -1: DTR-at-open := rxQueueSize & 1, RTS-at-open := txQueueSize & 1. */
TOLK_API int SioReset(int port, int rxQueueSize, int txQueueSize);

/* Closes the port, puts back the terminal settings the device had when
 * SioReset opened it (all of them: modes, control characters and rate, so a
 * serial console is left as it was found), releases the lock and wakes any
 * event waiter. 1 when closed, 0 when the OS close failed. */
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

/* --- Line settings, status and diagnostics -------------------------------- */

/* Character format: parity 0..4 (SIO_PARITY_*), stop bits 0..2 (SIO_STOP_*),
 * data bits 5..8. The values are checked first (SIO_E_BAD_ARG), then the port.
 * Returns 0, also when the driver refused the format (the port's stored format
 * and data mask take the new values all the same). Linux has no 1.5 stop bits:
 * code 1 sets two stop bits, which 16550-type UARTs send as 1.5 with 5 data
 * bits. A pseudo-terminal keeps 8 data bits and no parity; bytes read are still
 * masked to the data bits. Lines set with SioDTR/SioRTS 'S' stay raised.
 * With port -1: the format of the next open. */
TOLK_API int SioParms(int port, int parity, int stopBits, int dataBits);

/* Flow control: 'H' RTS/CTS (CRTSCTS; Linux couples both directions), 'S'
 * XON/XOFF both ways, 'N' none. Other letters (also lower case): SIO_E_BAD_ARG.
 * Returns 1, also when the driver refused. */
TOLK_API int SioFlow(int port, unsigned char mode);

/* Timeouts in ms, as the library's reads and writes follow them (there is no
 * driver timeout on Linux: the library waits with poll):
 *   readInterval 0xFFFFFFFF, the read totals 0: reads return at once;
 *   readInterval and readMultiplier 0xFFFFFFFF, readConstant between:
 *     wait up to readConstant for the first byte, then return;
 *   otherwise a read of n bytes ends after readMultiplier * n + readConstant
 *     ms (0: no total limit) or after a gap of readInterval ms following a byte
 *     (0: none); all zero means a read waits until it has all n bytes.
 *   A write of n bytes ends after writeMultiplier * n + writeConstant ms (0:
 *     no limit) with what went out.
 * SioGetc waits at most its own read wait (SioSetInteger 'P') for a read that
 * these timeouts keep open. 1; SIO_E_OS_ERROR when the device no longer
 * answers. In force until the next SioReset or SioDone. */
TOLK_API int SioSetTimeouts(int port, unsigned readInterval, unsigned readMultiplier,
                            unsigned readConstant, unsigned writeMultiplier,
                            unsigned writeConstant);

/* Library-wide and per-port switches. The result is pointer-sized: for 'H' the
 * port's file descriptor (-1 when closed); for every other code a 32-bit int,
 * sign-extended, so (int)result and the full result agree and every error
 * (an out-of-range port gives SIO_E_RANGE) is negative in either width:
 *   'M' 1 in synchronous mode, 0 in overlapped mode   (port not used)
 *   'O' value != 0: overlapped mode, 0: synchronous; returns value (port not
 *       used; the first SioReset or SioInfo replaces an earlier choice)
 *   'X' ignore a refused queue size := value & 0xFF; returns value
 *   'H' the port's descriptor                          (port range-checked only)
 *   'P' SioGetc's read wait := value ms; returns value  (range-checked only)
 *   'S' release a thread waiting for events on the port; returns 2 (ditto;
 *       may be called from any thread)
 *   'W' write-no-wait := value & 0xFF; returns value    (range-checked only)
 *   other codes: -1. */
TOLK_API intptr_t SioSetInteger(int port, int code, int value);

/* Library information, by the low byte of code: '1' '2' '6' 0; '3' 'I' 1;
 * 'V' the version 0x1000 (1.0.0.0) and 'B' the build 0x0001, one digit per
 * hexadecimal digit; 'M' message threads started, 'm' message threads ended;
 * 'c' failed device closes; other codes -1. */
TOLK_API int SioInfo(unsigned char code);

/* 'R' (82): every later SioReset discards the device's queues at open (there is
 * no device-reset request on Linux); returns 82. 'W' (87): write-no-wait on all
 * ports; returns 87. 'm' (109): toggles the diagnostic messages and returns
 * the new state (1 on, 0 off); switching them on shows "MsgBox enabled".
 * Other codes: -1. */
TOLK_API int SioDebug(int code);

/* The last OS error number (errno of the last failure reported as
 * SIO_E_OS_ERROR; 0 when none). Its text (strerror, without a line end; a
 * missing device, ENOENT, reads "The system cannot find the port specified.")
 * is written to buffer when size > 0, truncated to fit and always terminated;
 * with size 0 it is shown as a message (caption "SioWinError"); with a
 * negative size it is not shown. */
TOLK_API int SioWinError(char *buffer, int size);

/* The line errors since the last status read, from the driver's error
 * counters, ANDed with mask (SIO_CE_*). Reading clears them, so each error is
 * reported once. 0 on a device that keeps no counters (a pseudo-terminal);
 * -1 when the device does not answer. */
TOLK_API int SioStatus(int port, unsigned mask);

/* Diagnostic messages (where a desktop library shows a message box) go to the
 * handler, or to stderr while none is set (handler NULL). Returns 0. */
typedef void (*SioMessageHandler)(const char *caption, const char *text, void *context);
TOLK_API int SioSetMessageHandler(SioMessageHandler handler, void *context);

/* --- Modem lines, break and events ------------------------------------------ */

/* 'S' raise, 'C' drop: 1 when the driver did it, 0 when not (a pseudo-terminal
 * has no modem lines); the requested state is remembered either way, survives
 * SioDone and SioReset, and SioParms/SioFlow raise the line again while it is
 * set. 'R': what was last requested (SioDTR 1, SioRTS 2, else 0). Other
 * letters: SIO_E_BAD_ARG. */
TOLK_API int SioDTR(int port, unsigned char letter);
TOLK_API int SioRTS(int port, unsigned char letter);

/* The line's bit when it is on (CTS 0x10, DSR 0x20, RI 0x40, DCD 0x80), else 0;
 * 0 when the lines cannot be read. */
TOLK_API int SioCTS(int port);
TOLK_API int SioDSR(int port);
TOLK_API int SioRI(int port);
TOLK_API int SioDCD(int port);

/* 'A' start sending a break, 'C' stop it: 1 done, 0 refused. 'D': 0x10 when a
 * break was received since the line errors were last read, else 0; this reads
 * and clears all line errors, as SioStatus does. Other letters SIO_E_BAD_ARG. */
TOLK_API int SioBrkSig(int port, unsigned char letter);

/* Waits up to timeoutMs (SIO_INFINITE: no limit) for one of the events in mask
 * (SIO_EV_*). 3 when one happened or the wait was released (SioDone or
 * SioSetInteger 'S' from another thread, SioMessage with a null window);
 * 2 when the time ran out; SIO_E_IO when the mask holds no known event, or the
 * device went away. Which event it was is not reported. In synchronous mode: 3
 * at once. Events that describe a state are reported while the state holds:
 * SIO_EV_RXCHAR while bytes wait to be read (also bytes the library has read
 * ahead), SIO_EV_RXFLAG while the event character is among them,
 * SIO_EV_TXEMPTY while nothing is left to send. Events that describe a change
 * (modem lines, ring, break, line errors) are reported when they happen after
 * the wait began; the library looks for those every 10 ms. A release that
 * comes before the wait has begun is not kept. */
TOLK_API int SioEventWait(int port, unsigned mask, unsigned timeoutMs);

/* SioEventWait with no time limit. */
TOLK_API int SioEvent(int port, unsigned mask);

/* Makes ch the port's event character and waits as SioEventWait does for
 * SIO_EV_RXFLAG. SIO_E_OS_ERROR (the error stored for SioWinError) when the
 * port is not open or its settings cannot be read. Range-checked first. */
TOLK_API int SioEventChar(int port, unsigned char ch, unsigned timeoutMs);

/* One notification per call: starts the port's message thread, which waits
 * for the events in mask (as SioEvent does) and then calls the notify handler
 * once with (window, message, port), on the message thread, and ends. Whatever
 * ends its wait (an event, SioDone, SioSetInteger 'S', SioMessage with a null
 * window) leads to that one call, with the window and message the thread was
 * started with. Returns 0 when the thread started; 1 when none was started
 * (one is already armed, or window is NULL: that also releases an armed
 * thread); SIO_E_THREAD when no thread could be made.
 *
 * There are no window messages here: window is an opaque value handed back to
 * the handler. A Qt program passes a QObject pointer as the window and, in the
 * handler, moves the call to that object's (GUI) thread:
 *     static void notify(void *window, unsigned msg, int port, void *ctx) {
 *         QObject *w = static_cast<QObject *>(window);
 *         QMetaObject::invokeMethod(w, [w, msg, port] { ... }, Qt::QueuedConnection);
 *     }
 *     SioSetNotifyHandler(notify, NULL);
 *     SioMessage(port, dashboard, 0x0400, SIO_EV_RXCHAR);
 * The handler must not block for long. */
typedef void (*SioNotifyHandler)(void *window, unsigned message, int port, void *context);
TOLK_API int SioSetNotifyHandler(SioNotifyHandler handler, void *context);
TOLK_API int SioMessage(int port, void *window, unsigned short message, unsigned mask);

/* --- Waiting, timing and utilities ------------------------------------------ */

/* The next byte, waiting up to timeoutMs for it (polled once per character
 * time at the port's rate). A waiting byte is returned at once, also with
 * timeoutMs 0. SIO_E_TIMEOUT; SIO_E_NO_RATE when the rate is 0; other negative
 * results of SioGetc. */
TOLK_API int SioWaitFor(int port, unsigned timeoutMs);

/* Waits until at least count bytes are waiting to be read (they are not read)
 * and returns how many are; SIO_E_TIMEOUT after timeoutMs. Polls about when
 * the missing bytes can have arrived at the port's rate, at most every 250 ms. */
TOLK_API int SioRxWait(int port, unsigned count, unsigned timeoutMs);

/* Waits until nothing has arrived for quietMs, discarding what arrives
 * meanwhile: 0; SIO_E_TIMEOUT when the line was not quiet within maxMs (at
 * once with maxMs 0); a negative result of SioRxQue. */
TOLK_API int SioQuiet(int port, unsigned quietMs, unsigned maxMs);

/* The millisecond tick (monotonic; wraps after 2^32 ms: compare ticks by
 * unsigned subtraction). SioTimeMark: the tick ANDed with mask, or the tick
 * when mask is 0. */
TOLK_API unsigned SioTimer(void);
TOLK_API unsigned SioTimeMark(unsigned mask);

/* Sleeps ms milliseconds; returns 1. */
TOLK_API int SioSleep(unsigned ms);

/* Writes count bytes as "xx xx xx" (lower-case hex, one space between) with a
 * terminating zero into buffer, which must hold 3 * count bytes; returns
 * 3 * count - 1. 0 when count or size is 0 or less; SIO_E_BAD_ARG when the
 * buffer is too small or a pointer is NULL. Never writes past size. */
TOLK_API int SioHexView(const void *data, int count, char *buffer, int size);

/* The byte that makes the sum of data and itself 0 modulo 256; 0 for count 0
 * or less; SIO_E_BAD_ARG for NULL data. */
TOLK_API int SioLRC(const void *data, int count);

/* Widens a zero-terminated 8-bit string in place to 16-bit little-endian
 * characters; the buffer must hold twice the string's length. No 16-bit
 * terminator is written. Returns the length. SIO_E_BAD_ARG for NULL. */
TOLK_API int SioByteToShort(void *string);

/* Narrows a zero-terminated 16-bit string in place to 8 bits (low bytes; a
 * character whose low byte is 0 ends it) with its terminator. Returns the
 * number of characters before it. SIO_E_BAD_ARG for NULL. */
TOLK_API int SioShortToByte(void *string);

/* --- Serial devices and port names (Linux) -------------------------------- */

/* Writes the device path port stands for (see the top of this file) to
 * buffer, cut to fit and always terminated. Returns where the name came from:
 * 1 the environment, 2 the port map file, 3 the built-in table; 0 when the
 * port has no device (buffer then holds ""). SIO_E_RANGE for a port outside
 * 0..255, SIO_E_BAD_ARG for a NULL buffer or a size below 1. */
TOLK_API int SioPortDevice(int port, char *buffer, int size);

/* Writes the path of the user's port map file (the one SioPortAssign writes)
 * to buffer, cut to fit and terminated. Returns its length, 0 when there is
 * none (no HOME), SIO_E_BAD_ARG for a NULL buffer or a size below 1. */
TOLK_API int SioPortMapFile(char *buffer, int size);

/* Makes port stand for device in the user's port map file, keeping the file's
 * other lines and comments; the file and its folder are made when missing. A
 * device that has a name under /dev/serial/by-id is written by that name, so
 * the port follows the adapter when it is plugged in again. device NULL or ""
 * removes the port's entry. Returns 1; SIO_E_RANGE for a port outside 0..255;
 * SIO_E_BAD_ARG for a device with control characters; SIO_E_OS_ERROR when the
 * file cannot be written (see SioWinError). An open port keeps its device
 * until it is opened again; TOLK_COM<n+1> still overrides the file. */
TOLK_API int SioPortAssign(int port, const char *device);

/* A serial device present on the machine. */
typedef struct SioDeviceInfo {
    char path[256];    /* the device node, e.g. "/dev/ttyUSB0" */
    char byId[256];    /* its name under /dev/serial/by-id, or "" */
    char usbId[16];    /* "vvvv:pppp" (USB vendor and product ids), or "" */
    char vendor[64];   /* the maker's name the device reports, or "" */
    char product[64];  /* the product name the device reports, or "" */
    int port;          /* the lowest port (0..255) that stands for it, -1 none */
} SioDeviceInfo;

/* Lists the serial devices present: /dev/ttyS* that have a UART behind them,
 * /dev/ttyUSB* and /dev/ttyACM*, in that order and by number. Fills up to max
 * entries of list (list may be NULL when max is 0) and returns how many
 * devices there are, which may be more than max. */
TOLK_API int SioDeviceList(SioDeviceInfo *list, int max);

/* Gives every device present a port below `ports` (1..256) in the user's
 * port map file, when it has none there yet and the built-in table cannot be
 * relied on for it: a device whose table port is `ports` or higher, and a USB
 * device (one with a /dev/serial/by-id name, written by that name). A device
 * keeps its table port when that is below `ports`; otherwise it takes the
 * lowest port that neither the environment, nor the map file, nor a device
 * present through the table claims. Each new entry gets a comment line
 * saying what it is and when it was added. Fills up to max entries of
 * assigned with the devices given a port (port set) and returns how many were
 * given one; devices for which no port was free are left out. SIO_E_RANGE
 * for `ports` outside 1..256, SIO_E_OS_ERROR when the file cannot be written. */
TOLK_API int SioDeviceAssignNew(int ports, SioDeviceInfo *assigned, int max);

#ifdef __cplusplus
}
#endif

#endif /* TOLK_H */
