// telvane-bench NAME [options]: runs one benchmark and stores its figures
// in the results file; "table" prints the table of the results file, and
// "list" the benchmarks' names, one a line.
#include "AttackFigures.h"
#include "BenchRunner.h"
#include "ResultsFile.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Widgets paint without a display; the figures do not depend on one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QCommandLineParser parser;
    parser.setApplicationDescription("Telvane benchmarks: " + BenchRunner::names().join(", ") +
                                     ", or table, or list");
    parser.addHelpOption();
    parser.addPositionalArgument("name", "benchmark to run, table or list");
    const QCommandLineOption results("results", "results file", "FILE", "bench/results.json");
    const QCommandLineOption clicks("clicks", "clicks per resolution", "N", "200");
    const QCommandLineOption costSeconds("cost-seconds", "seconds of the CPU and RSS sample", "S",
                                         "60");
    const QCommandLineOption growthMinutes("growth-minutes", "minutes of the memory-growth run",
                                           "M", "10");
    const QCommandLineOption decodeSeconds("decode-seconds", "length of the decoded file", "S",
                                           "60");
    const QCommandLineOption linkClicks("link-clicks", "clicks per link", "N", "60");
    const QCommandLineOption clickDeadline(
        "click-deadline-ms", "a click through a link unanswered by then is lost", "MS", "3000");
    const QCommandLineOption links(
        "links", "links to click through: unlimited, RATE[/DELAY] (e.g. 1.5M/40) or direct", "LIST",
        "unlimited,4M,4M/40,1.5M,1.5M/40");
    const QCommandLineOption linkTag("link-tag", "names the links in the results", "TAG");
    const QCommandLineOption simArg(
        "sim-arg",
        "passes ARG to the simulator of click-to-photon(-link) and attack-figures "
        "(repeatable), e.g. --sim-arg=--fixed-rate",
        "ARG");
    const QCommandLineOption viewers("viewers",
                                     "click-to-photon at 1920x1080 with N viewers playing, one "
                                     "of them clicking, for each N in the list (e.g. 1,4,8)",
                                     "LIST");
    const QCommandLineOption attacks(
        "attacks", "attack-figures: the attacks to run (" + AttackFigures::names().join(",") + ")",
        "LIST");
    const QCommandLineOption attackRuns("attack-runs", "attack-figures: runs of each attack", "N",
                                        "3");
    parser.addOptions({results, clicks, costSeconds, growthMinutes, decodeSeconds, linkClicks,
                       clickDeadline, links, linkTag, simArg, viewers, attacks, attackRuns});
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);
    const QString name = parser.positionalArguments().first();
    if (name == "list") {
        std::fputs(qPrintable(BenchRunner::names().join('\n') + '\n'), stdout);
        return 0;
    }
    if (name == "table") {
        Json::Value root;
        if (!ResultsFile::load(parser.value(results), root)) {
            std::fprintf(stderr, "no results in %s\n", qPrintable(parser.value(results)));
            return 1;
        }
        std::fputs(qPrintable(ResultsFile::table(root)), stdout);
        return 0;
    }
    BenchRunner::Settings settings;
    settings.clicks = parser.value(clicks).toInt();
    settings.costSeconds = parser.value(costSeconds).toInt();
    settings.growthMinutes = parser.value(growthMinutes).toDouble();
    settings.decodeSeconds = parser.value(decodeSeconds).toInt();
    settings.linkClicks = parser.value(linkClicks).toInt();
    settings.clickDeadlineMs = parser.value(clickDeadline).toInt();
    settings.links = parser.value(links).split(',', Qt::SkipEmptyParts);
    settings.linkTag = parser.value(linkTag);
    settings.simArgs = parser.values(simArg);
    settings.attacks = parser.value(attacks).split(',', Qt::SkipEmptyParts);
    settings.attackRuns = qBound(1, parser.value(attackRuns).toInt(), 20);
    for (const QString &n : parser.value(viewers).split(',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int count = n.toInt(&ok);
        if (!ok || count < 1 || count > 32) {
            std::fprintf(stderr, "--viewers: not a count of 1 to 32: %s\n", qPrintable(n));
            return 2;
        }
        settings.viewers << count;
    }
    settings.cacheDir = QFileInfo(parser.value(results)).absolutePath();
    return BenchRunner::run(name, settings, parser.value(results)) ? 0 : 1;
}
