#include "WinFSRef.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string pascal(const unsigned char* p) {
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

std::string pair(const char* a, const char* b) { return std::string(a) + "|" + b; }

} // namespace

TEST(Paths, LeafNameAndSplitting) {
  // path; leaf; GetParentPath parent and name; GetFileNameAndPath folder and name
  const char* rows[][6] = {{"/a/b/c.txt", "c.txt", "/a/b", "c.txt", "/a/b/", "c.txt"},
                           {"/a/b/", "", "/a/b", "", "/a/b/", ""},
                           {"name", "name", "", "ame", "", "name"},
                           {"/name", "/name", "", "name", "/", "name"},
                           {"", "", "", "", "", ""}};
  for (auto& r : rows) {
    SCOPED_TRACE(r[0]);
    char leaf[64], parent[64], name[64], full[64], folder[64], name2[64];
    EXPECT_EQ(0, CFSGetNameFromPath(r[0], leaf));
    GetParentPath(r[0], parent, name);
    GetFileNameAndPath(std::strcpy(full, r[0]), folder, name2);
    EXPECT_EQ(std::vector<std::string>(r + 1, r + 6),
              (std::vector<std::string>{leaf, parent, name, folder, name2}));
  }
  unsigned char p[256];
  CFSGetNameFromPath(("/d/" + std::string(400, 'n')).c_str(), p);
  EXPECT_EQ(255, p[0]) << "a Pascal string holds at most 255 bytes";

  // A destination may be the source buffer itself, and the name output may be null.
  char inPlace[] = "/one/two/three";
  GetParentPath(inPlace, inPlace, nullptr);
  EXPECT_STREQ("/one/two", inPlace);
}

// The size counts the terminator; what does not fit leaves empty outputs and nothing beyond.
TEST(Paths, BoundedFormsNeverOverrun) {
  char buf[8];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(0, CFSGetNameFromPath("/a/1234567", buf, 8));
  EXPECT_STREQ("1234567", buf);
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(-1, CFSGetNameFromPath("/a/12345678", buf, 7));
  EXPECT_EQ(0, buf[0]);
  EXPECT_EQ('x', buf[7]);

  char f[4], n[4], longer[] = "/abcd/e", out[6], ext[] = "long.ext";
  GetFileNameAndPath(longer, f, n, 4);
  EXPECT_EQ("|", pair(f, n));
  GetParentPath("/ab/cde", f, n, 4);
  EXPECT_EQ("/ab|cde", pair(f, n));
  GetParentPath("/ab/cdef", f, n, 4);
  EXPECT_EQ("|", pair(f, n));
  BuildPath("/ab", "c", out, 6);
  EXPECT_STREQ("/ab/c", out);
  BuildPath("/ab", "cd", out, 6);
  EXPECT_STREQ("", out);
  GetCNameWithoutExt(ext, out, 5);
  EXPECT_STREQ("long", out);
  GetCNameWithoutExt(ext, out, 4);
  EXPECT_STREQ("", out);
}

TEST(Paths, JoiningAndExtensions) {
  const char* joins[][3] = {
      {"/a", "b", "/a/b"}, {"/a/", "/b", "/a/b"}, {"", "b", "b"}, {"/a", "//b", "/a//b"}};
  for (auto& j : joins) {
    char out[32];
    BuildPath(j[0], j[1], out);
    EXPECT_STREQ(j[2], out) << j[0] << " + " << j[1];
  }
  // name, Pascal form, C form: the Pascal form needs two characters before the dot.
  const char* exts[][3] = {{"report.txt", "report", "report"},
                           {"archive.tar.gz", "archive.tar", "archive.tar"},
                           {"ab.c", "ab", "ab"},
                           {"a.b", "a.b", "a"},
                           {".profile", ".profile", ".profile"},
                           {"noext", "noext", "noext"},
                           {"", "", ""}};
  for (auto& e : exts) {
    unsigned char in[256] = {static_cast<unsigned char>(std::strlen(e[0]))}, pout[256];
    char cin[64], cout[64];
    std::memcpy(in + 1, e[0], in[0]);
    GetPNameWithoutExt(in, pout);
    GetCNameWithoutExt(std::strcpy(cin, e[0]), cout);
    EXPECT_EQ(e[1], pascal(pout)) << e[0];
    EXPECT_STREQ(e[2], cout) << e[0];
  }
}
