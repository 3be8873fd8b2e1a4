// The lenient Base64 decoder and the Base64 node reader.
#include <random>
#include <string>

#include <glib.h>

#include "XmlSupport.h"

using namespace xmltest;

TEST(Base64Decode, WellFormedShortAndLenientInput) {
  EXPECT_EQ("", decode_base64(""));
  EXPECT_EQ("Man", decode_base64("TWFu"));
  EXPECT_EQ("Ma", decode_base64("TWE="));
  EXPECT_EQ("M", decode_base64("TQ=="));
  EXPECT_EQ("Ma", decode_base64("TWE"));
  EXPECT_EQ("M", decode_base64("TQ"));
  EXPECT_EQ("ManMa", decode_base64("TWFuTWE"));
  EXPECT_EQ("O", decode_base64("T")); // a lone character: the end counts as six set bits
  EXPECT_EQ("\xFF\xFF\xFF", decode_base64("////"));
  EXPECT_EQ("\xFB\xEF\xBE", decode_base64("++++"));
  // "=" in the first two places is just a byte outside the alphabet (63).
  EXPECT_EQ(std::string("\x03\xF0\x00", 3), decode_base64("A=AA"));
  EXPECT_EQ(std::string("\xFC\x00\x00", 3), decode_base64("=AAA"));
  // Decoding stops at the first pad character in the third or fourth place.
  EXPECT_EQ("M", decode_base64("TQ==TWFu"));
  EXPECT_EQ("Ma", decode_base64("TWE=TWFu"));
  // Outside the alphabet: 63 in the first three places, a third byte of 255 in the fourth.
  EXPECT_EQ(decode_base64("//Fu"), decode_base64("!!Fu"));
  EXPECT_EQ("Ma\xFF", decode_base64("TWF!"));
  EXPECT_EQ("Ma\xFF", decode_base64(std::string("TWF\0", 4)));
  // Line breaks are not skipped: they take a place and shift what follows.
  std::string broken = decode_base64("TWFu\nTWFu");
  EXPECT_EQ(7u, broken.size());
  EXPECT_EQ("Man", broken.substr(0, 3));
  EXPECT_NE("ManMan", broken.substr(0, 6));
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
  ASSERT_EQ(0, d.result);
  KivXML& doc = d.doc;
  auto read = [&](const char* name) {
    return text([&](char* b) { return doc.ReadNodeBase64String(name, b); });
  };
  EXPECT_EQ("0:" + value, read("long"));
  EXPECT_EQ("0:Man", read("man"));
  EXPECT_EQ("0:Man", read("inner"));
  EXPECT_EQ("0:M", read("stop"));
  EXPECT_EQ("0:", read("zero"));
  EXPECT_EQ("0:", read("empty"));
  EXPECT_EQ("-5:", read("absent"));
  // The bounded reader cuts the value, not the text, whatever part of the text it decodes.
  for (size_t room : {1, 2, 3, 4, 5, 54, 55, 56, 101})
    EXPECT_EQ(value.substr(0, room - 1),
              cut(room, [&](char* b, size_t n) { return doc.ReadNodeBase64String("long", b, n); }))
        << room;
  EXPECT_EQ("", cut(0, [&](char* b, size_t n) { return doc.ReadNodeBase64String("man", b, n); }));
}
