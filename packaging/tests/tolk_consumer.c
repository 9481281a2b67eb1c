/* A program that uses the installed library as any outside user would: only
 * tolk.h and -ltolk64. It checks that the calls link and answer. */
#include <stdio.h>
#include <string.h>

#include "tolk.h"

int main(void) {
    char text[128];
    /* 'V' is the library's version, one decimal digit per hexadecimal one. */
    if (SioInfo('V') <= 0) {
        fprintf(stderr, "SioInfo('V') returned %d\n", SioInfo('V'));
        return 1;
    }
    /* COM200 has no device, so opening it must fail with a result code. */
    const int rc = SioReset(199, 1024, 1024);
    if (rc >= 0) {
        fprintf(stderr, "SioReset on COM200 returned %d, expected a negative code\n", rc);
        SioDone(199);
        return 1;
    }
    if (SioWinError(text, (int)sizeof text) < 0 || strlen(text) >= sizeof text) {
        fprintf(stderr, "SioWinError failed\n");
        return 1;
    }
    printf("tolk version %x, COM200: %d\n", (unsigned)SioInfo('V'), rc);
    return 0;
}
