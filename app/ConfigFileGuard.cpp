#include "ConfigFileGuard.h"

namespace {
int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isOctal(char c)
{
    return c >= '0' && c <= '7';
}

// The character a simple escape stands for; 0 when it stands for nothing.
char simpleEscape(char c)
{
    switch (c) {
    case 'a':
        return '\a';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'v':
        return '\v';
    case '"':
    case '?':
    case '\'':
    case '\\':
        return c;
    default:
        return 0;
    }
}
} // namespace

bool ConfigFileGuard::isSafeToParse(const QByteArray &contents)
{
    // The fast way out for the files people write: no form, and no escape
    // or quote that could build one.
    if (!contents.contains("Variant(") && !contents.contains("DateTime(") &&
        !contents.contains('\\') && !contents.contains('"'))
        return true;
    const QByteArray text = unescaped(contents);
    return !text.contains("@Variant(") && !text.contains("@DateTime(");
}

// What the INI reader makes of the bytes, run over the whole file. A code
// above 255 keeps only its low byte: the two forms are ASCII, and the reader
// compares 16-bit characters, so a wider code can only match where its low
// byte does.
QByteArray ConfigFileGuard::unescaped(const QByteArray &contents)
{
    QByteArray out;
    out.reserve(contents.size());
    const int n = contents.size();
    for (int i = 0; i < n;) {
        const char c = contents.at(i++);
        if (c == '"')
            continue;
        if (c != '\\' || i == n) {
            if (c != '\\')
                out += c;
            continue;
        }
        const char e = contents.at(i++);
        if (const char plain = simpleEscape(e)) {
            out += plain;
        } else if (e == 'x') {
            if (i == n || hexValue(contents.at(i)) < 0)
                continue; // "\x" with no digit stands for nothing
            quint16 value = 0;
            for (; i < n && hexValue(contents.at(i)) >= 0; ++i)
                value = quint16(value << 4 | hexValue(contents.at(i)));
            out += char(value & 0xff);
        } else if (isOctal(e)) {
            quint16 value = quint16(e - '0');
            for (; i < n && isOctal(contents.at(i)); ++i)
                value = quint16(value << 3 | (contents.at(i) - '0'));
            out += char(value & 0xff);
        }
        // Any other escaped character, a line break included, stands for
        // nothing.
    }
    return out;
}
