#include "dashboard/logging/trend_store.h"

namespace kvr {

void TrendStore::insertSeparators(int index) {
    if (index < 1 || index > count() - 1) return;
    TrendRecord separator;
    separator.time = kSeparatorTime;
    separator.digits = at(index - 1).digits;
    records_.insert(records_.begin() + index, kSeparatorsPerBreak, separator);
}

void TrendStore::appendSeparators() {
    if (count() < 2) return;
    TrendRecord separator;
    separator.time = kSeparatorTime;
    separator.digits = back().digits;
    records_.insert(records_.end(), kSeparatorsPerBreak, separator);
}

void TrendStore::removeOldest(int n) {
    if (n <= 0 || n > count() - 1) return;
    records_.erase(records_.begin(), records_.begin() + n);
}

}  // namespace kvr
