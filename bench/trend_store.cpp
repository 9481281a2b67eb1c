// The log chart's record store at its program limit of 300000 records:
// heap bytes per stored record (glibc's mallinfo2 in-use bytes before and
// after, so the deque's blocks and its block map are both counted; the
// process's resident size is shown beside it as a cross-check), and saving
// and loading the store as a log chart file in /tmp, in MB/s (10^6 bytes).
// Saving writes a temporary file, fsyncs it and renames it over the target,
// so its figure includes the fsync to the disk under /tmp.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "widgets/model/trend_recorder.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRecords = 300000;

std::size_t heapInUse() { return mallinfo2().uordblks; }

long residentBytes() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

kvr::TrendRecord sample(int i) {
    kvr::TrendRecord r;
    r.time = 45000.25 + i * 0.1 / 86400;
    for (int ch = 0; ch < kvr::kTrendChannels; ++ch)
        r.digits[ch] = static_cast<uint16_t>(2000 + 1500 * std::sin(i * 0.01 * (ch + 1)));
    return r;
}

const char* verdict(bool pass) { return pass ? "PASS" : "OVER TARGET"; }

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void memoryPerRecord() {
    // A store filled by appending, as recording fills it.
    const std::size_t heap0 = heapInUse();
    const long rss0 = residentBytes();
    auto store = std::make_unique<kvr::TrendStore>();
    for (int i = 0; i < kRecords; ++i)
        store->append(sample(i));
    const double heapPer = double(heapInUse() - heap0) / store->count();
    const double rssPer = double(residentBytes() - rss0) / store->count();
    std::printf("memory per record, %d appended:          %6.2f bytes heap (mallinfo2), %6.2f bytes RSS; "
                "record %zu, target <= 32: %s\n",
                store->count(), heapPer, rssPer, sizeof(kvr::TrendRecord), verdict(heapPer <= 32));
    store.reset();

    // A recorder that went on past its limit, so trims have freed and
    // reallocated blocks at both ends.
    const std::size_t heap1 = heapInUse();
    double days = 45000.25;
    auto recorder = std::make_unique<kvr::TrendRecorder>([&] { return days += 0.1 / 86400; });
    recorder->setStartRecording(false);
    recorder->setMaxRecords(kRecords);
    recorder->setGridXPixel(75);
    for (int i = 0; i < kRecords + 20000; ++i)
        recorder->AddRecord();
    const double trimmedPer = double(heapInUse() - heap1) / recorder->store().count();
    std::printf("memory per record, recorder past its limit: %6.2f bytes heap (mallinfo2) at %d records, "
                "target <= 32: %s\n",
                trimmedPer, recorder->store().count(), verdict(trimmedPer <= 32));
}

void saveAndLoad() {
    kvr::TrendRecorder recorder([] { return 45000.25; });
    recorder.setStartRecording(false);
    recorder.setMaxRecords(kRecords);
    for (int i = 0; i < kRecords; ++i) {
        for (int ch = 1; ch <= kvr::kTrendChannels; ++ch)
            recorder.channel(ch).setDigit(sample(i).digits[ch - 1]);
        recorder.AddRecord();
    }
    const std::string path = "/tmp/kvr-bench-trend-" + std::to_string(::getpid()) + ".KVL";
    const double megabytes = double(recorder.store().count()) * kvr::kTrendRecordBytes / 1e6;

    std::vector<double> saves, loads;
    kvr::TrendRecorder reader;
    reader.setStartRecording(false);
    reader.setMaxRecords(kRecords);
    for (int run = 0; run < 7; ++run) {
        auto start = Clock::now();
        if (const int err = recorder.SaveToFile(path)) std::printf("save failed: error %d\n", err);
        saves.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        start = Clock::now();
        if (const int err = reader.LoadFromFile(path, true, false)) std::printf("load failed: error %d\n", err);
        loads.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        if (reader.store().count() != recorder.store().count())
            std::printf("load read %d records, not %d\n", reader.store().count(), recorder.store().count());
    }
    ::unlink(path.c_str());
    const double save = megabytes / median(saves), load = megabytes / median(loads);
    std::printf("save %d records (%.1f MB, incl. fsync):   median %7.1f MB/s (%.1f ms), slowest %.1f ms, "
                "target >= 200: %s\n",
                recorder.store().count(), megabytes, save, median(saves) * 1e3,
                *std::max_element(saves.begin(), saves.end()) * 1e3, verdict(save >= 200));
    std::printf("load %d records (%.1f MB, page cache):    median %7.1f MB/s (%.1f ms), slowest %.1f ms, "
                "target >= 200: %s\n",
                reader.store().count(), megabytes, load, median(loads) * 1e3,
                *std::max_element(loads.begin(), loads.end()) * 1e3, verdict(load >= 200));
}

}  // namespace

int main() {
    memoryPerRecord();
    saveAndLoad();
    return 0;
}
