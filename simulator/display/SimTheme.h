#pragma once
// The simulated recorder's colours.

#include <QColor>

namespace SimTheme {
inline QColor background()
{
    return QColor(10, 12, 15);
}
inline QColor panel()
{
    return QColor(24, 28, 34);
}
inline QColor panelRaised()
{
    return QColor(34, 39, 47);
}
inline QColor hover()
{
    return QColor(46, 53, 64);
}
inline QColor border()
{
    return QColor(48, 55, 66);
}
inline QColor accent()
{
    return QColor(47, 140, 255);
}
inline QColor accentDark()
{
    return QColor(28, 98, 190);
}
inline QColor text()
{
    return QColor(230, 233, 238);
}
inline QColor textDim()
{
    return QColor(138, 147, 160);
}
inline QColor alarm()
{
    return QColor(229, 72, 77);
}
inline QColor good()
{
    return QColor(60, 207, 122);
}
} // namespace SimTheme
