#include "WinFSRef.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string leaf(const char* path) {
  char name[512];
  std::memset(name, 'x', sizeof name);
  EXPECT_EQ(0, CFSGetNameFromPath(path, name));
  return name;
}

std::string parentName(const char* path, std::string* name) {
  char parent[256], n[256];
  GetParentPath(path, parent, n);
  *name = n;
  return parent;
}

std::string built(const char* folder, const char* name) {
  char out[256];
  BuildPath(folder, name, out);
  return out;
}

std::string pNoExt(const char* c) {
  unsigned char in[256], out[256];
  in[0] = static_cast<unsigned char>(std::strlen(c));
  std::memcpy(in + 1, c, in[0]);
  GetPNameWithoutExt(in, out);
  return std::string(reinterpret_cast<char*>(out + 1), out[0]);
}

std::string cNoExt(const char* c) {
  char in[256], out[256];
  std::strcpy(in, c);
  GetCNameWithoutExt(in, out);
  return out;
}

} // namespace

TEST(Paths, LeafName) {
  EXPECT_EQ("c.txt", leaf("/a/b/c.txt"));
  EXPECT_EQ("", leaf("/a/b/"));
  EXPECT_EQ("name", leaf("name"));
  EXPECT_EQ("/name", leaf("/name")) << "a '/' in the first position is not a separator";
  EXPECT_EQ("", leaf(""));
  EXPECT_EQ("", leaf(nullptr));

  unsigned char p[256];
  CFSGetNameFromPath("/x/report.txt", p);
  EXPECT_EQ(std::string("report.txt"), std::string(reinterpret_cast<char*>(p + 1), p[0]));
  std::string longLeaf = "/d/" + std::string(400, 'n');
  CFSGetNameFromPath(longLeaf.c_str(), p);
  EXPECT_EQ(255, p[0]) << "a Pascal string holds at most 255 bytes";

  // The bounded form: exactly fitting, and one byte short (left empty, nothing beyond).
  char buf[8];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(0, CFSGetNameFromPath("/a/1234567", buf, 8));
  EXPECT_STREQ("1234567", buf);
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(-1, CFSGetNameFromPath("/a/12345678", buf, 7));
  EXPECT_EQ(0, buf[0]);
  EXPECT_EQ('x', buf[7]);
  EXPECT_EQ(-1, CFSGetNameFromPath("/a/b", buf, 0));
}

TEST(Paths, Splitting) {
  char folder[64], name[64];
  char full[] = "/a/b/c.txt";
  GetFileNameAndPath(full, folder, name);
  EXPECT_STREQ("/a/b/", folder);
  EXPECT_STREQ("c.txt", name);
  char empty[] = "";
  std::strcpy(folder, "junk");
  std::strcpy(name, "junk");
  GetFileNameAndPath(empty, folder, name);
  EXPECT_STREQ("", folder);
  EXPECT_STREQ("", name);
  char bare[] = "plain";
  GetFileNameAndPath(bare, folder, name);
  EXPECT_STREQ("", folder);
  EXPECT_STREQ("plain", name);

  std::string n;
  EXPECT_EQ("/a/b", parentName("/a/b/c.txt", &n));
  EXPECT_EQ("c.txt", n);
  EXPECT_EQ("", parentName("/a", &n));
  EXPECT_EQ("a", n);
  EXPECT_EQ("/a/b", parentName("/a/b/", &n));
  EXPECT_EQ("", n);
  EXPECT_EQ("", parentName("", &n));
  EXPECT_EQ("", n);
  char parent[64];
  GetParentPath("/x/y", parent, nullptr);
  EXPECT_STREQ("/x", parent);

  // The destination may be the source buffer itself.
  char inPlace[] = "/one/two/three";
  GetParentPath(inPlace, inPlace, name);
  EXPECT_STREQ("/one/two", inPlace);
  EXPECT_STREQ("three", name);

  // Bounded forms refuse a part that does not fit and leave every output empty.
  char f4[4], n4[4];
  char longer[] = "/abcd/e";
  GetFileNameAndPath(longer, f4, n4, 4);
  EXPECT_STREQ("", f4);
  EXPECT_STREQ("", n4);
  GetParentPath("/ab/cde", f4, n4, 4);
  EXPECT_STREQ("/ab", f4);
  EXPECT_STREQ("cde", n4);
  GetParentPath("/ab/cdef", f4, n4, 4);
  EXPECT_STREQ("", f4);
  EXPECT_STREQ("", n4);
}

TEST(Paths, Joining) {
  EXPECT_EQ("/a/b", built("/a", "b"));
  EXPECT_EQ("/a/b", built("/a/", "/b"));
  EXPECT_EQ("b", built("", "b"));
  EXPECT_EQ("/a//b", built("/a", "//b"));
  EXPECT_EQ("/a/", built("/a", ""));

  char out[6];
  std::memset(out, 'x', sizeof out);
  BuildPath("/ab", "c", out, 6); // exactly five bytes and the NUL
  EXPECT_STREQ("/ab/c", out);
  BuildPath("/ab", "cd", out, 6);
  EXPECT_STREQ("", out);
}

TEST(Paths, Extensions) {
  EXPECT_EQ("report", pNoExt("report.txt"));
  EXPECT_EQ("archive.tar", pNoExt("archive.tar.gz"));
  EXPECT_EQ("ab", pNoExt("ab.c"));
  EXPECT_EQ("a.b", pNoExt("a.b")) << "the Pascal form needs two characters before the dot";
  EXPECT_EQ(".profile", pNoExt(".profile"));
  EXPECT_EQ("noext", pNoExt("noext"));
  EXPECT_EQ("", pNoExt(""));
  EXPECT_EQ("name.", pNoExt("name..")) << "only the last dot counts";

  EXPECT_EQ("a", cNoExt("a.b")) << "the C form needs one character before the dot";
  EXPECT_EQ(".profile", cNoExt(".profile"));
  EXPECT_EQ("archive.tar", cNoExt("archive.tar.gz"));
  EXPECT_EQ("noext", cNoExt("noext"));
  EXPECT_EQ("", cNoExt(""));

  char name[] = "long.ext", out[5];
  GetCNameWithoutExt(name, out, 5);
  EXPECT_STREQ("long", out);
  GetCNameWithoutExt(name, out, 4);
  EXPECT_STREQ("", out);
}
