// Whether a values file's line 1 can be a values image, judged the same way by every program that
// reads one: the tools refuse what the dashboard would not decode, with one text for each reason.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kvr {

// A loaded values file is decoded only when its line 1 has at least this many characters; a whole
// image has kImageTextLength.
constexpr std::size_t kShortestDecodedImage = 2000;

// Empty when `line1` can be a values image; otherwise why not, as words that follow
// "FILE is not a values file: ". A file is binary when line 1 holds a byte no text line has (a
// control character other than TAB), or when line 1 is short and a later line holds a NUL;
// otherwise a line 1 shorter than kShortestDecodedImage is too short, whatever it holds.
std::string valuesImageProblem(const std::string& line1, const std::vector<std::string>& laterLines = {});

}  // namespace kvr
