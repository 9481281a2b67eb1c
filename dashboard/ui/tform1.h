// The main window under its design name, for code not yet moved to
// MainWindow (tests/e2e_same_log_test.cpp). Remove once nothing includes it.
#pragma once

#include "dashboard/ui/main_window.h"

using TForm1 = MainWindow;
