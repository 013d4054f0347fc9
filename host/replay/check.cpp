// The checks of a recording's entries, in the order a real run gives them.
#include "host/replay/check.h"

#include <cmath>

namespace {

// Most updates the host runs in one rendered frame before it drops the backlog.
const int kMaxCatchUp = 4;
// Larger than any window, screen or pointer position a real run reports.
const int kMaxSide = 16384;
const float kMaxPointer = 65536.0f;

bool Within(int value, int low, int high) { return value >= low && value <= high; }

bool SanePoint(const std::vector<float>& values) {
  for (float v : values) {
    if (!std::isfinite(v) || std::fabs(v) > kMaxPointer) return false;
  }
  return true;
}

// Event codes and data of the host's input calls: keys 1 to 3 (codes of the input device's key
// space, or characters), mouse 4 to 6 (buttons 0 to 2, or -1 for a move), touch 7 to 9 (32
// fingers), motion 10.
std::string CheckEvent(const KxReplayEntry& e) {
  int event = e.ints[0], data = e.ints[1];
  bool fits = false;
  switch (e.kind) {
    case KxReplayKey:
      fits = event == 3 ? Within(data, 0, 0x10FFFF) : Within(event, 1, 2) && Within(data, 1, 511);
      break;
    case KxReplayMouse: fits = Within(event, 4, 6) && Within(data, -1, 2); break;
    case KxReplayTouch: fits = Within(event, 7, 9) && Within(data, 0, 31); break;
    default: fits = event == 10 && data == 0; break;
  }
  if (!fits) return "an input event outside the input device's codes";
  return SanePoint(e.floats) ? "" : "a pointer position that is not on the screen's plane";
}

std::string CheckSizes(const std::vector<int>& ints, size_t stride, int low) {
  for (size_t i = 0; i + 1 < ints.size(); i += stride) {
    if (!Within(ints[i], low, kMaxSide - 1) || !Within(ints[i + 1], low, kMaxSide - 1)) {
      return "a window or screen size out of range";
    }
  }
  return "";
}

std::string CheckJoystick(const KxReplayEntry& e) {
  if (!Within(e.ints[0], 0, 3) || !Within(e.ints[1], 0, 1)) return "a joystick port out of range";
  if (e.ints[1] == 0 && (!e.floats.empty() || e.ints[2] != 0)) return "an absent joystick that reads";
  for (float axis : e.floats) {
    if (!std::isfinite(axis) || std::fabs(axis) > 1.0f) return "a joystick axis out of range";
  }
  return "";
}

}  // namespace

std::string KxReplayChecker::Check(const KxReplayEntry& entry) {
  std::string fault = kx_replay_ShapeFault(entry);
  if (fault.empty()) fault = CheckValues(entry);
  if (fault.empty()) fault = CheckFrame(entry);
  return fault;
}

std::string KxReplayChecker::CheckValues(const KxReplayEntry& e) const {
  const std::vector<int>& i = e.ints;
  switch (e.kind) {
    case KxReplayKey:
    case KxReplayMouse:
    case KxReplayTouch:
    case KxReplayMotion: return CheckEvent(e);
    case KxReplayJoystick: return CheckJoystick(e);
    case KxReplayWidth:
    case KxReplayHeight: return CheckSizes({i[0], i[0]}, 2, 1);
    case KxReplayWindow:
      if (!Within(i[8], 0, 1)) return "a window neither full screen nor not";
      return CheckSizes(i, 9, 0);
    case KxReplayDesktop: return CheckSizes(i, 5, 0);
    case KxReplayVideoModes:
      if (i.size() % 5 != 0) return "a broken list of video modes";
      return CheckSizes(i, 5, 0);
    case KxReplayDigest: return Within(i[0], 0, 15) ? "" : "a digest of more than four bits";
    case KxReplayRate: return Within(i[0], 0, 1000) ? "" : "an update rate out of range";
    case KxReplayError: return e.text.Length() > 0 && i[0] >= 0 ? "" : "an error without a message";
    default: return "";
  }
}

std::string KxReplayChecker::CheckFrame(const KxReplayEntry& e) {
  switch (e.kind) {
    case KxReplayMillisecs:
      if (e.ints[0] < clock_) return "the clock runs backwards";
      clock_ = e.ints[0];
      return "";
    case KxReplaySuspend: suspended_ = true; return "";
    case KxReplayResume: suspended_ = false; return "";
    case KxReplayRate:
      rateChanged_ = rateChanged_ || inUpdate_;
      rate_ = e.ints[0];
      return "";
    case KxReplayDigest:
      if (!inUpdate_) return "a digest outside an update";
      inUpdate_ = false;
      return "";
    case KxReplayUpdate:
      if (suspended_ || inUpdate_ || rateChanged_) return "an update where the loop runs none";
      if (++frameUpdates_ > (rate_ > 0 ? kMaxCatchUp : 1)) return "more updates in a frame than the loop runs";
      inUpdate_ = true;
      return "";
    case KxReplayRender: {
      int now = e.ints[0];
      if (now < render_) return "the render times run backwards";
      // The first update of a frame was due after the render before the last one, and each
      // further one a period later, all before this render.
      if (frameUpdates_ > 1 && rate_ > 0 &&
          (frameUpdates_ - 1) * 1000.0 / rate_ > now - renderBefore_ + 2.0) {
        return "more updates in a frame than the time that passed allows";
      }
      renderBefore_ = render_;
      render_ = now;
      frameUpdates_ = 0;
      rateChanged_ = false;
      return "";
    }
    default: return "";
  }
}
