// Writing to a port: emulated overlapped writes that follow the write timeouts.
#pragma once

#include <cstdint>

namespace tolk {

// Issues a write of n bytes from data (not copied). Returns the new writeState.
int32_t startWrite(int port, const uint8_t* data, uint32_t n);

// Pushes the pending write on for up to waitMs (kNoLimit: until it ends).
// Returns the new writeState.
int32_t awaitWrite(int port, uint32_t waitMs);

// Bytes of the pending write that have not reached the driver yet.
uint32_t unsentBytes(int port);

}  // namespace tolk
