// A KIVFeedback that records every message it receives, for the KIVStr tests.
#pragma once

#include "KIV_Str.h"

#include <string>
#include <vector>

class RecordingFeedback : public KIVFeedback {
public:
  explicit RecordingFeedback(bool* destroyed = nullptr) : destroyed_(destroyed) {}
  ~RecordingFeedback() override {
    if (destroyed_) *destroyed_ = true;
  }
  void Report(const char* message) override { messages.push_back(message); }

  std::vector<std::string> messages;

private:
  bool* destroyed_;
};

// The text of a KIVStr as UTF-16 units, read from its platform string.
inline std::u16string unitsOf(const KIVStr& s) {
  CFIndex n = CFStringGetLength(s.GetCFString());
  std::vector<UniChar> buffer(n);
  if (n > 0) CFStringGetCharacters(s.GetCFString(), CFRangeMake(0, n), buffer.data());
  return std::u16string(buffer.begin(), buffer.end());
}
