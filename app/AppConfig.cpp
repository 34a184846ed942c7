#include "AppConfig.h"
#include "ConfigFileGuard.h"
#include "ConfigKeys.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QtDebug>

namespace {
// Far beyond any value the program writes or a user types. A longer one
// (a damaged or hostile file) would be laid out by the widgets at a cost of
// hundreds of megabytes, so it reads as absent.
constexpr int kMaxValueChars = 1024;

QString &directoryOverride()
{
    static QString dir;
    return dir;
}
} // namespace

// A file the settings class must not parse (see ConfigFileGuard) is used as
// if it were absent: the defaults are read, and nothing is written to it, so
// that whoever put it there finds it as it was.
bool AppConfig::fileIsUsable()
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly) || ConfigFileGuard::isSafeToParse(file.readAll()))
        return true;
    static bool told = false;
    if (!told)
        qWarning("%s holds a value that would be read as a serialized object: the file is "
                 "neither read nor written",
                 qPrintable(filePath()));
    told = true;
    return false;
}

QString AppConfig::filePath()
{
    const QString dir = directoryOverride().isEmpty() ? QCoreApplication::applicationDirPath()
                                                      : directoryOverride();
    return dir + QLatin1String(ConfigKeys::kFileSuffix);
}

QString AppConfig::readText(const char *key, const char *defaultValue)
{
    if (!fileIsUsable())
        return QString::fromUtf8(defaultValue);
    QSettings settings(filePath(), QSettings::IniFormat);
    const QString text =
        settings.value(QLatin1String(key), QString::fromUtf8(defaultValue)).toString();
    return text.size() > kMaxValueChars ? QString::fromUtf8(defaultValue) : text;
}

int AppConfig::readInt(const char *key, int defaultValue)
{
    if (!fileIsUsable())
        return defaultValue;
    QSettings settings(filePath(), QSettings::IniFormat);
    return settings.value(QLatin1String(key), defaultValue).toInt();
}

void AppConfig::write(const char *key, const QVariant &value)
{
    if (!fileIsUsable())
        return;
    QSettings settings(filePath(), QSettings::IniFormat);
    settings.setValue(QLatin1String(key), value);
}

void AppConfig::writeSynced(const char *key, const QVariant &value)
{
    if (!fileIsUsable())
        return;
    QSettings settings(filePath(), QSettings::IniFormat);
    settings.setValue(QLatin1String(key), value);
    settings.sync();
}

void AppConfig::setDirectoryOverride(const QString &dir)
{
    directoryOverride() = dir;
}
