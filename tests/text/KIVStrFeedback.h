// Shared by the KIVStr tests: a feedback object that records its messages, and the texts.
#pragma once

#include "KIV_Str.h"

#include <string>
#include <vector>

using Messages = std::vector<std::string>;

class RecordingFeedback : public KIVFeedback {
public:
  explicit RecordingFeedback(bool* destroyed = nullptr) : destroyed_(destroyed) {}
  ~RecordingFeedback() override {
    if (destroyed_) *destroyed_ = true;
  }
  void Report(const char* message) override { messages.push_back(message); }
  Messages messages;

private:
  bool* destroyed_;
};

// The text of a KIVStr as UTF-16 units, read from its platform string.
inline std::u16string unitsOf(const KIVStr& s) {
  CFIndex n = CFStringGetLength(s.GetCFString());
  std::u16string units(n, u'\0');
  if (n > 0)
    CFStringGetCharacters(s.GetCFString(), CFRangeMake(0, n),
                          reinterpret_cast<UniChar*>(&units[0]));
  return units;
}

inline KIVStr makeStr(const std::string& bytes, unsigned int encoding, KIVFeedback* fb) {
  KIVStr s(0, encoding, fb);
  s << bytes.c_str();
  return s;
}

const unsigned int kRoman = kCFStringEncodingMacRoman;
const unsigned int kUTF8 = kCFStringEncodingUTF8;
const char kMismatch[] = "KIVStr::operator<<(KIVStr p) : p.encoding != this->encoding";
const char kEmptyArg[] = "KIVStr::operator<<(KIVStr p) : p is empty";
const char kTooLong[] = "KIVStr::GetPStringCopy : string is larger than 255 !";
const char kNotRoman[] =
    "KIVStr::GetPStringCopy : string is not roman. Impossible to copy to Pstr !";
const char kLongerThanLen[] = "KIVStr::GetCStringCopy : string is larger than len !";
const char kMid[] = "KIVStr::Mid() : start > length !!!";
