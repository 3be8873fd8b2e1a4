// Copies of a string object share its text until one of them changes: every member that changes
// the text, and a change made through GetCFString, must leave every other copy as it was, on
// one thread and across threads.
#include "KIV_Str.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

const unsigned int kUTF8 = kCFStringEncodingUTF8;

// The text as UTF-16 units, read without lending it (GetCFString would make it unshareable).
std::u16string textOf(const KIVStr& s) {
  CFStringRef copy = s.GetCFStringCopy();
  std::u16string units(CFStringGetLength(copy), u'\0');
  CFStringGetCharacters(copy, CFRangeMake(0, units.size()),
                        reinterpret_cast<UniChar*>(units.data()));
  CFRelease(copy);
  return units;
}

KIVStr utf8(const char* text) {
  KIVStr s(0, kUTF8, nullptr);
  s << text;
  return s;
}

const unsigned char* pas(const char* p) { return reinterpret_cast<const unsigned char*>(p); }

struct Change {
  const char* name;
  std::function<void(KIVStr&)> apply;
};

// Every member that changes the text, and a change through the lent platform string.
const Change kChanges[] = {
    {"Empty", [](KIVStr& s) { s.Empty(); }},
    {"Affect(C string)", [](KIVStr& s) { s.Affect("other"); }},
    {"Affect(Pascal string)", [](KIVStr& s) { s.Affect(pas("\x05other")); }},
    {"Affect(int)", [](KIVStr& s) { s.Affect(-12); }},
    {"Affect(KIVStr)", [](KIVStr& s) { s.Affect(utf8("other")); }},
    {"operator=(C string)", [](KIVStr& s) { s = "other"; }},
    {"operator=(Pascal string)", [](KIVStr& s) { s = pas("\x05other"); }},
    {"operator=(int)", [](KIVStr& s) { s = 7; }},
    {"operator=(KIVStr)", [](KIVStr& s) { s = utf8("other"); }},
    {"<<(int)", [](KIVStr& s) { s << 2024; }},
    {"<<(short)", [](KIVStr& s) { s << static_cast<short>(-3); }},
    {"<<(char)", [](KIVStr& s) { s << 'x'; }},
    {"<<(C string)", [](KIVStr& s) { s << " more"; }},
    {"<<(Pascal string)", [](KIVStr& s) { s << pas("\x03pas"); }},
    {"<<(Unicode string)",
     [](KIVStr& s) {
       unsigned short u[] = {2, 0x00E9, 'u'};
       s << u;
     }},
    {"<<(platform string)",
     [](KIVStr& s) {
       CFStringRef other = CFStringCreateWithCString(kCFAllocatorDefault, "cf", kUTF8);
       s << other;
       CFRelease(other);
     }},
    {"<<(KIVStr)", [](KIVStr& s) { s << utf8(" tail"); }},
    {"<< itself", [](KIVStr& s) { s << s; }},
    {"Upper", [](KIVStr& s) { s.Upper(); }},
    {"Lower", [](KIVStr& s) { s.Lower(); }},
    {"CreateEmptyString", [](KIVStr& s) { s.CreateEmptyString(8); }},
    {"append through GetCFString",
     [](KIVStr& s) { CFStringAppendCString(s.GetCFString(), "!", kUTF8); }},
    {"delete through GetCFString",
     [](KIVStr& s) { CFStringDelete(s.GetCFString(), CFRangeMake(0, 3)); }},
};

// The ways a string comes to share another's text.
const struct {
  const char* name;
  std::function<KIVStr(const KIVStr&)> make;
} kSharings[] = {
    {"copy", [](const KIVStr& s) { return KIVStr(s); }},
    {"assignment",
     [](const KIVStr& s) {
       KIVStr t(0, kUTF8, nullptr);
       t = s;
       return t;
     }},
    {"whole Right", [](const KIVStr& s) { return s.Right(100); }},
    {"appended to an empty string",
     [](const KIVStr& s) {
       KIVStr t(0, kUTF8, nullptr);
       t << s;
       return t;
     }},
};

} // namespace

TEST(KIVStrSharing, ChangingOneStringLeavesItsCopiesAlone) {
  const std::u16string original = u"Shared Text";
  for (const auto& sharing : kSharings) {
    for (const Change& change : kChanges) {
      SCOPED_TRACE(std::string(sharing.name) + ", " + change.name);
      KIVStr expected = utf8("Shared Text");
      change.apply(expected);

      // The copy changes; the original and a second copy stay.
      KIVStr source = utf8("Shared Text");
      KIVStr changed = sharing.make(source);
      KIVStr other = sharing.make(source);
      change.apply(changed);
      EXPECT_EQ(textOf(changed), textOf(expected));
      EXPECT_EQ(textOf(source), original);
      EXPECT_EQ(textOf(other), original);

      // The original changes; its copy stays.
      KIVStr copy = sharing.make(source);
      change.apply(source);
      EXPECT_EQ(textOf(source), textOf(expected));
      EXPECT_EQ(textOf(copy), original);
    }
  }
}

TEST(KIVStrSharing, ALentTextStaysTheStringsOwn) {
  KIVStr s = utf8("lent");
  CFMutableStringRef lent = s.GetCFString();
  // Copies made after lending do not see later changes through the lent string, and the string
  // keeps the very object it lent, whatever is appended or assigned to it.
  KIVStr copy(s), assigned(0, kUTF8, nullptr);
  assigned = s;
  CFStringAppendCString(lent, "!", kUTF8);
  s << utf8(" more");
  s = utf8("replaced");
  EXPECT_EQ(s.GetCFString(), lent);
  EXPECT_EQ(textOf(s), u"replaced");
  EXPECT_EQ(textOf(copy), u"lent");
  EXPECT_EQ(textOf(assigned), u"lent");
  CFStringAppendCString(lent, "?", kUTF8);
  EXPECT_EQ(textOf(s), u"replaced?");
  EXPECT_EQ(textOf(copy), u"lent");
}

TEST(KIVStrSharing, CopiesChangeAndEndOnOtherThreads) {
  // The main thread keeps copying one string and hands the copies to workers, which copy them
  // again, change them, assign them to each other and destroy them, all while the main thread
  // goes on copying: the counts of the shared text change on several threads at once.
  constexpr int kWorkers = 4, kCopies = 4000;
  const KIVStr source = utf8("Shared Text");
  std::mutex lock;
  std::condition_variable ready;
  std::deque<KIVStr> queue;
  bool done = false;
  std::vector<int> failures(kWorkers, 0);
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w)
    workers.emplace_back([&, w] {
      KIVStr kept(0, kUTF8, nullptr);
      for (;;) {
        std::unique_lock<std::mutex> hold(lock);
        ready.wait(hold, [&] { return done || !queue.empty(); });
        if (queue.empty()) return;
        KIVStr mine = queue.front();
        queue.pop_front();
        hold.unlock();

        KIVStr again(mine);
        mine << "+" << w;
        again.Upper();
        kept = mine;
        kept << again;
        CFStringAppendCString(mine.GetCFString(), "!", kUTF8);
        const std::u16string tag = u"+" + std::u16string(1, char16_t(u'0' + w));
        if (textOf(again) != u"SHARED TEXT" || textOf(mine) != u"Shared Text" + tag + u"!" ||
            textOf(kept) != u"Shared Text" + tag + u"SHARED TEXT")
          ++failures[w];
      }
    });
  for (int i = 0; i < kCopies; ++i) {
    KIVStr copy(source);
    std::lock_guard<std::mutex> hold(lock);
    queue.push_back(copy);
    ready.notify_one();
  }
  {
    std::lock_guard<std::mutex> hold(lock);
    done = true;
  }
  ready.notify_all();
  for (auto& t : workers)
    t.join();
  for (int w = 0; w < kWorkers; ++w)
    EXPECT_EQ(failures[w], 0) << "worker " << w;
  EXPECT_EQ(textOf(source), u"Shared Text");
}
