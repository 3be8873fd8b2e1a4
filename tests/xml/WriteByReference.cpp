// Creating documents in folders and over files given by reference, and in standard folders.
#include <gtest/gtest.h>

#include <string>

#include "KivXML.h"
#include "TestSupport.h"
#include "WinFSRef.h"

namespace {

FSRef refTo(const std::string& path) {
  FSRef ref;
  EXPECT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(path.c_str()), &ref, nullptr), 0);
  return ref;
}

const std::string kEmptyRoot = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r/>\n";

} // namespace

TEST(XmlWriteByReference, FolderAndFileReferences) {
  kivtest::TempDir dir;
  FSRef folder = refTo(dir.str());
  KivXML xml;
  ASSERT_EQ(xml.CreateDoc(&folder, "a.xml", "r", false), 0);
  xml.CloseDoc();
  EXPECT_EQ(kivtest::readFile(dir.path() / "a.xml"), kEmptyRoot);
  EXPECT_EQ(xml.CreateDoc(static_cast<FSRef*>(nullptr), "a.xml", "r", false), -6);

  // The joined path may hold 299 bytes.
  auto deep = dir.path() / std::string(100, 'd');
  std::filesystem::create_directory(deep);
  FSRef deepRef = refTo(deep.string());
  std::string name(299 - deep.string().size() - 1, 'n');
  ASSERT_EQ(xml.CreateDoc(&deepRef, name.c_str(), "r", false), 0);
  xml.CloseDoc();
  EXPECT_EQ(kivtest::readFile(deep / name), kEmptyRoot);
  EXPECT_EQ(xml.CreateDoc(&deepRef, (name + "x").c_str(), "r", false), -7);
  EXPECT_EQ(xml.writer, nullptr);
  // A leaf name longer than the file system allows is refused at once.
  EXPECT_EQ(xml.CreateDoc(&folder, std::string(256, 'n').c_str(), "r", false), -7);

  // A file reference rewrites the file under its own name; names hold 63 bytes.
  auto existing = dir.write("old.xml", "old");
  FSRef file = refTo(existing.string());
  ASSERT_EQ(xml.CreateDoc(&file, "r", false), 0);
  EXPECT_EQ(kivtest::readFile(existing), "old");
  xml.CloseDoc();
  EXPECT_EQ(kivtest::readFile(existing), kEmptyRoot);

  std::string n63(63, 'f'), n64(64, 'f');
  FSRef f63 = refTo(dir.write(n63, "x").string());
  FSRef f64 = refTo(dir.write(n64, "x").string());
  EXPECT_EQ(xml.CreateDoc(&f63, "r", false), 0);
  xml.CloseDoc();
  EXPECT_EQ(kivtest::readFile(dir.path() / n63), kEmptyRoot);
  EXPECT_EQ(xml.CreateDoc(&f64, "r", false), -7);
  EXPECT_EQ(kivtest::readFile(dir.path() / n64), "x");
}

TEST(XmlWriteByReference, StandardFolders) {
  kivtest::TempDir dir;
  KivXML xml;
  {
    kivtest::ScopedEnv config("XDG_CONFIG_HOME", dir.str());
    ASSERT_EQ(xml.CreateDoc(1, "prefs.xml", "r", false), 0);
    xml.CloseDoc();
    EXPECT_EQ(kivtest::readFile(dir.path() / "prefs.xml"), kEmptyRoot);
  }
  {
    kivtest::ScopedEnv config("XDG_CONFIG_HOME", (dir.path() / "missing").string());
    EXPECT_EQ(xml.CreateDoc(1, "prefs.xml", "r", false), -14);
  }
  EXPECT_EQ(xml.CreateDoc(short(0), "x.xml", "r", false), -14);
  EXPECT_EQ(xml.CreateDoc(4, "x.xml", "r", false), -14);
  EXPECT_EQ(xml.writer, nullptr);
}
