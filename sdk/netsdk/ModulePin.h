#pragma once
// Keeps this library loaded for the rest of the process, whatever its
// users unload: for threads of its own that it could not wait for and that
// will still run its code. False when the system would not; harmless where
// the code is part of the program itself.

namespace netsdk {

bool pinThisModule();

} // namespace netsdk
