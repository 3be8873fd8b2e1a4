// Shared helpers of the KivXML tests.
#pragma once

#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <libxml/tree.h>

#include "KivXML.h"
#include "TestSupport.h"

namespace xmltest {

const std::string kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

using kivtest::entriesOf;
using kivtest::readFile;

// A KivXML object opened on a document written into a fresh temporary folder.
class OpenedDoc {
public:
  explicit OpenedDoc(const std::string& xml)
      : path(dir.write("doc.xml", xml).string()), result(doc.OpenDoc(path.c_str())) {}
  kivtest::TempDir dir;
  std::string path;
  KivXML doc;
  OSErr result;
};

inline std::string textOf(KivXML& doc, xmlNode* node) {
  char buf[512];
  EXPECT_EQ(0, doc.ReadNodeStringValue(node, buf, sizeof buf));
  return buf;
}

inline std::string nameOf(xmlNode* node) {
  return node != nullptr ? reinterpret_cast<const char*>(node->name) : "(null)";
}

inline std::string pascal(const unsigned char* p) {
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

// Runs a reader on a target preset to 7 and gives "code:stored value".
template <class T, class F> inline std::string got(F read) {
  T v = 7;
  OSErr e = read(v);
  std::ostringstream out;
  out << e << ':' << +v;
  return out.str();
}

// Runs a text reader on a buffer holding "junk" and gives "code:text".
template <class F> inline std::string text(F read) {
  char buf[512] = "junk";
  OSErr e = read(buf);
  return std::to_string(e) + ':' + buf;
}

// Checks that every call of a braced list (run in order) returned `want`.
inline void expectAll(OSErr want, std::initializer_list<OSErr> codes) {
  int call = 0;
  for (OSErr code : codes)
    EXPECT_EQ(want, code) << "call " << call++;
}

// A writer's test: a fresh folder and the document's path in it.
class WriterTest : public ::testing::Test {
protected:
  kivtest::TempDir dir;
  std::filesystem::path file = dir.path() / "doc.xml";
  KivXML xml; // destroyed first, so that it completes its file before the folder goes

  // Completes the document and reads file `p`; `created` is the code of its CreateDoc.
  std::string closed(OSErr created, const std::filesystem::path& p) {
    EXPECT_EQ(created, 0);
    return closed(p);
  }
  std::string closed(const std::filesystem::path& p) {
    xml.CloseDoc();
    return kivtest::readFile(p);
  }
  // Completes the document, checks that no refused item reached it, and opens it for reading.
  void reopen() {
    EXPECT_EQ(closed(file).find("refused"), std::string::npos);
    ASSERT_EQ(xml.OpenDoc(file.c_str()), 0);
  }
  // The text of the first element of that name, read into a buffer of `room` bytes.
  std::string read(const char* name, size_t room) {
    std::unique_ptr<char[]> buf(new char[room]);
    EXPECT_EQ(xml.ReadNodeString(name, buf.get(), room), 0) << name;
    return buf.get();
  }
};

using u16 = unsigned short;
using u8 = unsigned char;

} // namespace xmltest
