// Shared helpers of the KivXML tests.
#pragma once

#include <cstring>
#include <initializer_list>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <libxml/tree.h>

#include "KivXML.h"
#include "TestSupport.h"

namespace xmltest {

const std::string kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

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

// Runs a bounded reader with `room` bytes of a guarded buffer and gives the text it left there;
// the byte after the room must keep its guard value.
template <class F> inline std::string cut(size_t room, F read) {
  char buf[512];
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(0, read(buf, room));
  EXPECT_EQ('#', buf[room]) << "overrun with room " << room;
  return std::string(buf, strnlen(buf, room));
}

// Checks that every call of a braced list (run in order) returned `want`.
inline void expectAll(OSErr want, std::initializer_list<OSErr> codes) {
  int call = 0;
  for (OSErr code : codes)
    EXPECT_EQ(want, code) << "call " << call++;
}

using u16 = unsigned short;
using u8 = unsigned char;

} // namespace xmltest
