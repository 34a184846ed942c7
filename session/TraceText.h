#pragma once
// Text for the debug output that did not come from this program: the
// recorder's error text, and what the user typed. Whatever reads the debug
// output (a terminal, a debugger, a log collector) sees one line per trace
// and no control sequences, however the text was made.

#include <QString>

class TraceText
{
public:
    // Control characters, line and paragraph separators and the backslash
    // itself as escapes (\n, \t, \x1b, \u2028, \\); everything else as is.
    static QString escaped(const QString &text);
};
