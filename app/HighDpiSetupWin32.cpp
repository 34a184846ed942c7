#include "HighDpiSetup.h"

// Windows scales by each monitor's own setting; no desktop DPI is read.
int HighDpiSetup::desktopDpi()
{
    return 0;
}
