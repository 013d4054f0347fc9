// A lookup of the foes near a point, for the lightning, which tests many points against
// foes that stay put for the rest of the frame.
#pragma once
#include <algorithm>
#include <cmath>

#include "game/play/arena.h"

namespace arena {

// The lightning's bolts look foes up in a grid of 32-unit cells instead of testing every foe.
// Each cell lists its foes in record order, and a point's candidates come in record order too,
// so foes are destroyed, and random numbers drawn, exactly as a test of every foe in turn
// would. Positions outside the
// grid go to its border cells; a position that is not a number makes the grid unusable.
class FoeGrid {
 public:
  // Foe records (kLastFoe + 1 of them) are read again at the next lookup.
  void Invalidate() { built_ = false; }

  // Calls hit(i) for each record i, in increasing order, that may lie within 8 units of (x, y).
  template <class Hit>
  void Candidates(const float* foes, float x, float y, Hit hit) {
    if (!built_) Build(foes);
    if (!usable_ || !std::isfinite(x) || !std::isfinite(y)) {
      for (int i = 0; i <= kLastFoe; ++i) hit(i);
      return;
    }
    int found[kLastFoe + 1];
    int n = 0;
    const int cx0 = Cell(x - 8, kColumns), cx1 = Cell(x + 8, kColumns);
    const int cy0 = Cell(y - 8, kRows), cy1 = Cell(y + 8, kRows);
    for (int cy = cy0; cy <= cy1; ++cy) {
      for (int cx = cx0; cx <= cx1; ++cx) {
        const int c = cy * kColumns + cx;
        for (int e = start_[c]; e < start_[c + 1]; ++e) found[n++] = entries_[e];
      }
    }
    std::sort(found, found + n);
    for (int k = 0; k < n; ++k) hit(found[k]);
  }

 private:
  static const int kColumns = 48;
  static const int kRows = 40;
  static const int kCells = kColumns * kRows;

  static int Cell(float v, int count) {
    float c = std::floor((std::max(v, -256.0f) + 256) / 32);
    return static_cast<int>(std::min(c, static_cast<float>(count - 1)));
  }

  void Build(const float* foes) {
    built_ = true;
    usable_ = true;
    int cellOf[kLastFoe + 1];
    std::fill(start_, start_ + kCells + 1, 0);
    for (int i = 0; i <= kLastFoe; ++i) {
      const float* foe = foes + i * kRecord;
      cellOf[i] = -1;
      if (foe[kFoeKind] <= 0) continue;
      if (!std::isfinite(foe[kFoeX]) || !std::isfinite(foe[kFoeY])) {
        usable_ = false;
        return;
      }
      cellOf[i] = Cell(foe[kFoeY], kRows) * kColumns + Cell(foe[kFoeX], kColumns);
      ++start_[cellOf[i] + 1];
    }
    for (int c = 0; c < kCells; ++c) start_[c + 1] += start_[c];
    int fill[kCells];
    std::copy(start_, start_ + kCells, fill);
    for (int i = 0; i <= kLastFoe; ++i) {
      if (cellOf[i] >= 0) entries_[fill[cellOf[i]]++] = i;
    }
  }

  bool built_ = false;
  bool usable_ = false;
  int start_[kCells + 1];
  int entries_[kLastFoe + 1];
};

}  // namespace arena
