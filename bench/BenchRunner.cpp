#include "BenchRunner.h"

#include "AttackFigures.h"
#include "ClickToPhoton.h"
#include "ClickToPhotonLink.h"
#include "ClientPipeline.h"
#include "DecodeThroughput.h"
#include "DeskCost.h"
#include "MoveFlood.h"
#include "ResultsFile.h"

#include <json/writer.h>

#include <QRegularExpression>

#include <cstdio>
#include <functional>

namespace {
using Entry = std::pair<std::string, Json::Value>;
using Run = std::function<bool(const BenchRunner::Settings &, std::vector<Entry> &, QString &)>;

// Every count of viewers at 1920x1080 in one sitting, each clicking
// viewer's p99 beside the one of a viewer alone, in whatever order.
bool clickToPhotonViewers(const BenchRunner::Settings &s, std::vector<Entry> &out, QString &error)
{
    const std::size_t first = out.size();
    double aloneP99 = 0;
    for (const int viewers : s.viewers) {
        std::fprintf(stderr, "[bench] %d viewers ...\n", viewers);
        ClickToPhoton::Options options;
        options.clicks = s.clicks;
        options.simArgs = s.simArgs;
        options.viewers = viewers;
        Json::Value figures;
        if (!ClickToPhoton::run(options, figures, error))
            return false;
        if (viewers == 1)
            aloneP99 = figures["latency_p99_ms"].asDouble();
        out.emplace_back("click_to_photon_1920x1080_viewers" + std::to_string(viewers), figures);
    }
    for (std::size_t i = first; aloneP99 > 0 && i < out.size(); ++i)
        out[i].second["latency_p99_over_one_viewer"] =
            out[i].second["latency_p99_ms"].asDouble() / aloneP99;
    return true;
}

bool clickToPhoton(const BenchRunner::Settings &s, std::vector<Entry> &out, QString &error)
{
    if (!s.viewers.isEmpty())
        return clickToPhotonViewers(s, out, error);
    const std::pair<QSize, QSize> configurations[] = {
        {QSize(1920, 1080), QSize(1280, 720)},
        {QSize(1280, 1024), QSize(1000, 800)},
    };
    for (const auto &[resolution, frame] : configurations) {
        ClickToPhoton::Options options;
        options.resolution = resolution;
        options.frame = frame;
        options.clicks = s.clicks;
        options.simArgs = s.simArgs;
        Json::Value figures;
        if (!ClickToPhoton::run(options, figures, error))
            return false;
        out.emplace_back(QString("click_to_photon_%1x%2")
                             .arg(resolution.width())
                             .arg(resolution.height())
                             .toStdString(),
                         figures);
    }
    return true;
}

// The key of a link's results: click_to_photon_link_1p5M_40ms.
std::string linkKey(const QString &label)
{
    QString key = label;
    key.replace('.', 'p').replace(QRegularExpression("[^A-Za-z0-9]+"), "_");
    return "click_to_photon_link_" + key.toStdString();
}

bool clickToPhotonLink(const BenchRunner::Settings &s, std::vector<Entry> &out, QString &error)
{
    for (const QString &spec : s.links) {
        ClickToPhotonLink::Options options;
        options.clicks = s.linkClicks;
        options.deadlineMs = s.clickDeadlineMs;
        options.simArgs = s.simArgs;
        options.direct = spec == "direct";
        if (!options.direct && !LinkShape::parse(spec.toStdString(), options.link)) {
            error = "not a link: " + spec;
            return false;
        }
        options.label = options.direct ? "direct" : QString::fromStdString(options.link.label());
        options.tag = s.linkTag;
        if (!s.linkTag.isEmpty())
            options.label = s.linkTag + (options.direct ? QString() : " " + options.label);
        std::fprintf(stderr, "[bench] link %s ...\n", qPrintable(options.label));
        Json::Value figures;
        if (!ClickToPhotonLink::run(options, figures, error))
            return false;
        out.emplace_back(linkKey(options.label), figures);
    }
    return true;
}

bool attackFigures(const BenchRunner::Settings &s, std::vector<Entry> &out, QString &error)
{
    return AttackFigures::run(s.attacks.isEmpty() ? AttackFigures::names() : s.attacks,
                              s.attackRuns, s.simArgs, out, error);
}

Run single(const char *key,
           std::function<bool(const BenchRunner::Settings &, Json::Value &, QString &)> f)
{
    return [key, f](const BenchRunner::Settings &s, std::vector<Entry> &out, QString &error) {
        Json::Value figures;
        const bool ok = f(s, figures, error);
        if (ok)
            out.emplace_back(key, figures);
        return ok;
    };
}

const std::vector<std::pair<QString, Run>> &runs()
{
    static const std::vector<std::pair<QString, Run>> table = {
        {"attack-figures", attackFigures},
        {"click-to-photon", clickToPhoton},
        {"click-to-photon-link", clickToPhotonLink},
        {"client-pipeline",
         single("client_pipeline", [](const auto &, Json::Value &o,
                                      QString &e) { return ClientPipeline::run(20, o, e); })},
        {"decode-throughput", single("decode_throughput",
                                     [](const auto &s, Json::Value &o, QString &e) {
                                         return DecodeThroughput::run(s.decodeSeconds, s.cacheDir,
                                                                      o, e);
                                     })},
        {"desk-cost", single("desk_cost",
                             [](const auto &s, Json::Value &o, QString &e) {
                                 return DeskCost::run(s.costSeconds, s.growthMinutes, o, e);
                             })},
        {"move-flood", single("move_flood", [](const auto &, Json::Value &o,
                                               QString &e) { return MoveFlood::run(10, o, e); })},
    };
    return table;
}
} // namespace

QStringList BenchRunner::names()
{
    QStringList list;
    for (const auto &r : runs())
        list << r.first;
    return list;
}

bool BenchRunner::run(const QString &name, const Settings &settings, const QString &resultsPath)
{
    for (const auto &[runName, runner] : runs()) {
        if (runName != name)
            continue;
        std::fprintf(stderr, "[bench] %s ...\n", qPrintable(name));
        std::vector<Entry> entries;
        QString error;
        const bool ok = runner(settings, entries, error);
        for (const Entry &e : entries) {
            ResultsFile::store(resultsPath, e.first, e.second);
            Json::StreamWriterBuilder writer;
            std::fprintf(stderr, "[bench] %s: %s\n", e.first.c_str(),
                         Json::writeString(writer, e.second).c_str());
        }
        if (!ok)
            std::fprintf(stderr, "[bench] %s failed: %s\n", qPrintable(name), qPrintable(error));
        return ok;
    }
    std::fprintf(stderr, "unknown benchmark %s (known: %s)\n", qPrintable(name),
                 qPrintable(names().join(", ")));
    return false;
}
