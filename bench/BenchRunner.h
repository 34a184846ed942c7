#pragma once
// Maps a benchmark's name to its run and stores what it measured.

#include <QList>
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
        int linkClicks = 60;
        int clickDeadlineMs = 3000;
        // Paths for click-to-photon-link: "unlimited", "RATE[/DELAY]", or
        // "direct" (no relay: shaped outside the process, named by linkTag).
        QStringList links{"unlimited", "4M", "4M/40", "1.5M", "1.5M/40"};
        QString linkTag;
        QStringList simArgs; // for the simulator of click-to-photon and click-to-photon-link
        QList<int> viewers;  // click-to-photon with this many viewers each, in turn
        // attack-figures: which attacks, and how often each is run.
        QStringList attacks;
        int attackRuns = 3;
    };
    static QStringList names();
    static bool run(const QString &name, const Settings &settings, const QString &resultsPath);
};
