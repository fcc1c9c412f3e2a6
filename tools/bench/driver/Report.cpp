#include "tools/bench/driver/Report.h"

#include <algorithm>
#include <cstdio>

namespace bench {

namespace {

struct Metric {
    std::string name;
    double value;
    std::string unit;
};

struct Row {
    std::string what;
    std::string measured;
    std::string reference;
    std::string target;
    std::string verdict;
};

std::vector<Metric> g_metrics;
std::vector<Row> g_rows;
std::vector<std::string> g_failures;

void PrintTable()
{
    std::printf("\n| measurement | Ringlock | reference | target | |\n|---|---|---|---|---|\n");
    for (const Row& row : g_rows) {
        std::printf("| %s | %s | %s | %s | %s |\n", row.what.c_str(), row.measured.c_str(), row.reference.c_str(),
                    row.target.c_str(), row.verdict.c_str());
    }
    std::printf("\n");
}

void PrintMetrics()
{
    for (const Metric& m : g_metrics) {
        std::printf("METRIC %s %s %s\n", m.name.c_str(), Fixed(m.value, 3).c_str(), m.unit.c_str());
    }
}

}  // namespace

Stats Summarise(std::vector<double> values)
{
    Stats s;
    s.count = values.size();
    if (values.empty()) {
        return s;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    s.min = values.front();
    s.worst = values.back();
    return s;
}

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%.*f", decimals, value);
    return text;
}

void AddMetric(const std::string& name, double value, const std::string& unit)
{
    g_metrics.push_back(Metric{name, value, unit});
}

void AddRow(const std::string& what, const std::string& measured, const std::string& reference,
            const std::string& target, int met)
{
    g_rows.push_back(Row{what, measured, reference, target, met < 0 ? "" : (met ? "met" : "NOT MET")});
}

void Fail(const std::string& text)
{
    std::printf("  FAILED: %s\n", text.c_str());
    g_failures.push_back(text);
}

bool PrintReport()
{
    PrintTable();
    PrintMetrics();
    for (const std::string& failure : g_failures) {
        std::printf("FAILED %s\n", failure.c_str());
    }
    return g_failures.empty();
}

}  // namespace bench
