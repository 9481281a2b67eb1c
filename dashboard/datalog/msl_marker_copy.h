// Saving a data log under the user's name: the file is copied whole, through
// a temporary file renamed into place once complete and synced, with each
// marker line carrying the marker's current text (a marker can be renamed
// after its line was written).
#pragma once

#include <string>
#include <vector>

namespace kvr {

// Copies the MSL file `from` to `to`. The n-th "MARK" line gets texts[n]
// (its number and date stay); lines past the end of `texts` stay as they
// are. A cut last line (no line end) is left out. False with the reason.
bool copyMslWithMarkerTexts(const std::string& from, const std::string& to, const std::vector<std::string>& texts,
                            std::string& error);

// The MARK line with its text replaced: "MARK 002 - old - Tue Dec ..." ->
// "MARK 002 - new - Tue Dec ...". A line that is not a marker comes back
// unchanged.
std::string withMarkerText(const std::string& line, const std::string& text);

}  // namespace kvr
