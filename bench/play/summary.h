// Summaries of measured samples (median, 99th percentile, mean, spread, largest) and the one
// place that prints figure lines for the bench runner.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace play {

struct Summary {
  std::size_t count = 0;
  double mean = 0;
  double sd = 0;  // population standard deviation
  double median = 0;
  double p99 = 0;  // nearest-rank 99th percentile
  double max = 0;
};

Summary Summarise(std::vector<double> values);

// One figure line for the runner. A value that is not a finite number is left out with a
// human line saying so.
void PrintFigure(const std::string& key, double value, const char* unit);

}  // namespace play
