#include "WindowTranslucency.h"

// The desktop window manager has composed every window since Windows 8, and
// layered windows were translucent before it.
bool WindowTranslucency::probe()
{
    return true;
}
