#pragma once
// A set of measurements of one quantity, for percentiles.

#include <vector>

class Samples
{
public:
    void add(double value) { m_values.push_back(value); }
    int count() const { return int(m_values.size()); }
    bool empty() const { return m_values.empty(); }
    // Nearest-rank percentile, p in 0..100; 0 when empty.
    double percentile(double p) const;
    double median() const { return percentile(50); }
    double min() const;
    double max() const;
    double mean() const;

private:
    std::vector<double> m_values;
};
