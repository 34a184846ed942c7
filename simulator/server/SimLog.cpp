#include "SimLog.h"

#include <QDateTime>

#include <cstdio>

namespace {

void write(const char *level, const QString &line)
{
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
