#include "dashboard/logging/sample_journal.h"

#include "dashboard/logging/trend_store.h"

namespace kvr {

void SampleJournal::append(const TrendRecord& record) {
    unsigned char bytes[kTrendRecordBytes];
    encodeTrendRecord(record, bytes);
    file_.append(bytes, sizeof bytes);
}

void SampleJournal::appendGap(const TrendRecord& before) {
    TrendRecord separator = before;
    separator.time = kSeparatorTime;
    for (int i = 0; i < TrendStore::kSeparatorsPerBreak; ++i) append(separator);
}

}  // namespace kvr
