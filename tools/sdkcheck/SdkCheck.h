#pragma once
// The SDK check an administrator runs after putting the recorder maker's
// DLLs beside the program: does each load, is it built for this program's
// word size, does it export every ordinal the program binds, and does the
// device SDK initialise and clean up. It says what is wrong in plain words.

#include "SdkLibrary.h"

#include <ostream>

class SdkCheck
{
public:
    SdkCheck(const SdkPath &directory, std::ostream &out);
    // True when both libraries passed every check.
    bool run();

private:
    bool checkLibrary(SdkLibrary &lib, const char *baseName, const int *ordinals, int count);
    bool checkFormat(const SdkPath &path, const std::string &fileName);
    bool initAndCleanUp(const SdkLibrary &net);

    SdkPath m_directory;
    std::ostream &m_out;
};
