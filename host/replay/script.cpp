// The script of inputs a recording is made from, and its reader. A script is lines of words;
// "#" starts a comment. The lines:
//
//   state FILE             start from this stored state (relative to the script); none: fresh
//   at TIME EVENT          the event happens once TIME updates have run
//   repeat COUNT ... done  the lines between, COUNT times over (times inside are +N)
//   end TIME               the run ends once TIME updates have run (exactly one, the last line)
//
// TIME is a count of updates (60 a second), or +N: N after the line before. The events:
//
//   key down|up KEY        KEY: Escape Enter Space Tab Backspace Insert Delete PageUp PageDown
//                          Home End Up Down Left Right Shift Ctrl Tilde F1..F12 A..Z 0..9
//                          (any case, KEY_ prefix allowed); a letter, a digit or Space types its
//                          character too, as a keyboard does
//   press KEY [N]          down now and up N updates later (5 if left out)
//   mouse X Y              the pointer moves to X, Y in the window
//   mouse down|up [BUTTON] BUTTON: left (if left out), right, middle
//   click [BUTTON] [N]     down now and up N updates later (5 if left out)
//   pad SLOT connect|disconnect
//   pad SLOT axis AXIS V   AXIS: LeftX LeftY RightX RightY LT RT; V from -1 to 1 (down positive)
//   pad SLOT button B down|up
//   pad SLOT press B [N]   B: A B X Y LB RB Back Start Guide LS RS Up Right Down Left
//   close                  the window's close button
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "host/glfwgame.h"
#include "host/replay/script.h"

namespace {

// Bounds that keep a mistyped count from making a script of millions of events.
const int kMaxTime = 10000000;
const size_t kMaxEvents = 1000000;
const int kDefaultHold = 5;

struct Name {
  const char* name;
  int value;
};

const Name kKeys[] = {
    {"escape", glfw2::KEY_ESC},       {"enter", glfw2::KEY_ENTER},
    {"space", glfw2::KEY_SPACE},      {"tab", glfw2::KEY_TAB},
    {"backspace", glfw2::KEY_BACKSPACE}, {"insert", glfw2::KEY_INSERT},
    {"delete", glfw2::KEY_DEL},       {"pageup", glfw2::KEY_PAGEUP},
    {"pagedown", glfw2::KEY_PAGEDOWN}, {"home", glfw2::KEY_HOME},
    {"end", glfw2::KEY_END},          {"up", glfw2::KEY_UP},
    {"down", glfw2::KEY_DOWN},        {"left", glfw2::KEY_LEFT},
    {"right", glfw2::KEY_RIGHT},      {"shift", glfw2::KEY_LSHIFT},
    {"ctrl", glfw2::KEY_LCTRL},       {"tilde", '`'},
};
const Name kButtons[] = {{"left", glfw2::MOUSE_BUTTON_LEFT},
                         {"right", glfw2::MOUSE_BUTTON_RIGHT},
                         {"middle", glfw2::MOUSE_BUTTON_MIDDLE}};
const Name kPadButtons[] = {
    {"a", glfw2::GAMEPAD_A},         {"b", glfw2::GAMEPAD_B},
    {"x", glfw2::GAMEPAD_X},         {"y", glfw2::GAMEPAD_Y},
    {"lb", glfw2::GAMEPAD_LEFT_BUMPER}, {"rb", glfw2::GAMEPAD_RIGHT_BUMPER},
    {"back", glfw2::GAMEPAD_BACK},   {"start", glfw2::GAMEPAD_START},
    {"guide", glfw2::GAMEPAD_GUIDE}, {"ls", glfw2::GAMEPAD_LEFT_THUMB},
    {"rs", glfw2::GAMEPAD_RIGHT_THUMB}, {"up", glfw2::GAMEPAD_DPAD_UP},
    {"right", glfw2::GAMEPAD_DPAD_RIGHT}, {"down", glfw2::GAMEPAD_DPAD_DOWN},
    {"left", glfw2::GAMEPAD_DPAD_LEFT}};
const Name kAxes[] = {{"leftx", glfw2::GAMEPAD_LEFT_X},   {"lefty", glfw2::GAMEPAD_LEFT_Y},
                      {"rightx", glfw2::GAMEPAD_RIGHT_X}, {"righty", glfw2::GAMEPAD_RIGHT_Y},
                      {"lt", glfw2::GAMEPAD_LEFT_TRIGGER}, {"rt", glfw2::GAMEPAD_RIGHT_TRIGGER}};

std::string Lower(std::string word) {
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word;
}

template <size_t N>
bool Lookup(const Name (&names)[N], const std::string& word, int* value) {
  std::string lower = Lower(word);
  for (const Name& n : names) {
    if (lower == n.name) return *value = n.value, true;
  }
  return false;
}

// A key by its name: the table, then one letter or digit, then F1 to F12.
bool KeyNamed(std::string word, int* key) {
  if (Lower(word).rfind("key_", 0) == 0) word = word.substr(4);
  if (Lookup(kKeys, word, key)) return true;
  if (word.size() == 1 && std::isalnum(static_cast<unsigned char>(word[0]))) {
    *key = std::toupper(static_cast<unsigned char>(word[0]));
    return true;
  }
  std::string lower = Lower(word);
  if (lower.size() >= 2 && lower.size() <= 3 && lower[0] == 'f' &&
      std::all_of(lower.begin() + 1, lower.end(), ::isdigit)) {
    int n = std::atoi(lower.c_str() + 1);
    if (n >= 1 && n <= 12) return *key = glfw2::KEY_F1 + n - 1, true;
  }
  return false;
}

// Digits only, below `limit`.
bool Count(const std::string& word, int limit, int* value) {
  if (word.empty() || word.size() > 9 ||
      !std::all_of(word.begin(), word.end(), ::isdigit)) {
    return false;
  }
  *value = std::atoi(word.c_str());
  return *value <= limit;
}

// Reads one script into events; every mistake is "line N: why".
class Parser {
 public:
  Parser(const std::string& folder, KxReplayScript* script) : folder_(folder), script_(script) {}

  bool Run(const std::string& text, std::string* error) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      std::vector<std::string> words;
      std::istringstream split(line.substr(0, line.find('#')));
      for (std::string w; split >> w;) words.push_back(w);
      lines_.push_back(words);
    }
    size_t at = 0;
    bool ok = Block(&at, 0) && Finish();
    if (!ok) *error = "line " + std::to_string(line_ + 1) + ": " + why_;
    std::stable_sort(script_->events.begin(), script_->events.end(),
                     [](const KxScriptEvent& a, const KxScriptEvent& b) {
                       return a.update < b.update;
                     });
    return ok;
  }

 private:
  bool Fail(const std::string& why) {
    why_ = why;
    return false;
  }

  // Lines from *at up to the end, or to the "done" closing a repeat `depth` deep.
  bool Block(size_t* at, int depth) {
    for (; *at < lines_.size(); ++*at) {
      line_ = *at;
      const std::vector<std::string>& w = lines_[*at];
      if (w.empty()) continue;
      if (ended_) return Fail("nothing may follow the end");
      if (w[0] == "done") return depth > 0 ? true : Fail("done without a repeat");
      if (w[0] == "repeat") {
        if (!Repeat(at, depth)) return false;
      } else if (!Line(w, depth)) {
        return false;
      }
    }
    line_ = lines_.size() - (lines_.empty() ? 0 : 1);
    return depth == 0 || Fail("a repeat without its done");
  }

  bool Repeat(size_t* at, int depth) {
    const std::vector<std::string>& w = lines_[*at];
    int count = 0;
    if (w.size() != 2 || !Count(w[1], kMaxTime, &count)) return Fail("repeat needs a count");
    size_t start = *at + 1;
    for (int i = 0; i < std::max(count, 1); ++i) {
      *at = start;
      size_t before = script_->events.size();
      int time = time_;
      if (!Block(at, depth + 1)) return false;
      // Nothing of a repeat done zero times.
      if (count == 0) script_->events.resize(before), time_ = time;
    }
    return true;
  }

  bool Line(const std::vector<std::string>& w, int depth) {
    if (w[0] == "state") {
      if (w.size() != 2) return Fail("state needs one file name");
      if (depth > 0 || !script_->state.empty() || !script_->events.empty())
        return Fail("state comes once, before any event");
      script_->state = w[1][0] == '/' ? w[1] : folder_ + w[1];
      return true;
    }
    if (w[0] != "at" && w[0] != "end") return Fail("unknown line '" + w[0] + "'");
    if (w[0] == "end" && (depth > 0 || w.size() != 2))
      return Fail("end takes a time, outside any repeat");
    if (w.size() < 2 || !Time(w[1], depth)) return false;
    if (w[0] == "end") {
      script_->end = time_;
      return ended_ = true;
    }
    if (w.size() < 3) return Fail("at needs an event");
    if (!Event(std::vector<std::string>(w.begin() + 2, w.end()))) return false;
    if (script_->events.size() > kMaxEvents) return Fail("too many events");
    return true;
  }

  bool Time(const std::string& word, int depth) {
    int n = 0;
    bool relative = word[0] == '+';
    if (!Count(relative ? word.substr(1) : word, kMaxTime, &n))
      return Fail("'" + word + "' is not a time");
    if (!relative && depth > 0) return Fail("times inside a repeat are +N");
    if (!relative && n < time_) return Fail("times go forward; " + word + " is before " +
                                            std::to_string(time_));
    time_ = relative ? time_ + n : n;
    return time_ <= kMaxTime || Fail("the run is too long");
  }

  void Put(KxScriptEvent::Type type, int a, int b = 0, float value = 0, int later = 0) {
    KxScriptEvent event;
    event.update = time_ + later, event.type = type, event.a = a, event.b = b;
    event.value = value;
    script_->events.push_back(event);
  }

  // "down"/"up" to 0/1; -1 for anything else.
  static int Way(const std::string& word) { return word == "down" ? 0 : word == "up" ? 1 : -1; }

  bool Hold(const std::vector<std::string>& w, size_t at, int* hold) {
    *hold = kDefaultHold;
    if (w.size() > at + 1) return Fail("too many words");
    if (w.size() == at + 1 && (!Count(w[at], kMaxTime, hold) || *hold < 1))
      return Fail("'" + w[at] + "' is not a count of updates");
    return true;
  }

  bool Event(const std::vector<std::string>& w) {
    int key = 0, hold = 0;
    if (w[0] == "key") {
      if (w.size() != 3 || Way(w[1]) < 0) return Fail("key down|up KEY");
      if (!KeyNamed(w[2], &key)) return Fail("no key is called '" + w[2] + "'");
      Put(Way(w[1]) == 0 ? KxScriptEvent::KeyDown : KxScriptEvent::KeyUp, key);
      return true;
    }
    if (w[0] == "press") {
      if (w.size() < 2 || !KeyNamed(w[1], &key)) return Fail("press KEY [UPDATES]");
      if (!Hold(w, 2, &hold)) return false;
      Put(KxScriptEvent::KeyDown, key);
      Put(KxScriptEvent::KeyUp, key, 0, 0, hold);
      return true;
    }
    if (w[0] == "mouse") return Mouse(w);
    if (w[0] == "click") {
      int button = glfw2::MOUSE_BUTTON_LEFT;
      size_t at = w.size() > 1 && Lookup(kButtons, w[1], &button) ? 2 : 1;
      if (!Hold(w, at, &hold)) return false;
      Put(KxScriptEvent::MouseDown, button);
      Put(KxScriptEvent::MouseUp, button, 0, 0, hold);
      return true;
    }
    if (w[0] == "pad") return Pad(w);
    if (w[0] == "close" && w.size() == 1) return Put(KxScriptEvent::Close, 0), true;
    return Fail("unknown event '" + w[0] + "'");
  }

  bool Mouse(const std::vector<std::string>& w) {
    if (w.size() >= 2 && Way(w[1]) >= 0) {
      int button = glfw2::MOUSE_BUTTON_LEFT;
      if (w.size() > 3 || (w.size() == 3 && !Lookup(kButtons, w[2], &button)))
        return Fail("mouse down|up [left|right|middle]");
      Put(Way(w[1]) == 0 ? KxScriptEvent::MouseDown : KxScriptEvent::MouseUp, button);
      return true;
    }
    int x = 0, y = 0;
    if (w.size() != 3 || !Count(w[1], 16383, &x) || !Count(w[2], 16383, &y))
      return Fail("mouse X Y, from 0 to 16383");
    Put(KxScriptEvent::MouseMove, x, y);
    return true;
  }

  bool Pad(const std::vector<std::string>& w) {
    int slot = 0, which = 0, hold = 0;
    if (w.size() < 3 || !Count(w[1], glfw2::JOYSTICK_LAST, &slot))
      return Fail("pad needs a slot from 0 to 15");
    const std::string& what = w[2];
    if ((what == "connect" || what == "disconnect") && w.size() == 3) {
      Put(what == "connect" ? KxScriptEvent::PadConnect : KxScriptEvent::PadDisconnect, slot);
      return true;
    }
    if (what == "axis") {
      char* rest = nullptr;
      float v = w.size() == 5 ? std::strtof(w[4].c_str(), &rest) : NAN;
      if (w.size() != 5 || !Lookup(kAxes, w[3], &which) || *rest || !(std::fabs(v) <= 1))
        return Fail("pad SLOT axis LeftX|LeftY|RightX|RightY|LT|RT -1..1");
      Put(KxScriptEvent::PadAxis, slot, which, v);
      return true;
    }
    if (w.size() < 4 || !Lookup(kPadButtons, w[3], &which)) return Fail("no such pad button");
    if (what == "button" && w.size() == 5 && Way(w[4]) >= 0) {
      Put(Way(w[4]) == 0 ? KxScriptEvent::PadButtonDown : KxScriptEvent::PadButtonUp, slot, which);
      return true;
    }
    if (what != "press") return Fail("pad SLOT connect|disconnect|axis|button|press ...");
    if (!Hold(w, 4, &hold)) return false;
    Put(KxScriptEvent::PadButtonDown, slot, which);
    Put(KxScriptEvent::PadButtonUp, slot, which, 0, hold);
    return true;
  }

  // Times only go forward, so only a press's release can fall after the end: the run simply
  // stops first.
  bool Finish() { return ended_ || Fail("the script has no end line"); }

  std::string folder_;
  KxReplayScript* script_;
  std::vector<std::vector<std::string>> lines_;
  size_t line_ = 0;
  int time_ = 0;
  bool ended_ = false;
  std::string why_;
};

}  // namespace

bool kx_script_Parse(const std::string& text, const std::string& folder, KxReplayScript* script,
                     std::string* error) {
  *script = KxReplayScript();
  return Parser(folder.empty() || folder.back() == '/' ? folder : folder + "/", script)
      .Run(text, error);
}
