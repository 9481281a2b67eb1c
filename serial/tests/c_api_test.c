/* A C caller of the library that includes nothing of it but tolk.h: it opens
 * a pseudo-terminal named by TOLK_COM4, exchanges bytes, drives every call of
 * the interface, and checks the result code of every error case a caller can
 * meet. Built 64-bit and 32-bit. */
#define _DEFAULT_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <pty.h>
#include <stdatomic.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include "tolk.h"

static int passed, failed;

#define CHECK_EQ(actual, expected)                                                          \
    do {                                                                                    \
        long a_ = (long)(actual), e_ = (long)(expected);                                    \
        if (a_ == e_) {                                                                     \
            ++passed;                                                                       \
        } else {                                                                            \
            ++failed;                                                                       \
            fprintf(stderr, "%s:%d: %s is %ld, expected %ld\n", __FILE__, __LINE__, #actual, \
                    a_, e_);                                                                \
        }                                                                                   \
    } while (0)

enum { PORT = 3 }; /* COM4 */

static int wait_rx(int count) {
    int n = 0, i;
    for (i = 0; i < 2000 && (n = SioRxQue(PORT)) >= 0 && n < count; ++i) usleep(1000);
    return n;
}

static void read_master(int master, unsigned char *buf, int count) {
    int got = 0, tries = 0;
    while (got < count && tries++ < 2000) {
        ssize_t n = read(master, buf + got, (size_t)(count - got));
        if (n > 0)
            got += (int)n;
        else
            usleep(1000);
    }
}

static int messages_shown;
static void on_message(const char *caption, const char *text, void *context) {
    (void)caption;
    (void)text;
    (void)context;
    ++messages_shown;
}

static atomic_int notified, notified_port, notified_message;
static void on_notify(void *window, unsigned message, int port, void *context) {
    (void)context;
    if (window == (void *)&notified) {
        atomic_store(&notified_port, port);
        atomic_store(&notified_message, (int)message);
        atomic_fetch_add(&notified, 1);
    }
}

static atomic_int waiter_result;
static void *event_waiter(void *arg) {
    (void)arg;
    atomic_store(&waiter_result, SioEvent(PORT, SIO_EV_RXCHAR));
    return NULL;
}

/* Releases a waiter on another thread with code 'S' until it returns. */
static int release_waiter(void) {
    pthread_t thread;
    int i;
    atomic_store(&waiter_result, -999);
    if (pthread_create(&thread, NULL, event_waiter, NULL) != 0) return -998;
    usleep(30000);
    for (i = 0; i < 500 && atomic_load(&waiter_result) == -999; ++i) {
        SioSetInteger(PORT, 'S', 0);
        usleep(10000);
    }
    pthread_join(thread, NULL);
    return atomic_load(&waiter_result);
}

static int wait_notified(int count) {
    int i;
    for (i = 0; i < 3000 && atomic_load(&notified) < count; ++i) usleep(1000);
    for (i = 0; i < 3000 && SioInfo('M') != SioInfo('m'); ++i) usleep(1000);
    return atomic_load(&notified);
}

/* Line settings, switches and diagnostics on the open port. */
static void line_settings(int master) {
    char text[64];
    (void)master;
    CHECK_EQ(SioParms(PORT, 5, 0, 8), SIO_E_BAD_ARG);
    CHECK_EQ(SioParms(300, 0, 0, 8), SIO_E_RANGE);
    CHECK_EQ(SioParms(PORT, SIO_PARITY_EVEN, SIO_STOP_TWO, 7), 0);
    CHECK_EQ(SioParms(PORT, SIO_PARITY_NONE, SIO_STOP_ONE, 8), 0);
    CHECK_EQ(SioFlow(PORT, 'h'), SIO_E_BAD_ARG);
    CHECK_EQ(SioFlow(PORT, 'S'), 1);
    CHECK_EQ(SioFlow(PORT, 'N'), 1);
    CHECK_EQ(SioSetTimeouts(PORT, 0xFFFFFFFFu, 0, 0, 0, 0), 1);

    CHECK_EQ(SioSetInteger(PORT, 'M', 0), 0);
    CHECK_EQ(SioSetInteger(PORT, 'X', 1), 1);
    CHECK_EQ(SioSetInteger(PORT, 'P', 1000), 1000);
    CHECK_EQ(SioSetInteger(PORT, 'W', 0), 0);
    CHECK_EQ(SioSetInteger(PORT, 'H', 0) >= 0, 1);
    CHECK_EQ(SioSetInteger(PORT + 1, 'H', 0), -1);
    CHECK_EQ((int)SioSetInteger(PORT, 'Q', 0), -1);
    /* Negative results are sign-extended: the full pointer-sized value is
     * negative, not 0xFFFFFFFF zero-filled, in the 32-bit and 64-bit builds. */
    CHECK_EQ(SioSetInteger(PORT, 'Q', 0) == (intptr_t)-1, 1);
    CHECK_EQ(SioSetInteger(-1, 'H', 0) == (intptr_t)SIO_E_RANGE, 1);
    CHECK_EQ(SioSetInteger(256, 'H', 0) == (intptr_t)SIO_E_RANGE, 1);
    CHECK_EQ(SioSetInteger(256, 'P', 5) < 0, 1);
    CHECK_EQ(SioSetInteger(256, 'S', 0) < 0, 1);
    CHECK_EQ(SioSetInteger(256, 'W', 0) < 0, 1);
    CHECK_EQ(SioSetInteger(PORT, 'P', -7) == (intptr_t)-7, 1);
    CHECK_EQ(SioSetInteger(PORT, 'P', 1000), 1000);
    /* A large positive int stays positive: only negative results are widened
     * with their sign. */
    CHECK_EQ(SioSetInteger(PORT, 'X', 0x7FFFFFFF) == (intptr_t)0x7FFFFFFF, 1);
    CHECK_EQ(SioSetInteger(PORT, 'X', 1), 1);
    CHECK_EQ(sizeof(SioSetInteger(PORT, 'M', 0)), sizeof(void *));

    CHECK_EQ(SioInfo('I'), 1);
    CHECK_EQ(SioInfo('V'), 0x1000);
    CHECK_EQ(SioInfo('B'), 0x0001);
    CHECK_EQ(SioInfo('c'), 0);
    CHECK_EQ(SioInfo('?'), -1);
    CHECK_EQ(SioDebug('?'), -1);

    SioSetMessageHandler(on_message, NULL);
    CHECK_EQ(SioDebug('m'), 0);
    CHECK_EQ(SioDebug('m'), 1);
    CHECK_EQ(messages_shown, 1);
    CHECK_EQ(SioReset(PORT, 8192, 8192), SIO_E_OS_ERROR); /* held: EBUSY */
    CHECK_EQ(SioWinError(text, (int)sizeof text), EBUSY);
    CHECK_EQ(strcmp(text, strerror(EBUSY)), 0);
    CHECK_EQ(SioWinError(text, 4), EBUSY);
    CHECK_EQ((int)strlen(text), 3);
    CHECK_EQ(SioWinError(NULL, 0), EBUSY);
    CHECK_EQ(messages_shown, 2);
    SioSetMessageHandler(NULL, NULL);

    CHECK_EQ(SioStatus(PORT, 0xFFFF), 0);
}

/* Modem lines and break: a pseudo-terminal has no modem lines. */
static void modem_lines(void) {
    int r;
    CHECK_EQ(SioDTR(PORT, 'S'), 0);
    CHECK_EQ(SioDTR(PORT, 'R'), 1);
    CHECK_EQ(SioDTR(PORT, 'C'), 0);
    CHECK_EQ(SioDTR(PORT, 'R'), 0);
    CHECK_EQ(SioRTS(PORT, 'S'), 0);
    CHECK_EQ(SioRTS(PORT, 'R'), 2);
    CHECK_EQ(SioRTS(PORT, 'C'), 0);
    CHECK_EQ(SioRTS(PORT, 'x'), SIO_E_BAD_ARG);
    CHECK_EQ(SioCTS(PORT), 0);
    CHECK_EQ(SioDSR(PORT), 0);
    CHECK_EQ(SioRI(PORT), 0);
    CHECK_EQ(SioDCD(PORT), 0);
    r = SioBrkSig(PORT, 'A');
    CHECK_EQ(r == 0 || r == 1, 1);
    r = SioBrkSig(PORT, 'C');
    CHECK_EQ(r == 0 || r == 1, 1);
    CHECK_EQ(SioBrkSig(PORT, 'D'), 0);
    CHECK_EQ(SioBrkSig(PORT, 'Z'), SIO_E_BAD_ARG);
}

/* Events, the message thread and the timed waits. */
static void events_and_waits(int master) {
    unsigned char line[8];
    char hex[16];
    unsigned tick;

    CHECK_EQ(SioEventWait(PORT, SIO_EV_RXCHAR, 0), 2);
    CHECK_EQ(write(master, "e", 1), 1);
    CHECK_EQ(SioEvent(PORT, SIO_EV_RXCHAR), 3);
    CHECK_EQ(SioWaitFor(PORT, 1000), 'e');
    CHECK_EQ(SioWaitFor(PORT, 0), SIO_E_TIMEOUT);
    CHECK_EQ(release_waiter(), 3);
    CHECK_EQ(SioEventChar(PORT, '\n', 0), 2);
    CHECK_EQ(write(master, "ok\n", 3), 3);
    CHECK_EQ(SioEventChar(PORT, '\n', 2000), 3);
    CHECK_EQ(SioRxWait(PORT, 3, 2000), 3);
    CHECK_EQ(SioGets(PORT, line, 8), 3);
    CHECK_EQ(SioEventWait(PORT, SIO_EV_TXEMPTY, 1000), 3);
    CHECK_EQ(SioQuiet(PORT, 20, 1000), 0);
    CHECK_EQ(SioQuiet(PORT, 20, 0), SIO_E_TIMEOUT);

    CHECK_EQ(SioInfo('M'), 0);
    SioSetNotifyHandler(on_notify, NULL);
    CHECK_EQ(SioMessage(PORT, &notified, 0x0400, SIO_EV_RXCHAR), 0);
    CHECK_EQ(SioMessage(PORT, &notified, 0x0400, SIO_EV_RXCHAR), 1);
    CHECK_EQ(write(master, "m", 1), 1);
    CHECK_EQ(wait_notified(1), 1);
    CHECK_EQ(atomic_load(&notified_port), PORT);
    CHECK_EQ(atomic_load(&notified_message), 0x0400);
    CHECK_EQ(SioInfo('M'), 1);
    CHECK_EQ(SioInfo('m'), 1);
    CHECK_EQ(SioGetc(PORT), 'm');
    CHECK_EQ(SioMessage(PORT, &notified, 0x0401, SIO_EV_RXCHAR), 0);
    CHECK_EQ(SioMessage(PORT, NULL, 0, 0), 1);
    CHECK_EQ(wait_notified(2), 2);
    CHECK_EQ(atomic_load(&notified_message), 0x0401);
    SioSetNotifyHandler(NULL, NULL);

    tick = SioTimer();
    CHECK_EQ(SioSleep(20), 1);
    CHECK_EQ(SioTimer() - tick >= 20u, 1);
    CHECK_EQ(SioTimeMark(0x0F) <= 0x0Fu, 1);

    CHECK_EQ(SioHexView("\x01\xab\xff", 3, hex, 9), 8);
    CHECK_EQ(strcmp(hex, "01 ab ff"), 0);
    CHECK_EQ(SioHexView("\x01\xab\xff", 3, hex, 8), SIO_E_BAD_ARG);
    CHECK_EQ(SioLRC("abc", 3), 0xDA);
    memcpy(hex, "AB\0\0\0\0", 6);
    CHECK_EQ(SioByteToShort(hex), 2);
    CHECK_EQ(memcmp(hex, "A\0B\0", 4), 0);
    CHECK_EQ(SioShortToByte(hex), 2);
    CHECK_EQ(strcmp(hex, "AB"), 0);
}

int main(void) {
    int master, slave, i;
    char name[256];
    unsigned char buf[300];
    struct termios t;

    if (openpty(&master, &slave, name, NULL, NULL) != 0) {
        perror("openpty");
        return 2;
    }
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
    close(slave);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    setenv("TOLK_COM4", name, 1);

    /* Range and open checks come first. */
    CHECK_EQ(SioReset(256, 8192, 8192), SIO_E_RANGE);
    CHECK_EQ(SioGetc(-2), SIO_E_RANGE);
    CHECK_EQ(SioGetc(PORT), SIO_E_NOT_OPEN);
    CHECK_EQ(SioDone(PORT), SIO_E_NOT_OPEN);
    CHECK_EQ(SioRead(PORT), -1);

    /* Open defaults through port -1. */
    CHECK_EQ(SioReset(-1, 0, 0), 0);
    CHECK_EQ(SioBaud(-1, SIO_BAUD57600), 0);

    /* Open; a second open of the same device fails and leaves it working. */
    CHECK_EQ(SioReset(PORT, 8192, 8192), 1);
    CHECK_EQ(SioReset(PORT, 8192, 8192), SIO_E_OS_ERROR);
    CHECK_EQ(SioBaud(PORT, 57600), 1);
    CHECK_EQ(SioRxClear(PORT), 0);
    CHECK_EQ(SioTxClear(PORT), 0);

    /* Out: a command and all 256 byte values. */
    CHECK_EQ(SioPutc(PORT, 13), 1);
    CHECK_EQ(SioPuts(PORT, "D\r", 2), 2);
    read_master(master, buf, 3);
    CHECK_EQ(memcmp(buf, "\rD\r", 3), 0);
    for (i = 0; i < 256; ++i) buf[i] = (unsigned char)i;
    CHECK_EQ(SioPuts(PORT, buf, 256), 256);
    memset(buf, 0, sizeof buf);
    read_master(master, buf, 256);
    for (i = 0; i < 256 && buf[i] == (unsigned char)i; ++i) {
    }
    CHECK_EQ(i, 256);

    /* In: all 256 byte values, one at a time. */
    for (i = 0; i < 256; ++i) buf[i] = (unsigned char)(255 - i);
    CHECK_EQ(write(master, buf, 256), 256);
    CHECK_EQ(wait_rx(256), 256);
    for (i = 0; i < 256 && SioGetc(PORT) == 255 - i; ++i) {
    }
    CHECK_EQ(i, 256);
    CHECK_EQ(SioGetc(PORT), SIO_E_NO_DATA);

    /* Push-back and bad arguments. */
    CHECK_EQ(SioUnGetc(PORT, 0), 0);
    CHECK_EQ(SioGetc(PORT), 0);
    CHECK_EQ(SioPuts(PORT, "x", 0), SIO_E_BAD_ARG);
    CHECK_EQ(SioPuts(PORT, NULL, 1), SIO_E_BAD_ARG);

    line_settings(master);
    modem_lines();
    events_and_waits(master);

    /* The far end goes away: reads report an I/O error, close still works. */
    close(master);
    CHECK_EQ(SioGetc(PORT), SIO_E_IO);
    CHECK_EQ(SioRxQue(PORT), SIO_E_IO);
    CHECK_EQ(SioDone(PORT), 1);
    CHECK_EQ(SioDone(PORT), SIO_E_NOT_OPEN);

    /* A port with no device behind it. */
    setenv("TOLK_COM4", "/dev/no-such-tty", 1);
    CHECK_EQ(SioReset(PORT, 8192, 8192), SIO_E_OS_ERROR);
    memset(buf, 'Z', sizeof buf);
    CHECK_EQ(SioWinError((char *)buf, 20), ENOENT);
    CHECK_EQ(strcmp((char *)buf, "The system cannot f"), 0);
    CHECK_EQ(buf[20], 'Z');
    CHECK_EQ(SioEventChar(PORT, 'x', 0), SIO_E_OS_ERROR);
    CHECK_EQ(SioMessage(PORT, &notified, 1, 1), SIO_E_NOT_OPEN);
    CHECK_EQ(SioWaitFor(PORT, 0), SIO_E_NOT_OPEN);

    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
