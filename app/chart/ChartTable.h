#pragma once

class ChartSeries;
struct ChartOptions;

// The numbers a chart plots, as a table (Windows-1252, semicolons, decimal
// commas, -99,9 without data): per month of firstMonth..lastMonth the
// global value, both hemispheres, the coverage and each position's value;
// per year of those months the same of the year averages; the options'
// running mean and trend slope. Written beside the name and moved over it
// when complete; failures are WExceptions.
void writeChartTable(const char* fileName, const ChartSeries& series, const ChartOptions& options,
                     long long firstMonth, long long lastMonth);
