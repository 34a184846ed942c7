#pragma once
// Config.ini beside the executable. Every call opens its own settings object,
// reads or writes, and drops it, so each operation sees what the previous one
// wrote and nothing is cached.

#include <QString>
#include <QVariant>

class AppConfig
{
public:
    static QString filePath();

    // A value longer than any the program uses reads as the default.
    static QString readText(const char *key, const char *defaultValue);
    // Non-numeric text reads as 0, as the settings class converts it.
    static int readInt(const char *key, int defaultValue);

    static void write(const char *key, const QVariant &value);
    // For a value that must be on disk before the program relaunches itself.
    static void writeSynced(const char *key, const QVariant &value);

    // Tests point the file elsewhere; empty restores the application directory.
    static void setDirectoryOverride(const QString &dir);

private:
    static bool fileIsUsable();
};
