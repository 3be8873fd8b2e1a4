// The library's thread rules: any function may be called from any thread, and objects that no
// two threads share may be made in one thread and ended in another. Each test runs real work on
// several threads at once and compares every result with the one a single thread gets; the
// thread-sanitizer build runs this suite to find data races.
#include "ConsoleCapture.h"
#include "TestSupport.h"

#include <Kiv.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 8;
using Faults = std::vector<std::string>;

// Runs body(index, faults) on `count` threads at once and returns the faults they reported.
Faults onThreads(int count, const std::function<void(int, Faults&)>& body) {
  std::mutex mutex;
  Faults faults;
  std::vector<std::thread> threads;
  for (int t = 0; t < count; ++t)
    threads.emplace_back([&, t] {
      Faults mine;
      body(t, mine);
      std::lock_guard<std::mutex> lock(mutex);
      faults.insert(faults.end(), mine.begin(), mine.end());
    });
  for (auto& thread : threads)
    thread.join();
  return faults;
}

std::string utf8Of(CFStringRef s) {
  char out[256];
  return CFStringGetCString(s, out, sizeof out, kCFStringEncodingUTF8) ? out : "<no text>";
}

// Texts in the library's encodings, with their UTF-8 forms.
const struct Sample {
  const char* bytes;
  CFStringEncoding encoding;
  const char* utf8;
} kSamples[] = {{"caf\x8E", kCFStringEncodingMacRoman, "caf\xC3\xA9"},
                {"\x8A\xBF\x8E\x9A", kCFStringEncodingShiftJIS, "\xE6\xBC\xA2\xE5\xAD\x97"},
                {"na\xEFve \x80", kCFStringEncodingWindowsLatin1, "na\xC3\xAFve \xE2\x82\xAC"},
                {"\xE2\x82\xAC 5", kCFStringEncodingUTF8, "\xE2\x82\xAC 5"}};

} // namespace

TEST(Concurrency, StringsMadeInOneThreadAreEndedInAnother) {
  // Released strings are kept for reuse by the thread that releases them, so a string made by
  // one thread and ended by another moves between the two threads' recycled objects.
  struct Made {
    std::vector<CFStringRef> strings = std::vector<CFStringRef>(200);
    std::vector<std::unique_ptr<KIVStr>> objects = std::vector<std::unique_ptr<KIVStr>>(200);
  };
  std::vector<Made> made(kThreads / 2);
  auto make = [&](int t, int i) {
    const Sample& s = kSamples[(t + i) % 4];
    made[t].strings[i] = CFStringCreateWithCString(kCFAllocatorDefault, s.bytes, s.encoding);
    made[t].objects[i] = std::make_unique<KIVStr>(0, s.encoding, nullptr);
    *made[t].objects[i] << s.bytes << i;
    static_cast<const char*>(*made[t].objects[i]); // gives the object its conversion buffer
  };
  onThreads(kThreads / 2, [&](int t, Faults&) {
    for (int i = 0; i < 200; ++i)
      make(t, i);
  });
  // The makers have ended; other threads read and end the strings, and make new ones, which
  // take the recycled objects and must start empty.
  auto faults = onThreads(kThreads / 2, [&](int t, Faults& out) {
    for (int round = 0; round < 2; ++round)
      for (int i = 0; i < 200; ++i) {
        const Sample& s = kSamples[(t + i) % 4];
        char text[64];
        made[t].objects[i]->GetUTF8StringCopy(text, sizeof text - 1);
        if (utf8Of(made[t].strings[i]) != s.utf8 || text != s.utf8 + std::to_string(i))
          out.push_back("thread " + std::to_string(t) + " string " + std::to_string(i));
        CFRelease(made[t].strings[i]);
        made[t].objects[i].reset();
        make(t, i);
      }
  });
  // And the main thread ends what the second threads made after they have gone.
  for (auto& m : made)
    for (CFStringRef s : m.strings)
      CFRelease(s);
  EXPECT_EQ(faults, Faults());
}

TEST(Concurrency, EightThreadsConvertAtOnce) {
  // Every conversion gives on each thread what it gives on one; the first ones run on all
  // threads at once, while the encodings' tables and the threads' converters are being set up.
  auto convert = [](const Sample& s) {
    unsigned char p[256];
    C2PStrCopy(s.bytes, p);
    unsigned short u[256];
    char utf8[512], roman[256];
    if (s.encoding == kCFStringEncodingShiftJIS)
      SJIS_PStringToUniString(p, u);
    else
      PStringToUniString(p, u, 0);
    UniStringToUTFString(u, utf8);
    UTFStringToCString(utf8, roman);
    KIVStr object(0, s.encoding, nullptr);
    object << s.bytes;
    object.Upper();
    CFStringRef copy = object.GetCFStringCopy();
    const std::string out = std::string(utf8) + "|" + roman + "|" +
                            std::to_string(DetectKanjiCode(p)) + "|" + utf8Of(copy);
    CFRelease(copy);
    return out;
  };
  std::vector<std::vector<std::string>> got(kThreads);
  onThreads(kThreads, [&](int t, Faults&) {
    for (int i = 0; i < 400; ++i)
      got[t].push_back(convert(kSamples[(t + i) % 4]));
  });
  Faults faults;
  for (int t = 0; t < kThreads; ++t)
    for (int i = 0; i < 400; ++i)
      if (got[t][i] != convert(kSamples[(t + i) % 4]))
        faults.push_back("thread " + std::to_string(t) + ": " + got[t][i]);
  EXPECT_EQ(faults, Faults());
}

TEST(Concurrency, SharedTextsAreCopiedChangedAndEndedOnEightThreads) {
  // Copies made by the main thread share one text; each thread copies them again, changes and
  // ends them, so that the counts of the shared text change on all threads at once.
  const KIVStr source("Shared Text", nullptr);
  std::vector<std::vector<KIVStr>> copies(kThreads, std::vector<KIVStr>(500, source));
  auto faults = onThreads(kThreads, [&](int t, Faults& out) {
    for (KIVStr& mine : copies[t]) {
      KIVStr again(mine), upper(source);
      upper.Upper();
      mine << again;
      CFStringAppendCString(again.GetCFString(), "!", kCFStringEncodingUTF8);
      if (utf8Of(mine.GetCFString()) != "Shared TextShared Text" ||
          utf8Of(again.GetCFString()) != "Shared Text!" ||
          utf8Of(upper.GetCFString()) != "SHARED TEXT")
        out.push_back("thread " + std::to_string(t));
      mine = KIVStr(0, nullptr);
    }
  });
  EXPECT_EQ(faults, Faults());
  EXPECT_EQ(utf8Of(KIVStr(source).GetCFString()), "Shared Text");
}

TEST(Concurrency, LongLogEntriesFromEightThreadsStayWhole) {
  // Console entries far beyond a pipe's atomic write size and log entries of a full buffer, each
  // one different: every one whole on its line, once.
  auto entryOf = [](int t, int i) {
    const std::string text = std::to_string(t) + ":" + std::to_string(i);
    return text + std::string(i % 2 ? 20000 + 97 * i : 1023 - text.size(), 'a' + t);
  };
  std::multiset<std::string> want, got;
  kivtest::ConsoleCapture capture(true);
  onThreads(kThreads, [&](int t, Faults&) {
    for (int i = 0; i < 25; ++i)
      i % 2 ? __SendToConsole(entryOf(t, i).c_str()) : KivDebugAlways("%s", entryOf(t, i).c_str());
  });
  for (int t = 0; t < kThreads; ++t)
    for (int i = 0; i < 25; ++i)
      want.insert(entryOf(t, i));
  for (const std::string& entry : capture.entries())
    got.insert(entry);
  EXPECT_TRUE(got == want) << got.size() << " entries instead of " << want.size();
}

TEST(Concurrency, SeparateDocumentsInSeparateThreads) {
  kivtest::TempDir dir;
  auto faults = onThreads(kThreads, [&](int t, Faults& out) {
    const std::string path = (dir.path() / ("doc" + std::to_string(t) + ".xml")).string();
    const std::string name = "thread " + std::to_string(t) + " caf\xC3\xA9";
    const RGBColor color = {static_cast<unsigned short>(t), 2, 65535};
    for (int round = 0; round < 20; ++round) {
      {
        KivXML doc;
        if (doc.CreateDoc(path.c_str(), "settings", t % 2 == 1) != 0 ||
            doc.AddNode("name", name.c_str()) != 0 || doc.AddRGBColor("color", color) != 0 ||
            doc.StartSection("list") != 0 || doc.AddNodeFormat("n", "%d", round) != 0 ||
            doc.EndSection() != 0 || doc.AddNodeBase64("data", name.c_str()) != 0)
          return out.push_back("writing " + path);
      } // the destructor completes the file
      KivXML doc;
      char text[128] = "", data[128] = "";
      RGBColor read = {};
      short n = -1;
      if (doc.OpenDoc(path.c_str()) != 0 || doc.ReadNodeString("name", text, sizeof text) != 0 ||
          doc.ReadRGBColor("color", read) != 0 || doc.ReadNodeShort("n", n) != 0 ||
          doc.ReadNodeBase64String("data", data, sizeof data) != 0 || text != name ||
          data != name || n != round || read.red != color.red || read.blue != color.blue)
        out.push_back("reading " + path + " round " + std::to_string(round));
    }
  });
  EXPECT_EQ(faults, Faults());
}

TEST(Concurrency, FileOperationsInSeparateFoldersAtOnce) {
  kivtest::TempDir dir;
  auto faults = onThreads(kThreads, [&](int t, Faults& out) {
    const std::string rel = "t" + std::to_string(t), base = dir.str() + "/" + rel;
    const std::string tree = base + "/tree", copy = base + "/copy", moved = base + "/moved";
    const std::string into = base + "/into";
    for (int round = 0; round < 10; ++round) {
      dir.write(rel + "/tree/a.txt", "a" + std::to_string(round));
      dir.write(rel + "/tree/sub/b.txt", "b");
      dir.write(rel + "/into/.keep", "");
      std::string file = tree + "/empty";
      const bool ok =
          CreateEmptyFile(file.data()) == 0 &&
          doCopyObject(const_cast<char*>(tree.c_str()), const_cast<char*>(copy.c_str())) == 0 &&
          doMoveObject(copy.c_str(), moved.c_str()) == 0 &&
          CFCopyObject(moved.c_str(), into.c_str()) == 0 &&
          CFSMoveObject((tree + "/sub").c_str(), into.c_str()) == 0 &&
          GetNumberOfFilesInFolder(into.c_str()) == 3 &&
          GetNumberOfFilesInFolder((into + "/moved").c_str()) == 3 &&
          kivtest::readFile(into + "/moved/a.txt") == "a" + std::to_string(round) &&
          Exist((into + "/sub/b.txt").c_str()) && !Exist(copy.c_str()) &&
          doRemoveObject(base.c_str()) == 0 && !Exist(base.c_str());
      if (!ok) out.push_back("thread " + std::to_string(t) + " round " + std::to_string(round));
    }
  });
  EXPECT_EQ(faults, Faults());
}
