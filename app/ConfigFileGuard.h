#pragma once
// Whether the settings class may be let loose on a Config.ini. Its INI reader
// turns a value written "@Variant(...)" or "@DateTime(...)" into an object
// deserialized from the bytes in the brackets, and a damaged or hostile
// file there can make the toolkit crash or ask for all the memory there is.
// Nothing this program writes takes that form, so such a file is refused
// whole instead of parsed.

#include <QByteArray>

class ConfigFileGuard
{
public:
    // False when any value of the file could unescape to text that holds one
    // of those forms. Errs on the side of refusing: a value is unescaped the
    // way the INI reader does it (escapes, quotes), but is not split into
    // lines, keys or list items first, so that no way of spelling a value
    // slips past. Linear in the size of the file.
    static bool isSafeToParse(const QByteArray &contents);

private:
    static QByteArray unescaped(const QByteArray &contents);
};
