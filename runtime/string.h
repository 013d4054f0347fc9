// String: an immutable, reference-counted sequence of UTF-16 code units. Not a managed object;
// every empty string shares one static representation that is never freed.
#pragma once
#include <cstdio>
#include <string>

typedef unsigned short Char;

template <class T>
class Array;

class String {
 public:
  struct Rep {
    int refs;
    int length;
    Char data[1];
  };
  static Rep nullRep;

  // A temporary zero-terminated copy holding the low byte (or unit) of each code unit, for
  // calls into 8-bit system interfaces.
  template <class C>
  class CString {
   public:
    explicit CString(const String& s) {
      for (int i = 0; i < s.Length(); ++i) text_.push_back(static_cast<C>(s[i]));
    }
    operator const C*() const { return text_.c_str(); }
    const C* c_str() const { return text_.c_str(); }

   private:
    std::basic_string<C> text_;
  };

  String() : rep_(&nullRep) {}
  String(const Char* units, int length);
  String(const char* text);
  String(int value);
  String(float value);
  String(double value);
  String(const String& other) : rep_(other.rep_) { Retain(rep_); }
  String(String&& other) noexcept : rep_(other.rep_) { other.rep_ = &nullRep; }
  ~String() { Release(rep_); }
  String& operator=(const String& other);
  String& operator=(String&& other) noexcept;

  static String FromChar(int unit);
  static String FromUtf8(const std::string& text);
  // Reads the whole open file and decodes UTF-16 (by its mark) or UTF-8, else the raw bytes.
  static String Load(FILE* file);

  int Length() const { return rep_->length; }
  Char operator[](int index) const { return rep_->data[index]; }
  const Char* Data() const { return rep_->data; }
  // Whether two strings share one representation (the sharing rules make this observable).
  bool SameRep(const String& other) const { return rep_ == other.rep_; }

  bool operator==(const String& other) const;
  bool operator!=(const String& other) const { return !(*this == other); }
  bool operator<(const String& other) const { return Compare(other) < 0; }
  int Compare(const String& other) const;
  String operator+(const String& other) const;
  String& operator+=(const String& other) { return *this = *this + other; }

  String Slice(int from, int term) const;
  String Slice(int from) const { return Slice(from, Length()); }
  Array<String> Split(const String& separator) const;
  String Join(const Array<String>& pieces) const;
  String Replace(const String& find, const String& replacement) const;
  int Find(const String& sub, int start = 0) const;
  int FindLast(const String& sub) const;
  int FindLast(const String& sub, int start) const;
  bool Contains(const String& sub) const { return Find(sub) != -1; }
  bool StartsWith(const String& prefix) const;
  bool EndsWith(const String& suffix) const;
  String ToLower() const;
  String ToUpper() const;
  String Trim() const;
  int ToInt() const;
  float ToFloat() const;
  // UTF-8 with surrogate pairs combined, for file names and system calls.
  std::string ToUtf8() const;
  // UTF-8 of each unit on its own (pairs become two three-byte sequences), as log lines and
  // the state file are written.
  std::string ToUtf8Units() const;

 private:
  explicit String(Rep* rep) : rep_(rep) {}
  static Rep* Alloc(int length);
  static void Retain(Rep* rep) {
    if (rep != &nullRep) ++rep->refs;
  }
  static void Release(Rep* rep);
  String MapRange(Char low, Char high, int delta) const;
  // The low byte of at most `limit` units, for the C library's number parsers.
  std::string LowBytes(int limit) const;

  Rep* rep_;
};

String operator+(const char* left, const String& right);

// Slot helpers for arrays of strings.
void t_create(int n, String* slots);
void t_create(int n, String* slots, const String* source);
void t_destroy(int n, String* slots);
