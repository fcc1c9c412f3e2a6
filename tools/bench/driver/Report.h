#ifndef RINGLOCK_TOOLS_BENCH_DRIVER_REPORT_H
#define RINGLOCK_TOOLS_BENCH_DRIVER_REPORT_H

// The benchmark's results: a table for people, METRIC lines for machines and
// the failures that make the run fail.

#include <cstddef>
#include <string>
#include <vector>

namespace bench {

struct Stats {
    double median = 0;
    double worst = 0;
    double min = 0;
    size_t count = 0;
};

Stats Summarise(std::vector<double> values);
std::string Fixed(double value, int decimals);

void AddMetric(const std::string& name, double value, const std::string& unit);
// `met` < 0: a row without a verdict.
void AddRow(const std::string& what, const std::string& measured, const std::string& reference,
            const std::string& target, int met);
void Fail(const std::string& text);

// The table, the METRIC lines and the failures; false when anything failed.
bool PrintReport();

}  // namespace bench

#endif
