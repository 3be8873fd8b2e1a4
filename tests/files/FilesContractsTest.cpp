// Every path and file function that writes into a caller's buffer, in exactly the room it
// promises.
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

template <class T> Dest record() { return {Form::Record, sizeof(T)}; }
template <class T> T* as(char* p) { return reinterpret_cast<T*>(p); }
char* m(const std::string& s) { return const_cast<char*>(s.c_str()); }

} // namespace

// Path functions: every split and join, each with a destination of exactly its result and, for
// the sized forms, a size one byte short.
TEST(ExactRoom, Paths) {
  const std::string leaf255(255, 'n'), accented = "/d/caf\xC3\xA9";
  const std::string deep = "/a/" + leaf255;
  const std::vector<RoomRow> rows = {
      {"CFSGetNameFromPath leaf",
       {c()},
       [](auto d) { CFSGetNameFromPath("/a/b/c.txt", d[0]); },
       {cString("c.txt")}},
      {"CFSGetNameFromPath trailing slash",
       {c()},
       [](auto d) { CFSGetNameFromPath("/a/b/", d[0]); },
       {cString("")}},
      {"CFSGetNameFromPath root name",
       {c()},
       [](auto d) { CFSGetNameFromPath("/name", d[0]); },
       {cString("/name")}},
      {"CFSGetNameFromPath 255 leaf",
       {c()},
       [&](auto d) { CFSGetNameFromPath(deep.c_str(), d[0]); },
       {cString(leaf255)}},
      {"CFSGetNameFromPath accent at the end",
       {c()},
       [&](auto d) { CFSGetNameFromPath(accented.c_str(), d[0]); },
       {cString("caf\xC3\xA9")}},
      {"CFSGetNameFromPath Pascal",
       {p()},
       [](auto d) { CFSGetNameFromPath("/a/b/c.txt", pas(d[0])); },
       {pascal("c.txt")}},
      {"CFSGetNameFromPath Pascal 256 cut",
       {p(256)},
       [&](auto d) { CFSGetNameFromPath(("/a/" + leaf255 + "x").c_str(), pas(d[0])); },
       {pascal(leaf255)}},
      {"CFSGetNameFromPath sized fits",
       {c(6)},
       [](auto d) { CFSGetNameFromPath("/a/b/c.txt", d[0], 6); },
       {cString("c.txt")}},
      {"CFSGetNameFromPath sized one short",
       {c(5)},
       [](auto d) { CFSGetNameFromPath("/a/b/c.txt", d[0], 5); },
       {cString("")}},
      {"GetFileNameAndPath",
       {c(), c()},
       [](auto d) { GetFileNameAndPath(m("/a/b/c.txt"), d[0], d[1]); },
       {cString("/a/b/"), cString("c.txt")}},
      {"GetFileNameAndPath empty",
       {c(), c()},
       [](auto d) { GetFileNameAndPath(m(""), d[0], d[1]); },
       {cString(""), cString("")}},
      {"GetFileNameAndPath sized fits",
       {c(6), c(6)},
       [](auto d) { GetFileNameAndPath(m("/a/b/c.txt"), d[0], d[1], 6); },
       {cString("/a/b/"), cString("c.txt")}},
      {"GetFileNameAndPath sized one short",
       {c(5), c(5)},
       [](auto d) { GetFileNameAndPath(m("/a/b/c.txt"), d[0], d[1], 5); },
       {cString(""), cString("")}},
      {"GetParentPath",
       {c(), c()},
       [](auto d) { GetParentPath("/a/b/c.txt", d[0], d[1]); },
       {cString("/a/b"), cString("c.txt")}},
      {"GetParentPath top",
       {c(), c()},
       [](auto d) { GetParentPath("/a", d[0], d[1]); },
       {cString(""), cString("a")}},
      {"GetParentPath no name",
       {c()},
       [](auto d) { GetParentPath("/a/b/", d[0], nullptr); },
       {cString("/a/b")}},
      {"GetParentPath sized fits",
       {c(6), c(6)},
       [](auto d) { GetParentPath("/a/b/c.txt", d[0], d[1], 6); },
       {cString("/a/b"), cString("c.txt")}},
      {"GetParentPath sized one short",
       {c(5), c(5)},
       [](auto d) { GetParentPath("/a/b/c.txt", d[0], d[1], 5); },
       {cString(""), cString("")}},
      {"BuildPath", {c()}, [](auto d) { BuildPath("/a/", "/b", d[0]); }, {cString("/a/b")}},
      {"BuildPath empty folder", {c()}, [](auto d) { BuildPath("", "b", d[0]); }, {cString("b")}},
      {"BuildPath long",
       {c()},
       [&](auto d) { BuildPath(deep.c_str(), leaf255.c_str(), d[0]); },
       {cString(deep + "/" + leaf255)}},
      {"BuildPath sized fits",
       {c(5)},
       [](auto d) { BuildPath("/a", "b", d[0], 5); },
       {cString("/a/b")}},
      {"BuildPath sized one short",
       {c(4)},
       [](auto d) { BuildPath("/a", "b", d[0], 4); },
       {cString("")}},
      {"GetPNameWithoutExt",
       {p()},
       [](auto d) { GetPNameWithoutExt(pas(m("\12report.txt")), pas(d[0])); },
       {pascal("report")}},
      {"GetPNameWithoutExt kept",
       {p()},
       [](auto d) { GetPNameWithoutExt(pas(m("\3a.b")), pas(d[0])); },
       {pascal("a.b")}},
      {"GetPNameWithoutExt 255",
       {p()},
       [&](auto d) { GetPNameWithoutExt(pas(m(pascal(leaf255))), pas(d[0])); },
       {pascal(leaf255)}},
      {"GetCNameWithoutExt",
       {c()},
       [](auto d) { GetCNameWithoutExt(m("a.b"), d[0]); },
       {cString("a")}},
      {"GetCNameWithoutExt dot file",
       {c()},
       [](auto d) { GetCNameWithoutExt(m(".profile"), d[0]); },
       {cString(".profile")}},
      {"GetCNameWithoutExt sized fits",
       {c(2)},
       [](auto d) { GetCNameWithoutExt(m("a.b"), d[0], 2); },
       {cString("a")}},
      {"GetCNameWithoutExt sized one short",
       {c(1)},
       [](auto d) { GetCNameWithoutExt(m("ab.c"), d[0], 1); },
       {cString("")}},
  };
  kivtest::checkRows(rows);
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
  for (const std::string& path : {fits, over, leaf255, accented, hangul})
    std::ofstream(path) << "x";
  FSRef fitsRef, overRef, leafRef, accentedRef, hangulRef;
  ASSERT_EQ(0, CFSPathMakeRef(m(fits), &fitsRef));
  ASSERT_EQ(0, CFSPathMakeRef(m(over), &overRef));
  ASSERT_EQ(0, CFSPathMakeRef(m(leaf255), &leafRef));
  ASSERT_EQ(0, CFSPathMakeRef(m(accented), &accentedRef));
  ASSERT_EQ(0, CFSPathMakeRef(m(hangul), &hangulRef));
  const std::string documents = [] {
    char path[4096];
    GetDocumentsPath(path, 4095);
    return std::string(path);
  }();
  const short docLen = static_cast<short>(documents.size());
  int moved = 0;

  const std::vector<RoomRow> rows = {
      {"CFSPathMakeRef",
       {record<FSRef>()},
       [&](auto d) { CFSPathMakeRef(m(fits), as<FSRef>(d[0])); }},
      {"FSPathMakeRef",
       {record<FSRef>(), record<Boolean>()},
       [&](auto d) {
         FSPathMakeRef(reinterpret_cast<const UInt8*>(base.c_str()), as<FSRef>(d[0]),
                       as<Boolean>(d[1]));
       }},
      {"CFSRefMakePath 254",
       {c(255)},
       [&](auto d) { CFSRefMakePath(&fitsRef, d[0]); },
       {cString(fits)}},
      {"CFSRefMakePath 255",
       {c(255)},
       [&](auto d) { CFSRefMakePath(&overRef, d[0]); },
       {cString("")}},
      {"FSRefMakePath exact",
       {c(fits.size() + 1)},
       [&](auto d) { FSRefMakePath(&fitsRef, reinterpret_cast<UInt8*>(d[0]), fits.size() + 1); },
       {cString(fits)}},
      {"FSRefMakePath one short",
       {c(fits.size())},
       [&](auto d) { FSRefMakePath(&fitsRef, reinterpret_cast<UInt8*>(d[0]), fits.size()); },
       {cString("")}},
      {"FSRefMakePath size 1",
       {c(1)},
       [&](auto d) { FSRefMakePath(&fitsRef, reinterpret_cast<UInt8*>(d[0]), 1); },
       {cString("")}},
      {"CFSGetNameFromFSRef",
       {c()},
       [&](auto d) { CFSGetNameFromFSRef(&leafRef, d[0]); },
       {cString(std::string(255, 'n'))}},
      {"CFSGetNameFromFSRef sized fits",
       {c(256)},
       [&](auto d) { CFSGetNameFromFSRef(&leafRef, d[0], 256); },
       {cString(std::string(255, 'n'))}},
      {"CFSGetNameFromFSRef sized one short",
       {c(255)},
       [&](auto d) { CFSGetNameFromFSRef(&leafRef, d[0], 255); },
       {cString("")}},
      {"CFSGetNameFromFSRef Pascal",
       {p()},
       [&](auto d) { CFSGetNameFromFSRef(&accentedRef, pas(d[0])); },
       {pascal("caf\x8E.txt")}},
      {"CFSGetNameFromFSRef Pascal 255",
       {p()},
       [&](auto d) { CFSGetNameFromFSRef(&leafRef, pas(d[0])); },
       {pascal(std::string(255, 'n'))}},
      {"CFSGetNameFromFSRef Pascal outside Mac Roman",
       {p(6)},
       [&](auto d) { CFSGetNameFromFSRef(&hangulRef, pas(d[0])); },
       {pascal("")}},
      {"CFSGetFSS", {record<FSSpec>()}, [&](auto d) { CFSGetFSS(&leafRef, as<FSSpec>(d[0])); }},
      {"CFSGetParent", {record<FSRef>()}, [&](auto d) { CFSGetParent(&leafRef, as<FSRef>(d[0])); }},
      {"CFSGetCatInfo path",
       {record<FSCatalogInfo>()},
       [&](auto d) { CFSGetCatInfo(leaf255.c_str(), as<FSCatalogInfo>(d[0])); }},
      {"CFSGetCatInfo reference",
       {record<FSCatalogInfo>()},
       [&](auto d) { CFSGetCatInfo(&leafRef, as<FSCatalogInfo>(d[0])); }},
      {"FSGetCatalogInfo everything",
       {record<FSCatalogInfo>(), record<HFSUniStr255>(), record<FSSpec>(), record<FSRef>()},
       [&](auto d) {
         FSGetCatalogInfo(&leafRef, kFSCatInfoGettableInfo, as<FSCatalogInfo>(d[0]),
                          as<HFSUniStr255>(d[1]), as<FSSpec>(d[2]), as<FSRef>(d[3]));
       }},
      {"FSMoveObject",
       {record<FSRef>()},
       [&](auto d) {
         fs::create_directories(t.path() / "into");
         const std::string name = base + "/moved" + std::to_string(moved++);
         std::ofstream(name) << "x";
         FSRef from, into;
         CFSPathMakeRef(m(name), &from);
         CFSPathMakeRef(m(base + "/into"), &into);
         FSMoveObject(&from, &into, as<FSRef>(d[0]));
       }},
      {"FSFindFolder",
       {record<FSRef>()},
       [](auto d) { FSFindFolder(kOnSystemDisk, kTemporaryFolderType, false, as<FSRef>(d[0])); }},
      {"GetUnifiedFolderType reference",
       {record<FSRef>()},
       [](auto d) { GetUnifiedFolderType(3, as<FSRef>(d[0])); }},
      {"GetUnifiedFolderType path", {c(255)}, [](auto d) { GetUnifiedFolderType(3, d[0]); }},
      {"GetUnifiedFileRef",
       {record<FSRef>()},
       [&](auto d) {
         GetUnifiedFileRef(3, m(fs::path(base).filename().string()), as<FSRef>(d[0]));
       }},
      {"GetDocumentsPath exact",
       {c(docLen + 1)},
       [&](auto d) { GetDocumentsPath(d[0], docLen); },
       {cString(documents)}},
      {"GetDocumentsPath one short",
       {c(docLen)},
       [&](auto d) { GetDocumentsPath(d[0], docLen - 1); },
       {cString("")}},
      {"GetAppSupportPath zero", {c(1)}, [](auto d) { GetAppSupportPath(d[0], 0); }, {cString("")}},
      {"GetUserPrefsPath", {c(4096)}, [](auto d) { GetUserPrefsPath(d[0], 4095); }},
  };
  kivtest::checkRows(rows);
}
