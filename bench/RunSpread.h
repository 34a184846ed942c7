#pragma once
// The figures of several runs of one measurement, side by side: every
// number the runs report becomes its median, minimum and maximum over the
// runs that reported it. Pure logic.

#include <json/value.h>

#include <QString>

#include <vector>

class RunSpread
{
public:
    // {"key": {"median": m, "min": a, "max": b, "runs": n}, ...} for every
    // numeric member of the runs' objects; other members are left out.
    static Json::Value combine(const std::vector<Json::Value> &runs);
    // One line per key: "key  median [min, max]", keys in order.
    static QString text(const Json::Value &combined);
};
