#pragma once
// The display stream the server uses: the simulator's rendered display when
// it is built, else the placeholder with the same interface.

#ifdef TV_HAVE_SIM_DISPLAY
#include "RemoteCtrlEvent.h"
#include "RemoteCtrlParser.h"
#include "SimDisplayStream.h"
using DisplayStream = SimDisplayStream;
#else
#include "PlaceholderStream.h"
using DisplayStream = PlaceholderStream;
#endif
