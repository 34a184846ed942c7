#include "SimLog.h"

#include <QDateTime>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

SimLog::Sink g_sink = nullptr; // set only while a test runs single-threaded

void write(const char *level, const QString &line)
{
    if (g_sink)
        return g_sink(level[0] == 'E', line);
    const QByteArray text = QDateTime::currentDateTime().toString("hh:mm:ss.zzz").toUtf8() + " " +
                            level + " " + line.toUtf8();
    std::fprintf(stderr, "%s\n", text.constData());
    std::fflush(stderr);
}

} // namespace

void SimLog::info(const QString &line)
{
    write("info ", line);
}

void SimLog::error(const QString &line)
{
    write("ERROR", line);
}

SimLog::Sink SimLog::setSink(Sink sink)
{
    std::swap(sink, g_sink);
    return sink;
}

QString SimLog::peerText(const QByteArray &bytes, int max)
{
    static const char hex[] = "0123456789abcdef";
    QByteArray out = "\"";
    const int shown = qMin(bytes.size(), qMax(0, max));
    for (int i = 0; i < shown; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == '"' || c == '\\')
            out.append('\\').append(char(c));
        else if (c >= 0x20 && c < 0x7f)
            out.append(char(c));
        else
            out.append("\\x").append(hex[c >> 4]).append(hex[c & 15]);
    }
    out.append('"');
    if (shown < bytes.size())
        out.append("... (" + QByteArray::number(bytes.size()) + " bytes)");
    return QString::fromLatin1(out);
}

QString SimLog::peerText(const std::string &bytes, int max)
{
    // Only the part that is shown is copied.
    const int shown = int(std::min(bytes.size(), std::size_t(qMax(0, max))));
    QString text = peerText(QByteArray(bytes.data(), shown), max);
    if (std::size_t(shown) < bytes.size())
        text += "... (" + QString::number(qulonglong(bytes.size())) + " bytes)";
    return text;
}
