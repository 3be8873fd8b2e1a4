// Every path and file function that writes into a caller's buffer, in exactly the room it
// promises, with what it writes there.
#include "ExactRoom.h"
#include "TestSupport.h"

#include <KivMisc.h>
#include <KivMisc_Frameworks.h>
#include <WinFSRef.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace kivtest::rows;
using kivtest::Dest;
using kivtest::Form;
using kivtest::RoomRow;

namespace fs = std::filesystem;

namespace {

constexpr int kAny = -1; // the form without a size

template <class T> Dest rec() { return {Form::Record, sizeof(T)}; }
template <class T> T* as(char* p) { return reinterpret_cast<T*>(p); }
char* m(const std::string& s) { return const_cast<char*>(s.c_str()); }

// A row with one destination; `want` is the result in its form, a C string when given as text.
RoomRow one(std::string name, Dest dest, std::function<void(char*)> call,
            std::string want = "\x01") {
  if (want != "\x01" && dest.form == Form::CString) want = cString(want);
  return {name,
          {dest},
          [call](char* const* d) { call(d[0]); },
          want == "\x01" ? std::vector<std::string>{} : std::vector<std::string>{want}};
}

// One call of a path function: function, input (folder and name for "join"), size, the code of
// "leaf", and the outputs.
struct PathCall {
  std::string fn, in, name;
  int size, code;
  std::string out, out2;
};

} // namespace

// Every split and join, each into a destination of exactly its result and, for the sized forms,
// a size one byte short: what does not fit leaves empty outputs and nothing beyond.
TEST(ExactRoom, Paths) {
  const std::string n255(255, 'n'), deep = "/a/" + n255, e = "caf\xC3\xA9";
  const std::vector<PathCall> calls = {
      {"leaf", "/a/b/c.txt", "", kAny, 0, "c.txt"},
      {"leaf", "/a/b/", "", kAny, 0, ""},
      {"leaf", "/name", "", kAny, 0, "/name"},
      {"leaf", "name", "", kAny, 0, "name"},
      {"leaf", "", "", kAny, 0, ""},
      {"leaf", deep, "", kAny, 0, n255},
      {"leaf", "/d/" + e, "", kAny, 0, e},
      {"leaf", "/a/b/c.txt", "", 6, 0, "c.txt"},
      {"leaf", "/a/b/c.txt", "", 5, -1, ""},
      {"leafP", "/a/b/c.txt", "", kAny, 0, "c.txt"},
      {"leafP", deep + "x", "", 256, 0, n255}, // a Pascal string holds at most 255 bytes
      {"split", "/a/b/c.txt", "", kAny, 0, "/a/b/", "c.txt"},
      {"split", "/a/b/", "", kAny, 0, "/a/b/", ""},
      {"split", "name", "", kAny, 0, "", "name"},
      {"split", "/name", "", kAny, 0, "/", "name"},
      {"split", "", "", kAny, 0, "", ""},
      {"split", "/a/b/c.txt", "", 6, 0, "/a/b/", "c.txt"},
      {"split", "/a/b/c.txt", "", 5, 0, "", ""},
      {"parent", "/a/b/c.txt", "", kAny, 0, "/a/b", "c.txt"},
      {"parent", "/a/b/", "", kAny, 0, "/a/b", ""},
      {"parent", "name", "", kAny, 0, "", "ame"},
      {"parent", "/name", "", kAny, 0, "", "name"},
      {"parent", "", "", kAny, 0, "", ""},
      {"parent", "/a/b/c.txt", "", 6, 0, "/a/b", "c.txt"},
      {"parent", "/a/b/c.txt", "", 5, 0, "", ""},
      {"parent", "/ab/cde", "", 4, 0, "/ab", "cde"},
      {"parent", "/ab/cdef", "", 4, 0, "", ""},
      {"parentNoName", "/a/b/", "", kAny, 0, "/a/b"},
      {"join", "/a", "b", kAny, 0, "/a/b"},
      {"join", "/a/", "/b", kAny, 0, "/a/b"},
      {"join", "", "b", kAny, 0, "b"},
      {"join", "/a", "//b", kAny, 0, "/a//b"},
      {"join", deep, n255, kAny, 0, deep + "/" + n255},
      {"join", "/a", "b", 5, 0, "/a/b"},
      {"join", "/a", "b", 4, 0, ""},
      // The Pascal form keeps the extension of a name with fewer than two characters before it.
      {"extP", "report.txt", "", kAny, 0, "report"},
      {"extP", "archive.tar.gz", "", kAny, 0, "archive.tar"},
      {"extP", "ab.c", "", kAny, 0, "ab"},
      {"extP", "a.b", "", kAny, 0, "a.b"},
      {"extP", ".profile", "", kAny, 0, ".profile"},
      {"extP", "noext", "", kAny, 0, "noext"},
      {"extP", "", "", kAny, 0, ""},
      {"extP", n255, "", kAny, 0, n255},
      {"extC", "report.txt", "", kAny, 0, "report"},
      {"extC", "archive.tar.gz", "", kAny, 0, "archive.tar"},
      {"extC", "a.b", "", kAny, 0, "a"},
      {"extC", ".profile", "", kAny, 0, ".profile"},
      {"extC", "noext", "", kAny, 0, "noext"},
      {"extC", "", "", kAny, 0, ""},
      {"extC", "a.b", "", 2, 0, "a"},
      {"extC", "ab.c", "", 1, 0, ""},
      {"extC", "long.ext", "", 5, 0, "long"},
      {"extC", "long.ext", "", 4, 0, ""},
  };
  std::vector<int> codes(calls.size(), 99);
  std::vector<RoomRow> rows;
  for (size_t i = 0; i < calls.size(); ++i) {
    const PathCall& r = calls[i];
    const bool two = r.fn == "split" || r.fn == "parent",
               pascalForm = r.fn == "leafP" || r.fn == "extP";
    const size_t room = r.size == kAny ? kivtest::kRoomOfResult : size_t(r.size);
    std::vector<Dest> dests = {pascalForm ? p(room) : c(room)};
    std::vector<std::string> want = {pascalForm ? pascal(r.out) : cString(r.out)};
    if (two) {
      dests.push_back(c(room));
      want.push_back(cString(r.out2));
    }
    auto call = [&codes, i, r](char* const* d) {
      std::string in = r.in; // a copy the functions taking a writable input may use
      const bool sized = r.size != kAny;
      if (r.fn == "leaf")
        codes[i] = sized ? CFSGetNameFromPath(in.c_str(), d[0], r.size)
                         : CFSGetNameFromPath(in.c_str(), d[0]);
      if (r.fn == "leafP") codes[i] = CFSGetNameFromPath(in.c_str(), pas(d[0]));
      if (r.fn == "split")
        sized ? GetFileNameAndPath(m(in), d[0], d[1], r.size)
              : GetFileNameAndPath(m(in), d[0], d[1]);
      if (r.fn == "parent")
        sized ? GetParentPath(in.c_str(), d[0], d[1], r.size)
              : GetParentPath(in.c_str(), d[0], d[1]);
      if (r.fn == "parentNoName") GetParentPath(in.c_str(), d[0], nullptr);
      if (r.fn == "join")
        sized ? BuildPath(in.c_str(), r.name.c_str(), d[0], r.size)
              : BuildPath(in.c_str(), r.name.c_str(), d[0]);
      if (r.fn == "extP") GetPNameWithoutExt(pas(m(pascal(in))), pas(d[0]));
      if (r.fn == "extC")
        sized ? GetCNameWithoutExt(m(in), d[0], r.size) : GetCNameWithoutExt(m(in), d[0]);
    };
    rows.push_back({r.fn + " \"" + r.in.substr(0, 20) + "\" " + r.name.substr(0, 20) + " in " +
                        std::to_string(r.size),
                    dests, call, want});
  }
  kivtest::checkRows(rows);
  for (size_t i = 0; i < calls.size(); ++i)
    if (calls[i].fn.rfind("leaf", 0) == 0) EXPECT_EQ(calls[i].code, codes[i]) << rows[i].name;
  // A destination may be the source buffer itself.
  char inPlace[] = "/one/two/three";
  GetParentPath(inPlace, inPlace, nullptr);
  EXPECT_STREQ("/one/two", inPlace);
}

TEST(ExactRoom, FileReferences) {
  kivtest::TempDir t;
  const std::string base = t.str();
  // Paths of exactly 254 and 255 bytes: the first fits CFSRefMakePath's 255 bytes, the second
  // does not.
  const std::string fits = base + "/" + std::string(254 - base.size() - 1, 'f');
  const std::string over = base + "/" + std::string(255 - base.size() - 1, 'o');
  const std::string leaf255 = (t.path() / std::string(255, 'n')).string();
  const std::string accented = base + "/caf\xC3\xA9.txt", hangul = base + "/\xED\x95\x9C.txt";
  FSRef fitsRef, overRef, leafRef, accentedRef, hangulRef;
  for (auto [path, ref] :
       {std::pair(&fits, &fitsRef), std::pair(&over, &overRef), std::pair(&leaf255, &leafRef),
        std::pair(&accented, &accentedRef), std::pair(&hangul, &hangulRef)}) {
    std::ofstream(*path) << "x";
    ASSERT_EQ(0, CFSPathMakeRef(m(*path), ref)) << *path;
  }
  const std::string documents = [] {
    char path[4096];
    GetDocumentsPath(path, 4095);
    return std::string(path);
  }();
  const short docLen = static_cast<short>(documents.size());
  int moved = 0;

  auto u8 = [](char* p) { return reinterpret_cast<UInt8*>(p); };
  const std::string n255(255, 'n');
  const std::vector<RoomRow> rows = {
      one("CFSPathMakeRef", rec<FSRef>(), [&](char* d) { CFSPathMakeRef(m(fits), as<FSRef>(d)); }),
      {"FSPathMakeRef",
       {rec<FSRef>(), rec<Boolean>()},
       [&](auto d) { FSPathMakeRef(u8(m(base)), as<FSRef>(d[0]), as<Boolean>(d[1])); }},
      one(
          "CFSRefMakePath 254", c(255), [&](char* d) { CFSRefMakePath(&fitsRef, d); }, fits),
      one(
          "CFSRefMakePath 255", c(255), [&](char* d) { CFSRefMakePath(&overRef, d); }, ""),
      one(
          "FSRefMakePath exact", c(fits.size() + 1),
          [&](char* d) { FSRefMakePath(&fitsRef, u8(d), fits.size() + 1); }, fits),
      one(
          "FSRefMakePath one short", c(fits.size()),
          [&](char* d) { FSRefMakePath(&fitsRef, u8(d), fits.size()); }, ""),
      one(
          "FSRefMakePath size 1", c(1), [&](char* d) { FSRefMakePath(&fitsRef, u8(d), 1); }, ""),
      one(
          "CFSGetNameFromFSRef", c(), [&](char* d) { CFSGetNameFromFSRef(&leafRef, d); }, n255),
      one(
          "CFSGetNameFromFSRef fits", c(256),
          [&](char* d) { CFSGetNameFromFSRef(&leafRef, d, 256); }, n255),
      one(
          "CFSGetNameFromFSRef one short", c(255),
          [&](char* d) { CFSGetNameFromFSRef(&leafRef, d, 255); }, ""),
      one(
          "CFSGetNameFromFSRef Pascal", p(),
          [&](char* d) { CFSGetNameFromFSRef(&accentedRef, pas(d)); }, pascal("caf\x8E.txt")),
      one(
          "CFSGetNameFromFSRef Pascal 255", p(),
          [&](char* d) { CFSGetNameFromFSRef(&leafRef, pas(d)); }, pascal(n255)),
      one(
          "CFSGetNameFromFSRef Pascal outside Mac Roman", p(6),
          [&](char* d) { CFSGetNameFromFSRef(&hangulRef, pas(d)); }, pascal("")),
      one("CFSGetFSS", rec<FSSpec>(), [&](char* d) { CFSGetFSS(&leafRef, as<FSSpec>(d)); }),
      one("CFSGetParent", rec<FSRef>(), [&](char* d) { CFSGetParent(&leafRef, as<FSRef>(d)); }),
      one("CFSGetCatInfo path", rec<FSCatalogInfo>(),
          [&](char* d) { CFSGetCatInfo(leaf255.c_str(), as<FSCatalogInfo>(d)); }),
      one("CFSGetCatInfo reference", rec<FSCatalogInfo>(),
          [&](char* d) { CFSGetCatInfo(&leafRef, as<FSCatalogInfo>(d)); }),
      {"FSGetCatalogInfo everything",
       {rec<FSCatalogInfo>(), rec<HFSUniStr255>(), rec<FSSpec>(), rec<FSRef>()},
       [&](auto d) {
         FSGetCatalogInfo(&leafRef, kFSCatInfoGettableInfo, as<FSCatalogInfo>(d[0]),
                          as<HFSUniStr255>(d[1]), as<FSSpec>(d[2]), as<FSRef>(d[3]));
       }},
      one("FSMoveObject", rec<FSRef>(),
          [&](char* d) {
            fs::create_directories(t.path() / "into");
            const std::string name = base + "/moved" + std::to_string(moved++);
            std::ofstream(name) << "x";
            FSRef from, into;
            CFSPathMakeRef(m(name), &from);
            CFSPathMakeRef(m(base + "/into"), &into);
            FSMoveObject(&from, &into, as<FSRef>(d));
          }),
      one("FSFindFolder", rec<FSRef>(),
          [](char* d) { FSFindFolder(kOnSystemDisk, kTemporaryFolderType, false, as<FSRef>(d)); }),
      one("GetUnifiedFolderType reference", rec<FSRef>(),
          [](char* d) { GetUnifiedFolderType(3, as<FSRef>(d)); }),
      one("GetUnifiedFolderType path", c(255), [](char* d) { GetUnifiedFolderType(3, d); }),
      one("GetUnifiedFileRef", rec<FSRef>(),
          [&](char* d) { GetUnifiedFileRef(3, m(fs::path(base).filename()), as<FSRef>(d)); }),
      one(
          "GetDocumentsPath exact", c(docLen + 1), [&](char* d) { GetDocumentsPath(d, docLen); },
          documents),
      one(
          "GetDocumentsPath one short", c(docLen),
          [&](char* d) { GetDocumentsPath(d, docLen - 1); }, ""),
      one(
          "GetAppSupportPath zero", c(1), [](char* d) { GetAppSupportPath(d, 0); }, ""),
      one("GetUserPrefsPath", c(4096), [](char* d) { GetUserPrefsPath(d, 4095); }),
  };
  kivtest::checkRows(rows);
}
