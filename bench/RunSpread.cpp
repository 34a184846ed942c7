#include "RunSpread.h"

#include "Samples.h"

#include <map>

Json::Value RunSpread::combine(const std::vector<Json::Value> &runs)
{
    std::map<std::string, Samples> byKey;
    for (const Json::Value &run : runs) {
        for (const std::string &key : run.getMemberNames()) {
            if (run[key].isNumeric())
                byKey[key].add(run[key].asDouble());
        }
    }
    Json::Value out(Json::objectValue);
    for (const auto &[key, samples] : byKey) {
        Json::Value &v = out[key];
        v["median"] = samples.median();
        v["min"] = samples.min();
        v["max"] = samples.max();
        v["runs"] = samples.count();
    }
    return out;
}

QString RunSpread::text(const Json::Value &combined)
{
    QString lines;
    for (const std::string &key : combined.getMemberNames()) {
        const Json::Value &v = combined[key];
        lines += QString("  %1  %2 [%3, %4]\n")
                     .arg(QString::fromStdString(key), -44)
                     .arg(v["median"].asDouble(), 0, 'g', 4)
                     .arg(v["min"].asDouble(), 0, 'g', 4)
                     .arg(v["max"].asDouble(), 0, 'g', 4);
    }
    return lines;
}
