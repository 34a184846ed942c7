// The IPv4 editor's setText with arbitrary text: it either takes a whole
// dotted address, given back with each octet in plain decimal, or clears all
// four parts. Nothing in between, since the login would then use an address
// the user never gave.
#include "CMyIpAddrEdit.h"
#include "FuzzApp.h"

#include <QStringList>
#include <cstdlib>

namespace {
CMyIpAddrEdit &editor()
{
    static CMyIpAddrEdit *e = [] {
        FuzzApp::ensure();
        return new CMyIpAddrEdit;
    }();
    return *e;
}

// The input as the editor must give it back: "010" is 10, never octal 8.
QString decimal(const QString &input)
{
    QStringList octets = input.split(QLatin1Char('.'));
    for (QString &octet : octets)
        octet = QString::number(octet.toInt(nullptr, 10));
    return octets.join(QLatin1Char('.'));
}

void check(const QString &input)
{
    CMyIpAddrEdit &e = editor();
    e.setText(QStringLiteral("1.2.3.4"));
    e.setText(input);
    const QString text = e.text();
    if (text != QLatin1String("...") && text != decimal(input))
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    check(QString::fromUtf8(bytes, int(size)));
    check(QString::fromLatin1(bytes, int(size)));
    return 0;
}
