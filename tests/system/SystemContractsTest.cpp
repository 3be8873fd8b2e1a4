// Every system function that writes into a caller's buffer, in exactly the room it promises.
#include "ExactRoom.h"
#include "TestSupport.h"
#include "WebTestServer.h"
#include "platform/bundle/CFBundle.h"

#include <KIVStr.h>
#include <KivMisc.h>
#include <KivMisc_Frameworks.h>
#include <WinFSRef.h>

#include <filesystem>
#include <string>
#include <vector>

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
  FSRef shortVersion = bundle("a", "2.5.1"), v31 = bundle("b", std::string(31, '7')),
        v40 = bundle("c", std::string(40, '8')), han = bundle("d", "1.0 \xE7\x89\x88");
  // Outside a bundle, the program's own folder stands for its bundle.
  const fs::path bundlePath = fs::read_symlink("/proc/self/exe").parent_path();
  const std::string parent = bundlePath.parent_path().string();
  // A long locale name: its identifier must be cut or refused within 32 bytes.
  const std::string longLocale = std::string(40, 'x') + "_YY.UTF-8";

  const std::vector<RoomRow> rows = {
      {"GetCocoaSystemVersion", {c(32)}, [](auto d) { GetCocoaSystemVersion(d[0]); }},
      {"GetSystemInfo C string", {c(64)}, [](auto d) { GetSystemInfo(d[0]); }},
      {"GetSystemInfo Pascal", {p(256)}, [](auto d) { GetSystemInfo(pas(d[0])); }},
      {"FSGetBundleVersion",
       {p(32)},
       [&](auto d) { FSGetBundleVersion(&shortVersion, pas(d[0])); },
       {pascal("2.5.1")}},
      {"FSGetBundleVersion 31",
       {p(32)},
       [&](auto d) { FSGetBundleVersion(&v31, pas(d[0])); },
       {pascal(std::string(31, '7'))}},
      {"FSGetBundleVersion 40 cut",
       {p(32)},
       [&](auto d) { FSGetBundleVersion(&v40, pas(d[0])); },
       {pascal(std::string(31, '8'))}},
      {"FSGetBundleVersion outside Mac Roman",
       {p(32)},
       [&](auto d) { FSGetBundleVersion(&han, pas(d[0])); },
       {pascal("")}},
      {"GetLocaleIdentifier", {p(32)}, [](auto d) { GetLocaleIdentifier(pas(d[0])); }},
      {"GetLocaleIdentifier long name",
       {p(32)},
       [&](auto d) {
         ScopedEnv env("LC_ALL", longLocale);
         GetLocaleIdentifier(pas(d[0]));
       }},
      {"GetThisAppBundleParentPathN",
       {c(bundlePath.string().size() + 1)},
       [](auto d) { GetThisAppBundleParentPathN(d[0]); },
       {cString(parent)}},
      {"GetThisAppBundleParentPathN sized fits",
       {c(parent.size() + 1)},
       [&](auto d) { GetThisAppBundleParentPathN(d[0], parent.size() + 1); },
       {cString(parent)}},
      {"GetThisAppBundleParentPathN sized one short",
       {c(parent.size())},
       [&](auto d) { GetThisAppBundleParentPathN(d[0], parent.size()); },
       {cString("")}},
      {"DateToCStringN full", {c(104)}, [](auto d) { DateToCStringN(1700000000, 1, d[0]); }},
      {"DateToCStringN long, non-Latin",
       {c(104)},
       [](auto d) {
         ScopedEnv env("LC_ALL", std::string("my_MM.UTF-8"));
         DateToCStringN(1700000000, 1, d[0]);
       }},
      {"DateToCStringN short", {c(104)}, [](auto d) { DateToCStringN(-1, 0, d[0]); }},
      {"TimeToCStringN", {c(104)}, [](auto d) { TimeToCStringN(1700000000, d[0], true); }},
      {"DateToStringN",
       {p(104)},
       [](auto d) {
         ScopedEnv env("LC_ALL", std::string("my_MM.UTF-8"));
         DateToStringN(1700000000, 2, pas(d[0]));
       }},
      {"TimeToStringN", {p(104)}, [](auto d) { TimeToStringN(1700000000, pas(d[0]), false); }},
      {"GetDateTimeN",
       {record(sizeof(unsigned))},
       [](auto d) { GetDateTimeN(reinterpret_cast<unsigned*>(d[0])); }},
      {"GetCarbonDateTime",
       {record(sizeof(unsigned))},
       [](auto d) { GetCarbonDateTime(reinterpret_cast<unsigned*>(d[0])); }},
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
      {"SetPrefsData touches nothing",
       {record(0)},
       [](auto d) { SetPrefsData(nullptr, d[0], 1, 2); }},
      {"KIVGlobalPref::Write with the base swap",
       {record(0)},
       [](auto d) { KIVGlobalPref(1, nullptr, 2).Write(d[0]); }},
      {"GetPrefsData touches nothing",
       {record(0)},
       [](auto d) { GetPrefsData(pas(const_cast<char*>("\4name")), d[0], 1, 2); }},
      {"KIVGlobalPref::Read with the base defaults",
       {record(0)},
       [](auto d) { KIVGlobalPref(1, nullptr, 2).Read(d[0]); }},
  };
  kivtest::checkRows(rows);
}

TEST(ExactRoom, WebAnswers) {
  const std::string body = "0123456789\xC3\xA9";
  systemtest::WebTestServer server({systemtest::httpResponse(200, body)});
  NSString url(server.url("/a").c_str());
  const std::string base = server.url("/q"),
                    closed = "http://127.0.0.1:" +
                             std::to_string(systemtest::WebTestServer::closedPort()) + "/";
  NSString unreachable(closed.c_str());
  const short whole = static_cast<short>(body.size() + 1);
  char form[] = "a=1";
  const std::vector<RoomRow> rows = {
      {"LoadURLIntoString whole",
       {c(whole)},
       [&](auto d) { LoadURLIntoString(&url, d[0], whole, 0); },
       {cString(body)}},
      {"LoadURLIntoString cut in character",
       {c(whole - 1)},
       [&](auto d) { LoadURLIntoString(&url, d[0], whole - 1, 0); },
       {cString(body.substr(0, body.size() - 1))}},
      {"LoadURLIntoString capacity 1",
       {c(1)},
       [&](auto d) { LoadURLIntoString(&url, d[0], 1, 0); },
       {cString("")}},
      {"LoadURLIntoString unreachable",
       {c(4)},
       [&](auto d) { LoadURLIntoString(&unreachable, d[0], 4, 1); },
       {kivtest::kUntouched}},
      {"LoadURLIntoString query",
       {c(whole)},
       [&](auto d) { LoadURLIntoString(base.c_str(), "x=1 2", d[0], whole, 0); },
       {cString(body)}},
      {"LoadURLIntoString query cut",
       {c(5)},
       [&](auto d) { LoadURLIntoString(base.c_str(), "x", d[0], 5, 0); },
       {cString("0123")}},
      {"LoadPostURLIntoString whole",
       {c(whole)},
       [&](auto d) { LoadPostURLIntoString(&url, form, d[0], whole, 0); },
       {cString(body)}},
      {"LoadPostURLIntoString cut",
       {c(2)},
       [&](auto d) { LoadPostURLIntoString(&url, form, d[0], 2, 0); },
       {cString("0")}},
  };
  kivtest::checkRows(rows);
}
