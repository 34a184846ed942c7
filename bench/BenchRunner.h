#pragma once
// Maps a benchmark's name to its run and stores what it measured.

#include <QString>
#include <QStringList>

class BenchRunner
{
public:
    struct Settings
    {
        int clicks = 200;
        int costSeconds = 60;
        double growthMinutes = 10;
        int decodeSeconds = 60;
        QString cacheDir; // where the decoded file is kept between runs
    };
    static QStringList names();
    static bool run(const QString &name, const Settings &settings, const QString &resultsPath);
};
