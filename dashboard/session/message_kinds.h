// Which lines of the text log are details: the port scan, the fetch's
// progress and the ECU's raw texts (setup lines, the values image), and the values image's rescale and configuration
// notes. They come with every start and every fetch and bury the lines a
// user watches for (a port opened, the link lost and back, a file saved),
// so the window can hide them; they stay in the log's text.
#pragma once

#include <string>

namespace kvr {

bool isDetailLine(const std::string& line);

}  // namespace kvr
