// The IPv4 editor's setText with arbitrary text: it either takes a whole
// dotted address as it is, or clears all four parts. Nothing in between,
// since the login would then use an address the user never gave.
#include "CMyIpAddrEdit.h"
#include "FuzzApp.h"

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

void check(const QString &input)
{
    CMyIpAddrEdit &e = editor();
    e.setText(QStringLiteral("1.2.3.4"));
    e.setText(input);
    const QString text = e.text();
    if (text != QLatin1String("...") && text != input)
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
