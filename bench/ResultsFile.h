#pragma once
// bench/results.json: one object per benchmark under "benchmarks", with the
// machine (CPU model, cores) and the date of the last update. A benchmark
// run alone replaces only its own object.

#include <json/value.h>

#include <QString>

class ResultsFile
{
public:
    static bool store(const QString &path, const std::string &benchmark, const Json::Value &entry);
    static bool load(const QString &path, Json::Value &root);
    // The headline figures beside their targets, as a plain-text table.
    static QString table(const Json::Value &root);

private:
    static Json::Value machine();
};
