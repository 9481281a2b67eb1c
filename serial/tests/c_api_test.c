/* A C caller of the library that includes nothing of it but tolk.h: it opens
 * a pseudo-terminal named by TOLK_COM4, exchanges bytes, and checks the result
 * code of every error case a caller can meet. */
#define _DEFAULT_SOURCE
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
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

    /* The far end goes away: reads report an I/O error, close still works. */
    close(master);
    CHECK_EQ(SioGetc(PORT), SIO_E_IO);
    CHECK_EQ(SioRxQue(PORT), SIO_E_IO);
    CHECK_EQ(SioDone(PORT), 1);
    CHECK_EQ(SioDone(PORT), SIO_E_NOT_OPEN);

    /* A port with no device behind it. */
    setenv("TOLK_COM4", "/dev/no-such-tty", 1);
    CHECK_EQ(SioReset(PORT, 8192, 8192), SIO_E_OS_ERROR);

    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
