// What a well-formed recording can tell the game, checked entry by entry before the game sees
// any of it: the clock and the render times never run backwards; a frame runs no more updates
// than the host's loop would have run for the time that passed (at most four, one after the
// game changed its rate, none while suspended); pointers are finite and on a sane plane; key
// codes lie in the input device's key space; windows are smaller than 16384 pixels a side.
// The recording host runs the same checks, so it never writes what a replay would refuse.
#pragma once
#include <string>

#include "host/replay/format.h"

class KxReplayChecker {
 public:
  // Why the entry cannot come next in a real run; empty when it can.
  std::string Check(const KxReplayEntry& entry);

 private:
  std::string CheckValues(const KxReplayEntry& entry) const;
  std::string CheckFrame(const KxReplayEntry& entry);

  int clock_ = 0;
  int render_ = 0;         // the last render's time
  int renderBefore_ = 0;   // the time of the render before it
  int frameUpdates_ = 0;   // updates since the last render
  int rate_ = 0;           // hertz, as the game last set it
  bool rateChanged_ = false;  // the game changed its rate in this frame's updates
  bool inUpdate_ = false;
  bool suspended_ = false;
};
