// The library's thread rules: any function may be called from any thread, and objects that no
// two threads share may be made in one thread and ended in another. Each test runs real work on
// several threads at once and compares every result with the one a single thread gets; the
// thread-sanitizer build runs this suite to find data races.
#include "../log/StderrCapture.h"
#include "TestSupport.h"

#include <Kiv.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 8;

// Runs body(index) on `count` threads at once and returns what they reported, one line a fault.
std::vector<std::string>
onThreads(int count, const std::function<void(int, std::vector<std::string>&)>& body) {
  std::mutex mutex;
  std::vector<std::string> faults;
  std::vector<std::thread> threads;
  for (int t = 0; t < count; ++t)
    threads.emplace_back([&, t] {
      std::vector<std::string> mine;
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
struct Sample {
  const char* bytes;
  CFStringEncoding encoding;
  const char* utf8;
};
const Sample kSamples[] = {
    {"caf\x8E", kCFStringEncodingMacRoman, "caf\xC3\xA9"},
    {"\x8A\xBF\x8E\x9A", kCFStringEncodingShiftJIS, "\xE6\xBC\xA2\xE5\xAD\x97"},
    {"na\xEFve \x80", kCFStringEncodingWindowsLatin1, "na\xC3\xAFve \xE2\x82\xAC"},
    {"\xE2\x82\xAC 5", kCFStringEncodingUTF8, "\xE2\x82\xAC 5"},
};

} // namespace

TEST(Concurrency, StringsMadeInOneThreadAreEndedInAnother) {
  // Released strings are kept for reuse by the thread that releases them, so a string made by
  // one thread and ended by another moves between the two threads' recycled objects.
  struct Made {
    std::vector<CFStringRef> strings;
    std::vector<std::unique_ptr<KIVStr>> objects;
  };
  std::vector<Made> made(kThreads / 2);
  auto faults = onThreads(kThreads / 2, [&](int t, std::vector<std::string>&) {
    for (int i = 0; i < 200; ++i) {
      const Sample& s = kSamples[(t + i) % 4];
      made[t].strings.push_back(
          CFStringCreateWithCString(kCFAllocatorDefault, s.bytes, s.encoding));
      auto object = std::make_unique<KIVStr>(0, s.encoding, nullptr);
      *object << s.bytes << i;
      static_cast<const char*>(*object); // gives the object its conversion buffer
      made[t].objects.push_back(std::move(object));
    }
  });
  // The makers have ended; other threads read, end and make strings again.
  auto more = onThreads(kThreads / 2, [&](int t, std::vector<std::string>& out) {
    for (int round = 0; round < 2; ++round) {
      for (int i = 0; i < 200; ++i) {
        const Sample& s = kSamples[(t + i) % 4];
        const std::string want = s.utf8 + std::to_string(i);
        if (utf8Of(made[t].strings[i]) != s.utf8) out.push_back("string " + std::to_string(i));
        char text[64];
        made[t].objects[i]->GetUTF8StringCopy(text, sizeof text - 1);
        if (text != want) out.push_back("object " + std::to_string(i) + ": " + text);
        CFRelease(made[t].strings[i]);
        made[t].objects[i].reset();
        // New strings take the recycled objects: they must start empty.
        made[t].strings[i] = CFStringCreateWithCString(kCFAllocatorDefault, s.bytes, s.encoding);
        made[t].objects[i] = std::make_unique<KIVStr>(0, s.encoding, nullptr);
        *made[t].objects[i] << s.bytes << i;
      }
    }
  });
  faults.insert(faults.end(), more.begin(), more.end());
  // And the main thread ends what the second threads made after they have gone.
  for (auto& m : made)
    for (CFStringRef s : m.strings)
      CFRelease(s);
  made.clear();
  EXPECT_EQ(faults, std::vector<std::string>());
}

TEST(Concurrency, EightThreadsConvertAtOnce) {
  // Every conversion gives on each thread what it gives on one.
  auto convert = [](const Sample& s) {
    unsigned char p[256];
    C2PStrCopy(s.bytes, p);
    unsigned short u[256];
    char utf8[512], roman[256];
    std::string out;
    if (s.encoding == kCFStringEncodingShiftJIS)
      SJIS_PStringToUniString(p, u);
    else
      PStringToUniString(p, u, 0);
    UniStringToUTFString(u, utf8);
    out += utf8;
    UTFStringToCString(utf8, roman);
    out += "|" + std::string(roman) + "|" + std::to_string(DetectKanjiCode(p));
    KIVStr object(0, s.encoding, nullptr);
    object << s.bytes;
    object.Upper();
    CFStringRef copy = object.GetCFStringCopy();
    out += "|" + utf8Of(copy);
    CFRelease(copy);
    return out;
  };
  std::vector<std::string> want;
  for (const Sample& s : kSamples)
    want.push_back(convert(s));
  auto faults = onThreads(kThreads, [&](int t, std::vector<std::string>& out) {
    for (int i = 0; i < 400; ++i) {
      const size_t k = static_cast<size_t>(t + i) % want.size();
      std::string got = convert(kSamples[k]);
      if (got != want[k]) out.push_back("thread " + std::to_string(t) + ": " + got);
    }
  });
  EXPECT_EQ(faults, std::vector<std::string>());
}

TEST(Concurrency, TheLogIsWrittenFromEightThreads) {
  const std::string filler(300, '.');
  kivtest::StderrCapture capture;
  onThreads(kThreads, [&](int t, std::vector<std::string>&) {
    for (int i = 0; i < 100; ++i)
      KivDebugAlways("thread %d entry %d %s", t, i, filler.c_str());
  });
  // Every entry whole, once.
  std::map<std::string, int> seen;
  for (const std::string& entry : capture.entries())
    ++seen[entry];
  std::map<std::string, int> want;
  for (int t = 0; t < kThreads; ++t)
    for (int i = 0; i < 100; ++i)
      want["thread " + std::to_string(t) + " entry " + std::to_string(i) + " " + filler] = 1;
  EXPECT_TRUE(seen == want) << seen.size() << " distinct entries instead of " << want.size();
}

TEST(Concurrency, SeparateDocumentsInSeparateThreads) {
  kivtest::TempDir dir;
  auto faults = onThreads(kThreads, [&](int t, std::vector<std::string>& out) {
    const std::string path = (dir.path() / ("doc" + std::to_string(t) + ".xml")).string();
    const std::string name = "thread " + std::to_string(t) + " caf\xC3\xA9";
    const RGBColor color = {static_cast<unsigned short>(t), 2, 65535};
    for (int round = 0; round < 20; ++round) {
      {
        KivXML doc;
        if (doc.CreateDoc(path.c_str(), "settings", t % 2 == 1) != 0 ||
            doc.AddNode("name", name.c_str()) != 0 || doc.AddRGBColor("color", color) != 0 ||
            doc.StartSection("list") != 0 || doc.AddNodeFormat("n", "%d", round) != 0 ||
            doc.EndSection() != 0 || doc.AddNodeBase64("data", name.c_str()) != 0) {
          out.push_back("writing " + path);
          return;
        }
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
  EXPECT_EQ(faults, std::vector<std::string>());
}

TEST(Concurrency, FileOperationsInSeparateFoldersAtOnce) {
  kivtest::TempDir dir;
  auto faults = onThreads(kThreads, [&](int t, std::vector<std::string>& out) {
    const std::string base = (dir.path() / ("t" + std::to_string(t))).string();
    for (int round = 0; round < 10; ++round) {
      const std::string tree = base + "/tree", copy = base + "/copy", moved = base + "/moved";
      const std::string into = base + "/into";
      dir.write("t" + std::to_string(t) + "/tree/a.txt", "a" + std::to_string(round));
      dir.write("t" + std::to_string(t) + "/tree/sub/b.txt", "b");
      dir.write("t" + std::to_string(t) + "/into/.keep", "");
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
  EXPECT_EQ(faults, std::vector<std::string>());
}
