/* Linked into every test program, so that each starts from the same
 * environment whether ctest runs it or a developer does in a shell where
 * the tour's TOLK_COM1 is still exported:
 * - no TOLK_* variable from outside (port names, the port map file, the
 *   device and sysfs roots); TOLK_TEST_* are the test harness's own and stay;
 * - configuration, state, cache, data and runtime folders of the program's
 *   own, in a temporary folder removed at exit, so neither the user's port
 *   map file nor recovery logs are read or written;
 * - UTC as the local time zone.
 * A test that needs one of these set otherwise sets it itself. Programs the
 * tests start (kvrtool, kvrsim) inherit the same environment.
 * Written in C so that the C test programs can link it too. */
#define _GNU_SOURCE
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

static char scratch[64];
static pid_t owner;

static void clear_outside_port_settings(void) {
    /* Collect first: unsetenv changes environ under the loop. */
    size_t count = 0;
    for (char** e = environ; *e != NULL; ++e) ++count;
    char** names = calloc(count + 1, sizeof *names);
    if (names == NULL) return;
    size_t found = 0;
    for (char** e = environ; *e != NULL; ++e) {
        if (strncmp(*e, "TOLK_", 5) != 0 || strncmp(*e, "TOLK_TEST_", 10) == 0) continue;
        const char* eq = strchr(*e, '=');
        if (eq != NULL) names[found++] = strndup(*e, (size_t)(eq - *e));
    }
    for (size_t i = 0; i < found; ++i) {
        if (names[i] != NULL) unsetenv(names[i]);
        free(names[i]);
    }
    free(names);
}

static void set_private_folder(const char* variable, const char* name, mode_t mode) {
    char path[sizeof scratch + 16];
    snprintf(path, sizeof path, "%s/%s", scratch, name);
    mkdir(path, mode);
    setenv(variable, path, 1);
}

static int remove_entry(const char* path, const struct stat* st, int flag, struct FTW* ftw) {
    (void)st;
    (void)flag;
    (void)ftw;
    remove(path);
    return 0;
}

__attribute__((constructor)) static void isolate_test_environment(void) {
    clear_outside_port_settings();
    setenv("TZ", "UTC", 1);
    tzset();
    snprintf(scratch, sizeof scratch, "/tmp/kvr-test-env-XXXXXX");
    if (mkdtemp(scratch) == NULL) {
        /* Folders that cannot exist still keep the user's out of reach. */
        snprintf(scratch, sizeof scratch, "/nonexistent/kvr-test-env");
    }
    owner = getpid();
    set_private_folder("XDG_CONFIG_HOME", "config", 0700);
    set_private_folder("XDG_STATE_HOME", "state", 0700);
    set_private_folder("XDG_CACHE_HOME", "cache", 0700);
    set_private_folder("XDG_DATA_HOME", "data", 0700);
    /* Qt wants its runtime folder owned by the user and closed to others. */
    set_private_folder("XDG_RUNTIME_DIR", "runtime", 0700);
}

/* Only the process that made the folder removes it: a forked child that
 * exits normally must not pull it from under its parent. */
__attribute__((destructor)) static void remove_test_environment(void) {
    if (getpid() != owner || strncmp(scratch, "/tmp/", 5) != 0) return;
    nftw(scratch, remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}
