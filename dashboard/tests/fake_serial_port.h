// Tests drive the core through the in-memory port.
#pragma once

#include "dashboard/memory_serial_port.h"

namespace kvr::test {
using FakeSerialPort = MemorySerialPort;
}
