// String representation management and the string operations. Results that equal an operand
// share its representation; every empty result is the shared empty representation.
#include "runtime/string.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/array.h"

String::Rep String::nullRep = {1, 0, {0}};

namespace {

// Longest string whose representation size still fits an int.
const int kMaxLength = (INT_MAX - 16) / 2;

bool IsSpace(Char c) { return c <= ' '; }

std::string FormatInt(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%i", value);
  return text;
}

// Keeps a float recognisable as one: "1.0", not "1".
std::string FormatFloat(double value) {
  char text[48];
  std::snprintf(text, sizeof text, "%.17lg", value);
  std::string result = text;
  if (result.find_first_of("e.") == std::string::npos) result += ".0";
  return result;
}

void AppendUtf8(std::string& out, unsigned c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

String::Rep* String::Alloc(int length) {
  if (length <= 0) return &nullRep;
  if (length > kMaxLength) std::abort();
  Rep* rep = static_cast<Rep*>(std::malloc(sizeof(int) * 2 + sizeof(Char) * length));
  if (!rep) std::abort();
  rep->refs = 1;
  rep->length = length;
  return rep;
}

void String::Release(Rep* rep) {
  if (rep != &nullRep && --rep->refs == 0) std::free(rep);
}

String& String::operator=(const String& other) {
  Retain(other.rep_);
  Release(rep_);
  rep_ = other.rep_;
  return *this;
}

String& String::operator=(String&& other) noexcept {
  if (this != &other) {
    Release(rep_);
    rep_ = other.rep_;
    other.rep_ = &nullRep;
  }
  return *this;
}

String::String(const Char* units, int length) : rep_(Alloc(length)) {
  if (length > 0) std::memcpy(rep_->data, units, sizeof(Char) * length);
}

String::String(const char* text) : rep_(Alloc(static_cast<int>(std::strlen(text)))) {
  // Bytes are widened as signed 8-bit values, as the 8-bit interfaces hand them over.
  for (int i = 0; i < rep_->length; ++i) {
    rep_->data[i] = static_cast<Char>(static_cast<short>(static_cast<signed char>(text[i])));
  }
}

String::String(int value) : String(FormatInt(value).c_str()) {}

String::String(double value) : String(FormatFloat(value).c_str()) {}

String::String(float value) : String(static_cast<double>(value)) {}

String String::FromChar(int unit) {
  Char c = static_cast<Char>(unit);
  return String(&c, 1);
}

String String::FromUtf8(const std::string& text) {
  std::vector<Char> units;
  units.reserve(text.size());
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
  size_t n = text.size();
  size_t i = 0;
  auto cont = [&](size_t k) { return i + k < n && (p[i + k] & 0xC0) == 0x80; };
  while (i < n) {
    unsigned c = p[i];
    if (c >= 0xC2 && c < 0xE0 && cont(1)) {
      units.push_back(static_cast<Char>(((c & 0x1F) << 6) | (p[i + 1] & 0x3F)));
      i += 2;
    } else if (c >= 0xE0 && c < 0xF0 && cont(1) && cont(2)) {
      units.push_back(static_cast<Char>(((c & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) |
                                        (p[i + 2] & 0x3F)));
      i += 3;
    } else if (c >= 0xF0 && c < 0xF5 && cont(1) && cont(2) && cont(3)) {
      unsigned cp = ((c & 0x07) << 18) | ((p[i + 1] & 0x3F) << 12) | ((p[i + 2] & 0x3F) << 6) |
                    (p[i + 3] & 0x3F);
      cp -= 0x10000;
      units.push_back(static_cast<Char>(0xD800 + ((cp >> 10) & 0x3FF)));
      units.push_back(static_cast<Char>(0xDC00 + (cp & 0x3FF)));
      i += 4;
    } else {
      // Not UTF-8: keep the byte as it is.
      units.push_back(static_cast<Char>(c));
      i += 1;
    }
  }
  return String(units.data(), static_cast<int>(units.size()));
}

std::string String::ToUtf8() const {
  std::string out;
  out.reserve(Length());
  for (int i = 0; i < Length(); ++i) {
    unsigned c = rep_->data[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < Length() && rep_->data[i + 1] >= 0xDC00 &&
        rep_->data[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (rep_->data[++i] - 0xDC00);
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::string String::ToUtf8Units() const {
  std::string out;
  out.reserve(Length());
  for (int i = 0; i < Length(); ++i) AppendUtf8(out, rep_->data[i]);
  return out;
}

bool String::operator==(const String& other) const {
  if (rep_ == other.rep_) return true;
  return Length() == other.Length() &&
         std::memcmp(Data(), other.Data(), sizeof(Char) * Length()) == 0;
}

int String::Compare(const String& other) const {
  int n = Length() < other.Length() ? Length() : other.Length();
  for (int i = 0; i < n; ++i) {
    if (rep_->data[i] != other[i]) return rep_->data[i] - other[i];
  }
  return Length() - other.Length();
}

String String::operator+(const String& other) const {
  if (Length() == 0) return other;
  if (other.Length() == 0) return *this;
  if (Length() > kMaxLength - other.Length()) std::abort();
  Rep* rep = Alloc(Length() + other.Length());
  std::memcpy(rep->data, Data(), sizeof(Char) * Length());
  std::memcpy(rep->data + Length(), other.Data(), sizeof(Char) * other.Length());
  return String(rep);
}

String operator+(const char* left, const String& right) { return String(left) + right; }

String String::Slice(int from, int term) const {
  int len = Length();
  from = from < 0 ? (from + len > 0 ? from + len : 0) : (from < len ? from : len);
  term = term < 0 ? term + len : (term < len ? term : len);
  if (from > term) return String();
  if (from == 0 && term == len) return *this;
  return String(Data() + from, term - from);
}

int String::Find(const String& sub, int start) const {
  int n = sub.Length();
  for (int q = start > 0 ? start : 0; q + n <= Length(); ++q) {
    if (std::memcmp(Data() + q, sub.Data(), sizeof(Char) * n) == 0) return q;
  }
  return -1;
}

int String::FindLast(const String& sub) const { return FindLast(sub, Length() - sub.Length()); }

int String::FindLast(const String& sub, int start) const {
  int n = sub.Length();
  for (int q = start < Length() - n ? start : Length() - n; q >= 0; --q) {
    if (std::memcmp(Data() + q, sub.Data(), sizeof(Char) * n) == 0) return q;
  }
  return -1;
}

bool String::StartsWith(const String& prefix) const {
  return prefix.Length() <= Length() &&
         std::memcmp(Data(), prefix.Data(), sizeof(Char) * prefix.Length()) == 0;
}

bool String::EndsWith(const String& suffix) const {
  int at = Length() - suffix.Length();
  return at >= 0 && std::memcmp(Data() + at, suffix.Data(), sizeof(Char) * suffix.Length()) == 0;
}

Array<String> String::Split(const String& separator) const {
  int n = separator.Length();
  if (n == 0) {
    Array<String> units(Length());
    for (int i = 0; i < Length(); ++i) units[i] = String(Data() + i, 1);
    return units;
  }
  int matches = 0;
  for (int q = Find(separator); q != -1; q = Find(separator, q + n)) ++matches;
  Array<String> pieces(matches + 1);
  if (matches == 0) {
    pieces[0] = *this;
    return pieces;
  }
  int at = 0;
  for (int i = 0; i < matches; ++i) {
    int q = Find(separator, at);
    pieces[i] = String(Data() + at, q - at);
    at = q + n;
  }
  pieces[matches] = String(Data() + at, Length() - at);
  return pieces;
}

String String::Join(const Array<String>& pieces) const {
  int count = pieces.Length();
  if (count == 0) return String();
  if (count == 1) return pieces[0];
  long long total = static_cast<long long>(Length()) * (count - 1);
  for (int i = 0; i < count; ++i) total += pieces[i].Length();
  if (total > kMaxLength) std::abort();
  Rep* rep = Alloc(static_cast<int>(total));
  Char* out = rep->data;
  for (int i = 0; i < count; ++i) {
    if (i > 0) {
      std::memcpy(out, Data(), sizeof(Char) * Length());
      out += Length();
    }
    std::memcpy(out, pieces[i].Data(), sizeof(Char) * pieces[i].Length());
    out += pieces[i].Length();
  }
  return String(rep);
}

String String::Replace(const String& find, const String& replacement) const {
  int n = find.Length();
  if (n == 0) return *this;
  long long total = 0;
  int at = 0;
  int matches = 0;
  for (int q = Find(find); q != -1; q = Find(find, at)) {
    total += (q - at) + replacement.Length();
    at = q + n;
    ++matches;
  }
  if (matches == 0) return *this;
  total += Length() - at;
  if (total > kMaxLength) std::abort();
  Rep* rep = Alloc(static_cast<int>(total));
  Char* out = rep->data;
  at = 0;
  for (int q = Find(find); q != -1; q = Find(find, at)) {
    std::memcpy(out, Data() + at, sizeof(Char) * (q - at));
    out += q - at;
    std::memcpy(out, replacement.Data(), sizeof(Char) * replacement.Length());
    out += replacement.Length();
    at = q + n;
  }
  std::memcpy(out, Data() + at, sizeof(Char) * (Length() - at));
  return String(rep);
}

// A copy with the units in [low, high] moved by delta, or this string when none is in range.
String String::MapRange(Char low, Char high, int delta) const {
  int i = 0;
  while (i < Length() && (rep_->data[i] < low || rep_->data[i] > high)) ++i;
  if (i == Length()) return *this;
  Rep* rep = Alloc(Length());
  for (int k = 0; k < Length(); ++k) {
    Char c = rep_->data[k];
    rep->data[k] = c >= low && c <= high ? static_cast<Char>(c + delta) : c;
  }
  return String(rep);
}

String String::ToLower() const { return MapRange('A', 'Z', 'a' - 'A'); }

String String::ToUpper() const { return MapRange('a', 'z', 'A' - 'a'); }

String String::Trim() const {
  int from = 0;
  int term = Length();
  while (from < term && IsSpace(rep_->data[from])) ++from;
  while (term > from && IsSpace(rep_->data[term - 1])) --term;
  return Slice(from, term);
}

std::string String::LowBytes(int limit) const {
  std::string bytes;
  for (int i = 0; i < Length() && i < limit; ++i) bytes += static_cast<char>(rep_->data[i]);
  return bytes;
}

int String::ToInt() const {
  // strtol rather than atoi: the same digits, but out-of-range values saturate instead of
  // being undefined.
  long value = std::strtol(LowBytes(63).c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

float String::ToFloat() const { return std::strtof(LowBytes(63).c_str(), nullptr); }

void t_create(int n, String* slots) {
  for (int i = 0; i < n; ++i) new (&slots[i]) String();
}

void t_create(int n, String* slots, const String* source) {
  for (int i = 0; i < n; ++i) new (&slots[i]) String(source[i]);
}

void t_destroy(int n, String* slots) {
  for (int i = 0; i < n; ++i) slots[i].~String();
}
