#pragma once
// The calling convention of every function and callback that crosses the
// SDK boundary. Kept apart from the rest of the contract so that a class
// that only hands the SDK a callback does not take in its values.

#if defined(_WIN32) && !defined(_WIN64)
#define TV_SDK_CALL __stdcall
#else
#define TV_SDK_CALL
#endif
