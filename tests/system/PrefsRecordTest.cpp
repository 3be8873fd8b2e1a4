#include "SystemTestSupport.h"

using systemtest::pstr;

namespace {

struct Block {
  short s;
  int i;
};

// A record whose defaults are known values and whose Swap reverses each field.
struct TestPref : KIVGlobalPref {
  using KIVGlobalPref::fIntParam, KIVGlobalPref::fName, KIVGlobalPref::fShortParam;
  static inline int destroyed = 0;
  int swaps = 0;
  explicit TestPref(unsigned char* name) : KIVGlobalPref(7, name, 3) {}
  ~TestPref() override { ++destroyed; }
  void DefaultValues(char* data) override {
    *reinterpret_cast<Block*>(data) = {0x1234, 0x01020304};
  }
  void Swap(char* data) override {
    ++swaps;
    Block* b = reinterpret_cast<Block*>(data);
    *b = {AlwaysSwapByte(b->s), AlwaysSwapByte(b->i)};
  }
};

unsigned char* pascal(const std::string& s, unsigned char* out) {
  out[0] = static_cast<unsigned char>(s.size());
  std::memcpy(out + 1, s.data(), s.size());
  return out;
}

} // namespace

TEST(PrefsRecord, ReadGivesDefaultsAndWriteLeavesTheBlock) {
  unsigned char name[256];
  TestPref* pref = new TestPref(pascal("Settings", name));
  EXPECT_EQ("Settings", pstr(pref->fName));
  EXPECT_EQ(7, pref->fIntParam);
  EXPECT_EQ(3, pref->fShortParam);

  Block block;
  std::memset(&block, 0xEE, sizeof block);
  char* data = reinterpret_cast<char*>(&block);
  EXPECT_EQ(-1, pref->Read(data));
  EXPECT_EQ(0x1234, block.s);
  EXPECT_EQ(0x01020304, block.i);
  EXPECT_EQ(-1, pref->Write(data));
  EXPECT_EQ(2, pref->swaps);
  // The base operations touch nothing; deleting through the base runs the subclass destructor.
  KIVGlobalPref* base = pref;
  base->KIVGlobalPref::DefaultValues(data);
  base->KIVGlobalPref::Swap(data);
  EXPECT_EQ(0x1234, block.s);
  EXPECT_EQ(0x01020304, block.i);
  TestPref::destroyed = 0;
  delete base;
  EXPECT_EQ(1, TestPref::destroyed);
}

TEST(PrefsRecord, NameUpTo63BytesAndStorageKeepsNothing) {
  unsigned char name[256];
  // A longer name is cut rather than overrunning the 64-byte field.
  for (auto [given, held] : {std::pair(std::string(63, 'n'), std::string(63, 'n')),
                             std::pair(std::string(255, 'x'), std::string(63, 'x')),
                             std::pair(std::string(), std::string())})
    EXPECT_EQ(held, pstr(TestPref(pascal(given, name)).fName));
  EXPECT_EQ("", pstr(TestPref(nullptr).fName));

  char data[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(-1, GetPrefsData(pascal("Prefs", name), data, 1, 1));
  EXPECT_EQ(-1, SetPrefsData(name, data, 1, 1));
  EXPECT_EQ(0, std::memcmp(data, "abcd", 4));
  EXPECT_EQ(-1, GetPrefsData(nullptr, nullptr, 0, 0));
  EXPECT_EQ(-1, SetPrefsData(nullptr, nullptr, -1, -1));
}
