#include "ResultsFile.h"

#include "LinkTable.h"

#include <json/reader.h>
#include <json/writer.h>

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <cstdio>

namespace {
struct Row
{
    const char *benchmark;
    const char *key;
    const char *label;
    const char *target; // "<=N", ">=N", "==N" or empty
};

const Row kRows[] = {
    {"click_to_photon_1920x1080", "latency_p50_ms", "click-to-photon p50 (ms), 1920x1080", "<=30"},
    {"click_to_photon_1920x1080", "latency_p95_ms", "click-to-photon p95 (ms), 1920x1080", ""},
    {"click_to_photon_1920x1080", "latency_p99_ms", "click-to-photon p99 (ms), 1920x1080", "<=60"},
    {"click_to_photon_1920x1080", "latency_max_ms", "click-to-photon max (ms), 1920x1080", ""},
    {"click_to_photon_1920x1080", "floor_ms", "processing floor (ms), 1920x1080", ""},
    {"click_to_photon_1920x1080", "latency_p50_over_floor", "latency p50 / floor, 1920x1080",
     "<=1.5"},
    {"click_to_photon_1280x1024", "latency_p50_ms", "click-to-photon p50 (ms), 1280x1024", ""},
    {"click_to_photon_1280x1024", "latency_p99_ms", "click-to-photon p99 (ms), 1280x1024", ""},
    {"click_to_photon_1280x1024", "latency_p50_over_floor", "latency p50 / floor, 1280x1024", ""},
    {"click_to_photon_1920x1080_viewers8", "latency_p99_over_one_viewer",
     "p99 with 8 viewers / with 1, 1920x1080", "<=1.25"},
    {"click_to_photon_1920x1080_viewers1", "sim_display_ms_per_picture",
     "sim display ms per picture, 1 viewer", ""},
    {"click_to_photon_1920x1080_viewers8", "sim_display_ms_per_picture",
     "sim display ms per picture, 8 viewers", ""},
    {"client_pipeline", "pipeline_p50_ms", "client pipeline p50 (ms)", "<=8"},
    {"client_pipeline", "pipeline_p99_ms", "client pipeline p99 (ms)", ""},
    {"decode_throughput", "ours_fps", "libH264Play decode+convert (fps)", ""},
    {"decode_throughput", "ffmpeg_fps", "ffmpeg tool, same work (fps)", ""},
    {"decode_throughput", "ratio_ours_over_ffmpeg", "throughput ratio ours / ffmpeg", ">=1.0"},
    {"desk_cost", "cpu_percent_of_one_core", "client CPU (% of one core)", "<=25"},
    {"desk_cost", "rss_max_mb", "client RSS max (MB)", "<=150"},
    {"desk_cost", "rss_growth_mb", "RSS growth with mouse input (MB)", "<=2"},
    {"move_flood", "move_commands_per_s", "move commands per second", "<=25"},
    {"move_flood", "max_moves_in_any_second", "most moves in any 1 s", "<=25"},
    {"move_flood", "move_gap_min_ms", "shortest gap between moves (ms)", ""},
    {"move_flood", "button_commands_lost", "button commands lost", "==0"},
    {"move_flood", "button_commands_reordered", "button commands reordered", "==0"},
};

QString verdict(double value, const QString &target)
{
    if (target.isEmpty())
        return QString();
    const double limit = target.mid(2).toDouble();
    bool met = false;
    if (target.startsWith("<="))
        met = value <= limit;
    else if (target.startsWith(">="))
        met = value >= limit;
    else
        met = value == limit;
    return met ? "met" : "MISSED";
}

QString cpuModel()
{
    QFile file("/proc/cpuinfo");
    if (!file.open(QIODevice::ReadOnly))
        return "unknown";
    const QRegularExpression model("^model name\\s*:\\s*(.+)$",
                                   QRegularExpression::MultilineOption);
    const auto match = model.match(QString::fromLatin1(file.readAll()));
    return match.hasMatch() ? match.captured(1).trimmed() : "unknown";
}
} // namespace

Json::Value ResultsFile::machine()
{
    Json::Value m;
    m["cpu_model"] = cpuModel().toStdString();
    m["cores"] = QThread::idealThreadCount();
    return m;
}

bool ResultsFile::load(const QString &path, Json::Value &root)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    Json::CharReaderBuilder builder;
    std::string errors;
    const QByteArray text = file.readAll();
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    return reader->parse(text.constData(), text.constData() + text.size(), &root, &errors) &&
           root.isObject();
}

bool ResultsFile::store(const QString &path, const std::string &benchmark, const Json::Value &entry)
{
    Json::Value root;
    if (!load(path, root))
        root = Json::Value(Json::objectValue);
    root["machine"] = machine();
    root["date"] = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString();
    Json::Value stamped = entry;
    stamped["date"] = root["date"];
    root["benchmarks"][benchmark] = stamped;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "  ";
    file.write(QByteArray::fromStdString(Json::writeString(writer, root)));
    file.write("\n");
    return true;
}

QString ResultsFile::table(const Json::Value &root)
{
    QString text;
    text += QString("Machine: %1, %2 cores; results of %3\n\n")
                .arg(QString::fromStdString(root["machine"]["cpu_model"].asString()))
                .arg(root["machine"]["cores"].asInt())
                .arg(QString::fromStdString(root["date"].asString()));
    bool headed = false;
    for (const Row &row : kRows) {
        const Json::Value &b = root["benchmarks"][row.benchmark];
        if (!b.isMember(row.key))
            continue;
        if (!headed) {
            text += QString("| %1 | %2 | %3 | %4 |\n")
                        .arg("figure", -40)
                        .arg("value", 10)
                        .arg("target", 7)
                        .arg("", 6);
            text += QString("|%1|%2|%3|%4|\n")
                        .arg(QString(42, '-'), QString(12, '-'), QString(9, '-'), QString(8, '-'));
            headed = true;
        }
        const double value = b[row.key].asDouble();
        const QString target = QString::fromLatin1(row.target);
        text += QString("| %1 | %2 | %3 | %4 |\n")
                    .arg(QString::fromLatin1(row.label), -40)
                    .arg(QString::number(value, 'f', value == int(value) ? 0 : 2), 10)
                    .arg(target, 7)
                    .arg(verdict(value, target), 6);
    }
    return text + LinkTable::table(root["benchmarks"]);
}
