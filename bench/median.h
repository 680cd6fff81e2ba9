// The median of a benchmark's repeated timings: one slow pass (a page
// fault, another process) does not move it as it moves a mean.
#pragma once

#include <algorithm>
#include <vector>

namespace bench {

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace bench
