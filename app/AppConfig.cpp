#include "AppConfig.h"
#include "ConfigKeys.h"

#include <QCoreApplication>
#include <QSettings>

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

QString AppConfig::filePath()
{
    const QString dir = directoryOverride().isEmpty() ? QCoreApplication::applicationDirPath()
                                                      : directoryOverride();
    return dir + QLatin1String(ConfigKeys::kFileSuffix);
}

QString AppConfig::readText(const char *key, const char *defaultValue)
{
    QSettings settings(filePath(), QSettings::IniFormat);
    const QString text =
        settings.value(QLatin1String(key), QString::fromUtf8(defaultValue)).toString();
    return text.size() > kMaxValueChars ? QString::fromUtf8(defaultValue) : text;
}

int AppConfig::readInt(const char *key, int defaultValue)
{
    QSettings settings(filePath(), QSettings::IniFormat);
    return settings.value(QLatin1String(key), defaultValue).toInt();
}

void AppConfig::write(const char *key, const QVariant &value)
{
    QSettings settings(filePath(), QSettings::IniFormat);
    settings.setValue(QLatin1String(key), value);
}

void AppConfig::writeSynced(const char *key, const QVariant &value)
{
    QSettings settings(filePath(), QSettings::IniFormat);
    settings.setValue(QLatin1String(key), value);
    settings.sync();
}

void AppConfig::setDirectoryOverride(const QString &dir)
{
    directoryOverride() = dir;
}
