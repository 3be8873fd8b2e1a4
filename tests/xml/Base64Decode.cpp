// The lenient Base64 decoder and the Base64 node reader.
#include <cstring>
#include <random>
#include <string>

#include <glib.h>
#include <gtest/gtest.h>

#include "KivXML.h"
#include "ReadSupport.h"

using xmlreadtest::OpenedDoc;

namespace {
std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values)
    s.push_back(static_cast<char>(v));
  return s;
}
} // namespace

TEST(Base64Decode, WellFormedAndShortInput) {
  EXPECT_EQ("", decode_base64(""));
  EXPECT_EQ("Man", decode_base64("TWFu"));
  EXPECT_EQ("Ma", decode_base64("TWE="));
  EXPECT_EQ("M", decode_base64("TQ=="));
  EXPECT_EQ("Ma", decode_base64("TWE"));
  EXPECT_EQ("M", decode_base64("TQ"));
  EXPECT_EQ("ManMa", decode_base64("TWFuTWE"));
  // A lone character still gives a byte, with the end counted as six set bits.
  EXPECT_EQ("O", decode_base64("T"));
  EXPECT_EQ(bytes({0xFF, 0xFF, 0xFF}), decode_base64("////"));
  EXPECT_EQ(bytes({0xFB, 0xEF, 0xBE}), decode_base64("++++"));
}

TEST(Base64Decode, LenientRules) {
  // "=" in the first two places is just a byte outside the alphabet (63).
  EXPECT_EQ(bytes({0x03, 0xF0, 0x00}), decode_base64("A=AA"));
  EXPECT_EQ(bytes({0xFC, 0x00, 0x00}), decode_base64("=AAA"));
  // Decoding stops at the first pad character in the third or fourth place.
  EXPECT_EQ("M", decode_base64("TQ==TWFu"));
  EXPECT_EQ("Ma", decode_base64("TWE=TWFu"));
  // Outside the alphabet: 63 in the first three places, a third byte of 255 in the fourth.
  EXPECT_EQ(decode_base64("//Fu"), decode_base64("!!Fu"));
  EXPECT_EQ(bytes({'M', 'a', 0xFF}), decode_base64("TWF!"));
  EXPECT_EQ(bytes({'M', 'a', 0xFF}), decode_base64(std::string("TWF\0", 4)));
  // Line breaks are not skipped: they take a place and shift what follows.
  std::string broken = decode_base64("TWFu\nTWFu");
  EXPECT_NE("ManMan", broken);
  EXPECT_EQ(7u, broken.size());
  EXPECT_EQ("Man", broken.substr(0, 3));
}

TEST(Base64Decode, RoundTripsWhatAStandardEncoderWrites) {
  std::mt19937 rng(1234);
  for (int len = 0; len < 200; ++len) {
    std::string data(static_cast<size_t>(len), '\0');
    for (char& ch : data)
      ch = static_cast<char>(rng() & 0xFF);
    gchar* encoded = g_base64_encode(reinterpret_cast<const guchar*>(data.data()), data.size());
    std::string decoded = decode_base64(encoded);
    g_free(encoded);
    ASSERT_EQ(data, decoded) << "length " << len;
  }
}

TEST(Base64Decode, NodeReader) {
  // 120 bytes stored the way the writer stores long values: lines of 72 characters.
  std::string value;
  for (int i = 0; i < 120; ++i)
    value.push_back(static_cast<char>('!' + i % 90));
  gchar* enc = g_base64_encode(reinterpret_cast<const guchar*>(value.data()), value.size());
  std::string lines(enc);
  g_free(enc);
  lines.insert(144, "\r\n");
  lines.insert(72, "\r\n");

  OpenedDoc d("<d><long>" + lines +
              "</long><man>TWFu</man><zero>AAAA</zero>"
              "<inner>TW<!-- c -->Fu</inner><empty/><stop>TQ==TWFu</stop></d>");
  ASSERT_EQ(0, d.result());
  KivXML& doc = d.doc;
  char buf[256];

  EXPECT_EQ(0, doc.ReadNodeBase64String("long", buf));
  EXPECT_EQ(value, buf);
  EXPECT_EQ(0, doc.ReadNodeBase64String("man", buf));
  EXPECT_STREQ("Man", buf);
  EXPECT_EQ(0, doc.ReadNodeBase64String("inner", buf));
  EXPECT_STREQ("Man", buf);
  EXPECT_EQ(0, doc.ReadNodeBase64String("stop", buf));
  EXPECT_STREQ("M", buf);
  std::strcpy(buf, "junk");
  EXPECT_EQ(0, doc.ReadNodeBase64String("zero", buf));
  EXPECT_STREQ("", buf);
  std::strcpy(buf, "junk");
  EXPECT_EQ(0, doc.ReadNodeBase64String("empty", buf));
  EXPECT_STREQ("", buf);
  std::strcpy(buf, "junk");
  EXPECT_EQ(-5, doc.ReadNodeBase64String("absent", buf));
  EXPECT_STREQ("", buf);

  // The bounded reader decodes the whole text and cuts the value, not the text.
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(0, doc.ReadNodeBase64String("long", buf, 101));
  EXPECT_EQ(value.substr(0, 100), buf);
  EXPECT_EQ('#', buf[101]);
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(0, doc.ReadNodeBase64String("man", buf, 0));
  EXPECT_EQ('#', buf[0]);
}
