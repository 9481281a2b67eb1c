// Writes the long log the viewing benchmarks open, for a look of one's own:
//   bench_make_long_log OUT.KVL [RECORDS]      (default 2,000,000: 55 hours)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/long_log.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: bench_make_long_log OUT.KVL [RECORDS]\n");
        return 2;
    }
    const long long records = argc == 3 ? std::atoll(argv[2]) : 2000000;
    if (records < 1) {
        std::fprintf(stderr, "bench_make_long_log: RECORDS must be a positive number\n");
        return 2;
    }
    if (!bench::writeLongLog(argv[1], records)) {
        std::perror(argv[1]);
        return 1;
    }
    std::printf("%s: %lld records, %.1f hours of driving\n", argv[1], records, records * bench::kRecordSeconds / 3600);
    return 0;
}
