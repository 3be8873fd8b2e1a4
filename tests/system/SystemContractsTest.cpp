// Every system function that writes into a caller's buffer, in exactly the room it promises.
#include "ExactRoom.h"
#include "TestSupport.h"
#include "WebTestServer.h"
#include "platform/bundle/CFBundle.h"

#include <KIVStr.h>
#include <KivMisc.h>
#include <KivMisc_Frameworks.h>
#include <WinFSRef.h>

using namespace kivtest::rows;
using kivtest::RoomRow;
using kivtest::ScopedEnv;
namespace fs = std::filesystem;

TEST(ExactRoom, SystemFacts) {
  kivtest::TempDir t;
  // Bundles whose version is short, 31 characters, cut from 40, and without a Mac Roman form.
  auto bundle = [&](const std::string& name, const std::string& version) {
    t.write(name + ".app/Contents/Info.plist",
            "<plist version=\"1.0\"><dict><key>CFBundleShortVersionString</key><string>" + version +
                "</string></dict></plist>");
    FSRef ref;
    FSPathMakeRef(reinterpret_cast<const UInt8*>((t.path() / (name + ".app")).c_str()), &ref,
                  nullptr);
    return ref;
  };
  FSRef refs[] = {bundle("a", "2.5.1"), bundle("b", std::string(31, '7')),
                  bundle("c", std::string(40, '8')), bundle("d", "1.0 \xE7\x89\x88")};
  auto version = [&](const char* name, int i, const std::string& expected) {
    return RoomRow{name,
                   {p(32)},
                   [&, i](auto d) { FSGetBundleVersion(&refs[i], pas(d[0])); },
                   {pascal(expected)}};
  };
  // Outside a bundle, the program's own folder stands for its bundle.
  const fs::path bundlePath = fs::read_symlink("/proc/self/exe").parent_path();
  const std::string parent = bundlePath.parent_path().string();
  auto parentIn = [&](const char* name, size_t room, const std::string& expected) {
    return RoomRow{name,
                   {c(room)},
                   [&, room](auto d) { GetThisAppBundleParentPathN(d[0], room); },
                   {cString(expected)}};
  };
  // Locales whose identifier or dates are long: cut or refused within the room.
  auto in = [](const std::string& locale, std::function<void(char*)> call) {
    return [locale, call](char* const* d) {
      ScopedEnv env("LC_ALL", locale);
      call(d[0]);
    };
  };
  auto unsignedRecord = [](const char* name, void (*call)(unsigned*)) {
    return RoomRow{name, {record(sizeof(unsigned))}, [call](auto d) {
                     call(reinterpret_cast<unsigned*>(d[0]));
                   }};
  };
  const std::vector<RoomRow> rows = {
      {"GetCocoaSystemVersion", {c(32)}, [](auto d) { GetCocoaSystemVersion(d[0]); }},
      {"GetSystemInfo C string", {c(64)}, [](auto d) { GetSystemInfo(d[0]); }},
      {"GetSystemInfo Pascal", {p(256)}, [](auto d) { GetSystemInfo(pas(d[0])); }},
      version("FSGetBundleVersion", 0, "2.5.1"),
      version("FSGetBundleVersion 31", 1, std::string(31, '7')),
      version("FSGetBundleVersion 40 cut", 2, std::string(31, '8')),
      version("FSGetBundleVersion outside Mac Roman", 3, ""),
      {"GetLocaleIdentifier", {p(32)}, [](auto d) { GetLocaleIdentifier(pas(d[0])); }},
      {"GetLocaleIdentifier long name",
       {p(32)},
       in(std::string(40, 'x') + "_YY.UTF-8", [](char* d) { GetLocaleIdentifier(pas(d)); })},
      {"GetThisAppBundleParentPathN",
       {c(bundlePath.string().size() + 1)},
       [](auto d) { GetThisAppBundleParentPathN(d[0]); },
       {cString(parent)}},
      parentIn("GetThisAppBundleParentPathN sized fits", parent.size() + 1, parent),
      parentIn("GetThisAppBundleParentPathN sized one short", parent.size(), ""),
      {"DateToCStringN full", {c(104)}, [](auto d) { DateToCStringN(1700000000, 1, d[0]); }},
      {"DateToCStringN long, non-Latin",
       {c(104)},
       in("my_MM.UTF-8", [](char* d) { DateToCStringN(1700000000, 1, d); })},
      {"DateToCStringN short", {c(104)}, [](auto d) { DateToCStringN(-1, 0, d[0]); }},
      {"TimeToCStringN", {c(104)}, [](auto d) { TimeToCStringN(1700000000, d[0], true); }},
      {"DateToStringN",
       {p(104)},
       in("my_MM.UTF-8", [](char* d) { DateToStringN(1700000000, 2, pas(d)); })},
      {"TimeToStringN", {p(104)}, [](auto d) { TimeToStringN(1700000000, pas(d[0]), false); }},
      unsignedRecord("GetDateTimeN", GetDateTimeN),
      unsignedRecord("GetCarbonDateTime", GetCarbonDateTime),
      {"OldDateTimeToBSDTime",
       {record(sizeof(long))},
       [](auto d) { OldDateTimeToBSDTime(3000000000u, reinterpret_cast<long*>(d[0])); }},
      {"GetBundleVersion",
       {p(32)},
       [&](auto d) {
         CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, (t.path() / "c.app").c_str());
         CFBundleRef made = CFBundleCreate(nullptr, url);
         GetBundleVersion(made, pas(d[0]));
         CFRelease(made);
         CFRelease(url);
       },
       {pascal(std::string(31, '8'))}},
      // The preferences storage keeps nothing: the record's buffers are left alone.
      {"SetPrefsData", {record(0)}, [](auto d) { SetPrefsData(nullptr, d[0], 1, 2); }},
      {"KIVGlobalPref::Write",
       {record(0)},
       [](auto d) { KIVGlobalPref(1, nullptr, 2).Write(d[0]); }},
      {"GetPrefsData",
       {record(0)},
       [](auto d) { GetPrefsData(pas(const_cast<char*>("\4name")), d[0], 1, 2); }},
      {"KIVGlobalPref::Read", {record(0)}, [](auto d) { KIVGlobalPref(1, nullptr, 2).Read(d[0]); }},
  };
  kivtest::checkRows(rows);
}

TEST(ExactRoom, WebAnswers) {
  const std::string body = "0123456789\xC3\xA9";
  systemtest::WebTestServer server({systemtest::httpResponse(200, body)});
  NSString url(server.url("/a").c_str());
  const std::string base = server.url("/q");
  const short whole = static_cast<short>(body.size() + 1);
  char form[] = "a=1";
  auto get = [&](const char* name, short room, const std::string& expected) {
    return RoomRow{name,
                   {c(room)},
                   [&, room](auto d) { LoadURLIntoString(&url, d[0], room, 0); },
                   {cString(expected)}};
  };
  auto query = [&](const char* name, const char* q, short room, const std::string& expected) {
    return RoomRow{name,
                   {c(room)},
                   [=](auto d) { LoadURLIntoString(base.c_str(), q, d[0], room, 0); },
                   {cString(expected)}};
  };
  auto post = [&](const char* name, short room, const std::string& expected) {
    return RoomRow{name,
                   {c(room)},
                   [&, room](auto d) { LoadPostURLIntoString(&url, form, d[0], room, 0); },
                   {cString(expected)}};
  };
  kivtest::checkRows({
      get("LoadURLIntoString whole", whole, body),
      get("LoadURLIntoString cut in character", whole - 1, body.substr(0, body.size() - 1)),
      get("LoadURLIntoString capacity 1", 1, ""),
      query("LoadURLIntoString query", "x=1 2", whole, body),
      query("LoadURLIntoString query cut", "x", 5, "0123"),
      post("LoadPostURLIntoString whole", whole, body),
      post("LoadPostURLIntoString cut", 2, "0"),
  });
}
