#include "TraceText.h"

namespace {
bool needsEscape(QChar c)
{
    const ushort u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u < 0xa0) || u == 0x2028 || u == 0x2029 || u == '\\';
}

QString escape(QChar c)
{
    switch (c.unicode()) {
    case '\n':
        return QStringLiteral("\\n");
    case '\r':
        return QStringLiteral("\\r");
    case '\t':
        return QStringLiteral("\\t");
    case '\\':
        return QStringLiteral("\\\\");
    default:
        break;
    }
    if (c.unicode() < 0x100)
        return QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    return QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
}
} // namespace

QString TraceText::escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        out += needsEscape(c) ? escape(c) : QString(c);
    return out;
}
