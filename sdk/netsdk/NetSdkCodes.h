#pragma once
// Settings of this project's device SDK (libNetSDK) that its callers never
// pass. Its result codes and data types are the contract's (SdkDefs.h),
// which the SDK's own code names without qualification.

#include "SdkDefs.h"

namespace netsdk {

using namespace tvsdk;

constexpr int kDefaultP2PPort = 34568;
constexpr int kDefaultConnectWaitMs = 3000;
constexpr int kDefaultConnectTries = 1;
// More channels than any recorder has; a login reply that claims more is
// refused.
constexpr int kMaxChannels = 65536;
constexpr int kDefaultKeepAliveSec = 10;
constexpr int kDefaultDeadSec = 60;
// Requests without a timeout argument of their own (real play, stop, logout).
constexpr int kRequestTimeoutMs = 3000;
constexpr int kStopTimeoutMs = 1000;
// How long clean-up waits for name look-ups still running; the ones that
// take longer finish on their own.
constexpr int kCleanupLookupWaitMs = 250;

} // namespace netsdk
