#pragma once
// The click-to-photon-link results as one table, a row per link, with each
// row's targets: at 4 Mbit/s p99 <= 60 ms, at 1.5 Mbit/s p50 <= 80 ms and
// p99 <= 250 ms, each plus twice the one-way delay; no click unanswered on
// any link.

#include <json/value.h>

#include <QString>

#include <vector>

class LinkTable
{
public:
    // Empty when the results hold no link rows.
    static QString table(const Json::Value &benchmarks);

private:
    static QString stages(const std::vector<Json::Value> &rows);
};
