#pragma once
// Whether a window's opacity lets what lies under it show through. It does on
// Windows and wherever a compositor draws the screen; an X11 desktop without
// a compositing manager ignores opacity and shows such a window opaque.

#include <optional>

class WindowTranslucency
{
public:
    static bool available() { return s_forced ? *s_forced : probe(); }

    // Tests pin the answer; nullopt asks the platform again.
    static void force(std::optional<bool> bAvailable) { s_forced = bAvailable; }

private:
    static bool probe();

    static inline std::optional<bool> s_forced;
};
