#include "ProcessUsage.h"

#include <QDir>
#include <QFile>
#include <QList>

#include <unistd.h>

namespace {
QByteArray procFile(qint64 pid, const char *name)
{
    QFile file(pid ? QString("/proc/%1/%2").arg(pid).arg(name)
                   : QString("/proc/self/%1").arg(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

double ticksToSeconds(const QByteArray &stat)
{
    // The fields after the command name, which may itself hold blanks.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    const double ticks = double(fields[11].toLongLong() + fields[12].toLongLong());
    return ticks / double(sysconf(_SC_CLK_TCK));
}
} // namespace

double ProcessUsage::cpuSeconds(qint64 pid)
{
    return ticksToSeconds(procFile(pid, "stat"));
}

double ProcessUsage::threadCpuSeconds(qint64 pid, const QString &name)
{
    const QString tasks = QString("/proc/%1/task").arg(pid);
    for (const QString &tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (procFile(pid, qPrintable("task/" + tid + "/comm")).trimmed() == name.toUtf8())
            return ticksToSeconds(procFile(pid, qPrintable("task/" + tid + "/stat")));
    }
    return -1;
}

double ProcessUsage::residentMb(qint64 pid)
{
    const QList<QByteArray> fields = procFile(pid, "statm").split(' ');
    if (fields.size() < 2)
        return 0;
    return double(fields[1].toLongLong()) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double ProcessUsage::statusMb(qint64 pid, const char *field)
{
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : procFile(pid, "status").split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}
