#include "dashboard/values/report_fit.h"

#include <algorithm>

namespace kvr {

namespace {

// The right margin mirrors the left one.
int rightLimit(const ReportLayout& layout) { return layout.page.width - layout.geometry.left; }

bool ruleCrossesLine(const ReportRule& rule, int top, int height) {
    const int low = std::min(rule.y1, rule.y2);
    const int high = std::max(rule.y1, rule.y2);
    return rule.x1 == rule.x2 && low < top + height && high >= top;
}

}  // namespace

int reportTextGap(const ReportPage& page) { return std::max(1, page.width / 200); }

std::vector<int> reportTextRooms(const ReportLayout& layout) {
    const int lineHeight = reportMaxLineHeight(layout);
    const int gap = reportTextGap(layout.page);
    std::vector<int> rooms;
    rooms.reserve(layout.texts.size());
    for (const ReportText& text : layout.texts) {
        int limit = rightLimit(layout);
        for (const ReportRule& rule : layout.rules)
            if (rule.x1 > text.x && ruleCrossesLine(rule, text.y, lineHeight))
                limit = std::min(limit, rule.x1);
        for (const ReportText& other : layout.texts)
            if (other.x > text.x && other.y < text.y + lineHeight && text.y < other.y + lineHeight)
                limit = std::min(limit, other.x);
        rooms.push_back(limit - text.x - gap);
    }
    return rooms;
}

int reportTitleRoom(const ReportLayout& layout) { return rightLimit(layout) - layout.title.x; }

int reportMaxLineHeight(const ReportLayout& layout) { return layout.geometry.lineStep - 1; }

}  // namespace kvr
