// A small line chart written as a PNG: one panel per series over a shared x axis, with labels
// in a built-in bitmap font. Used to look at long runs (memory over an hour of play).
#pragma once
#include <string>
#include <vector>

namespace soak {

struct Series {
  std::string title;
  std::vector<double> values;  // one per x position
};

// x runs from 0 to xs.back(); each series is drawn against xs in its own panel, from 0 to a
// little above its largest value. False when the file cannot be written.
bool WritePlot(const std::string& path, const std::string& xLabel, const std::vector<double>& xs,
               const std::vector<Series>& series);

}  // namespace soak
