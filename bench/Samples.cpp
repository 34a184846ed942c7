#include "Samples.h"

#include <algorithm>
#include <cmath>
#include <numeric>

double Samples::percentile(double p) const
{
    if (m_values.empty())
        return 0;
    std::vector<double> sorted = m_values;
    std::sort(sorted.begin(), sorted.end());
    const double rank = std::ceil(p / 100.0 * double(sorted.size()));
    const size_t index = size_t(std::clamp(rank, 1.0, double(sorted.size()))) - 1;
    return sorted[index];
}

double Samples::min() const
{
    return m_values.empty() ? 0 : *std::min_element(m_values.begin(), m_values.end());
}

double Samples::max() const
{
    return m_values.empty() ? 0 : *std::max_element(m_values.begin(), m_values.end());
}

double Samples::mean() const
{
    if (m_values.empty())
        return 0;
    return std::accumulate(m_values.begin(), m_values.end(), 0.0) / double(m_values.size());
}
