#include "LinkTable.h"

#include <QStringList>

#include <algorithm>
#include <tuple>
#include <vector>

namespace {
struct Limit
{
    const char *key;
    const char *name;
    double max;
};

std::vector<Limit> limits(const Json::Value &row)
{
    const double rate = row["link_rate_kbit_s"].asDouble();
    const double twoDelays = 2.0 * row["link_delay_ms"].asDouble();
    std::vector<Limit> out{{"clicks_unanswered", "unanswered", 0}};
    if (rate == 4000)
        out.push_back({"latency_p99_ms", "p99", 60 + twoDelays});
    if (rate == 1500) {
        out.push_back({"latency_p50_ms", "p50", 80 + twoDelays});
        out.push_back({"latency_p99_ms", "p99", 250 + twoDelays});
    }
    return out;
}

QString verdict(const Json::Value &row)
{
    QStringList missed;
    for (const Limit &l : limits(row))
        if (row[l.key].asDouble() > l.max)
            missed << QString("%1>%2").arg(l.name).arg(l.max);
    return missed.isEmpty() ? "met" : "MISSED " + missed.join(",");
}

// Untagged rows first, each tag's together; within them unlimited first,
// then the faster links, each with its shorter delay first; paths shaped
// outside the process last.
bool before(const Json::Value &a, const Json::Value &b)
{
    const auto rank = [](const Json::Value &r) {
        const double rate = r["link_rate_kbit_s"].asDouble();
        const double order = r["link_direct"].asBool() ? 1e12 : rate > 0 ? -rate : -1e12;
        return std::make_tuple(r["link_direct"].asBool(), r["link_tag"].asString(), order,
                               r["link_delay_ms"].asDouble());
    };
    return rank(a) < rank(b);
}

QString number(const Json::Value &v)
{
    return QString::number(v.asDouble(), 'f', 0);
}

// A markdown row; negative widths align left.
QString row(const QStringList &cells, const std::vector<int> &widths)
{
    QString out = "|";
    for (int i = 0; i < cells.size(); ++i)
        out += " " + QString("%1").arg(cells[i], widths[size_t(i)]) + " |";
    return out + "\n";
}

QString head(const QStringList &names, const std::vector<int> &widths)
{
    QStringList rule;
    for (const int w : widths)
        rule << QString(std::abs(w), '-');
    return row(names, widths) + row(rule, widths);
}

QString pair(const Json::Value &r, const std::string &stage)
{
    return number(r[stage + "_p50_ms"]) + " / " + number(r[stage + "_p99_ms"]);
}

QString kilobytes(const Json::Value &r)
{
    return QString("%1 / %2")
        .arg(r["answer_picture_bytes_p50"].asDouble() / 1000, 0, 'f', 1)
        .arg(r["answer_picture_bytes_p99"].asDouble() / 1000, 0, 'f', 1);
}
} // namespace

// The second table: where the clicks' time went, stage by stage.
QString LinkTable::stages(const std::vector<Json::Value> &rows)
{
    const std::vector<int> widths{-20, 9, 9, 9, 9, 11};
    QString body;
    for (const Json::Value &r : rows)
        if (r.isMember("stage_command_p50_ms"))
            body += row({QString::fromStdString(r["link"].asString()), pair(r, "stage_command"),
                         pair(r, "stage_recorder"), pair(r, "stage_way_back"),
                         pair(r, "stage_client"), kilobytes(r)},
                        widths);
    if (body.isEmpty())
        return QString();
    return "\nWhere a click's time goes, p50 / p99 (ms; command: press to the recorder taking "
           "it; recorder: to the answer encoded; way back: to its last byte in the player; "
           "client: to painted; the answer's size in KB):\n\n" +
           head({"link", "command", "recorder", "way back", "client", "answer KB"}, widths) + body;
}

QString LinkTable::table(const Json::Value &benchmarks)
{
    std::vector<Json::Value> rows;
    for (const std::string &key : benchmarks.getMemberNames())
        if (key.rfind("click_to_photon_link_", 0) == 0)
            rows.push_back(benchmarks[key]);
    if (rows.empty())
        return QString();
    std::stable_sort(rows.begin(), rows.end(), before);
    QString text = "\nClick-to-photon through a link, 1920x1080 (ms; age = how far the painted "
                   "picture lags the recorder's clock):\n\n";
    const std::vector<int> widths{-14, 6, 6, 6, 10, 7, 7, 6, 4, 7, 7, -20};
    text += head({"link", "p50", "p95", "p99", "unanswered", "age p50", "age p99", "kbit/s", "fps",
                  "skipped", "dropped", "targets"},
                 widths);
    for (const Json::Value &r : rows)
        text +=
            row({QString::fromStdString(r["link"].asString()), number(r["latency_p50_ms"]),
                 number(r["latency_p95_ms"]), number(r["latency_p99_ms"]),
                 QString("%1 of %2").arg(r["clicks_unanswered"].asInt()).arg(r["clicks"].asInt()),
                 number(r["picture_age_p50_ms"]), number(r["picture_age_p99_ms"]),
                 r["link_direct"].asBool() ? "n/a" : number(r["stream_kbit_s"]),
                 number(r["frames_painted_per_s"]),
                 r["frames_skipped_reported"].asBool() ? number(r["frames_skipped"]) : "n/a",
                 number(r["frames_dropped"]), verdict(r)},
                widths);
    return text + stages(rows);
}
