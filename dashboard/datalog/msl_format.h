// MSL: the tab-separated text log that tuners' log viewers open. Writing it
// (msl_writer.h), reading it (msl_reader.h), and the number and date text it
// shares with the other formats (log_text.h).
#pragma once

#include "dashboard/datalog/log_text.h"
#include "dashboard/datalog/msl_reader.h"
#include "dashboard/datalog/msl_writer.h"
