#include "ClickStages.h"

#include <QStringList>

#include <string>

namespace {
struct Line
{
    bool taken;
    long long us;
    long long bytes;
};

std::vector<Line> parse(const QString &trace)
{
    std::vector<Line> lines;
    for (const QString &text : trace.split('\n', Qt::SkipEmptyParts)) {
        const QStringList f = text.split(' ');
        const bool taken = f.value(0) == "taken", picture = f.value(0) == "picture";
        if ((taken && f.size() == 3) || (picture && f.size() == 4))
            lines.push_back({taken, f[1].toLongLong(), picture ? f[2].toLongLong() : 0});
    }
    return lines;
}
} // namespace

void ClickStages::split(const QString &trace, const std::vector<ClickRun::Reaction> &reactions)
{
    const std::vector<Line> lines = parse(trace);
    // Both lists are in time order: one walk through the trace.
    std::size_t i = 0;
    for (const ClickRun::Reaction &r : reactions) {
        const long long pressUs = r.pressNs / 1000;
        while (i < lines.size() && !(lines[i].taken && lines[i].us >= pressUs))
            ++i;
        std::size_t j = i;
        while (j < lines.size() && lines[j].taken)
            ++j;
        if (j >= lines.size() || lines[j].us > r.lastByteNs / 1000) {
            ++unmatched;
            continue;
        }
        commandMs.add(double(lines[i].us - pressUs) / 1000);
        recorderMs.add(double(lines[j].us - lines[i].us) / 1000);
        wayBackMs.add(double(r.lastByteNs / 1000 - lines[j].us) / 1000);
        clientMs.add(double(r.paintedNs - r.lastByteNs) / 1e6);
        answerBytes.add(double(lines[j].bytes));
    }
}

void ClickStages::write(Json::Value &out) const
{
    const std::pair<const char *, const Samples *> stages[] = {{"stage_command", &commandMs},
                                                               {"stage_recorder", &recorderMs},
                                                               {"stage_way_back", &wayBackMs},
                                                               {"stage_client", &clientMs}};
    for (const auto &[name, samples] : stages)
        for (int p : {50, 99})
            out[std::string(name) + "_p" + std::to_string(p) + "_ms"] = samples->percentile(p);
    out["answer_picture_bytes_p50"] = answerBytes.median();
    out["answer_picture_bytes_p99"] = answerBytes.percentile(99);
    out["stage_clicks_split"] = answerBytes.count();
    out["stage_clicks_unmatched"] = unmatched;
}
