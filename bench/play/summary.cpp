// Summaries of measured samples and the figure lines: the runner reads only lines that begin
// with the figure tag, so this file is the only one that writes it.
#include "summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace play {

namespace {

constexpr double kP99 = 0.99;
constexpr char kFigureTag[] = "FIGURE";

}  // namespace

Summary Summarise(std::vector<double> values) {
  Summary s;
  s.count = values.size();
  if (values.empty()) return s;
  std::sort(values.begin(), values.end());
  double sum = 0;
  for (double v : values) sum += v;
  s.mean = sum / values.size();
  double squares = 0;
  for (double v : values) squares += (v - s.mean) * (v - s.mean);
  s.sd = std::sqrt(squares / values.size());
  const std::size_t n = values.size();
  s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  std::size_t rank = static_cast<std::size_t>(std::ceil(kP99 * n));
  s.p99 = values[std::min(n, std::max<std::size_t>(rank, 1)) - 1];
  s.max = values.back();
  return s;
}

void PrintFigure(const std::string& key, double value, const char* unit) {
  if (!std::isfinite(value)) {
    std::printf("%s: not measured (the value was not a number)\n", key.c_str());
    return;
  }
  std::printf("%s\t%s\t%.6g\t%s\n", kFigureTag, key.c_str(), value, unit);
  std::fflush(stdout);
}

}  // namespace play
