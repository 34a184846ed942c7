#pragma once
// The one QApplication of a fuzz target, on the offscreen platform, made on
// the first input and kept for the whole run (libFuzzer calls the target on
// its main thread, which becomes the GUI thread).

class FuzzApp
{
public:
    static void ensure();
};
