#include "StartupFiles.h"

#include <QFile>

namespace {
constexpr int kCommandLineCount = 8; // the program name and seven values
constexpr int kLanguageArgument = 7;
} // namespace

QString StartupFiles::skinDir(const QString &appDir)
{
    return appDir + QLatin1String("/skin");
}

QString StartupFiles::iconPath(const QString &appDir)
{
    return QStringLiteral("%1/skin/icons/logo.png").arg(appDir);
}

QString StartupFiles::loadStyleSheet(const QString &appDir)
{
    QString text;
    QFile file(QStringLiteral("%1/skin/style.ss").arg(appDir));
    if (file.open(QIODevice::ReadOnly)) {
        text = QString::fromUtf8(file.readAll());
        text.replace(QLatin1String("@skinpath"), skinDir(appDir));
        file.close();
    }
    return text;
}

QString StartupFiles::chooseLanguage(const QString &stored, const QStringList &arguments)
{
    if (arguments.size() == kCommandLineCount)
        return arguments.at(kLanguageArgument);
    return stored;
}

QString StartupFiles::translationFile(const QString &appDir, const QString &language)
{
    if (language == QLatin1String("Russian"))
        return appDir + QLatin1String("/translations/Quorvex_ru.qm");
    if (language == QLatin1String("Portugues(Br)"))
        return appDir + QLatin1String("/translations/telvane_pt.qm");
    return QString();
}
