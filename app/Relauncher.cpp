#include "Relauncher.h"

#include <QCoreApplication>
#include <QProcess>

namespace {
Relauncher::Starter &starter()
{
    static Relauncher::Starter s;
    return s;
}

bool startDetached(const QString &command)
{
    // The quoted path keeps a directory with blanks in it whole.
    QStringList parts = QProcess::splitCommand(command);
    if (parts.isEmpty())
        return false;
    const QString program = parts.takeFirst();
    return QProcess::startDetached(program, parts);
}
} // namespace

QString Relauncher::command()
{
    return QStringLiteral("\"%1\"").arg(QCoreApplication::applicationFilePath());
}

bool Relauncher::relaunch()
{
    const Starter &s = starter();
    return s ? s(command()) : startDetached(command());
}

bool Relauncher::relaunchIfRequested(int exitCode)
{
    if (exitCode != kRestartCode)
        return false;
    return relaunch();
}

void Relauncher::setStarter(Starter s)
{
    starter() = std::move(s);
}
