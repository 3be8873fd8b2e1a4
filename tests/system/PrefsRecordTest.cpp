#include "Kiv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Block {
  short s;
  int i;
};

// A record whose defaults are known values and whose Swap reverses each field.
class TestPref : public KIVGlobalPref {
public:
  TestPref(unsigned char* name, int* destroyed = nullptr)
      : KIVGlobalPref(7, name, 3), destroyed_(destroyed) {}
  ~TestPref() override {
    if (destroyed_) ++*destroyed_;
  }
  void DefaultValues(char* data) override {
    Block b{0x1234, 0x01020304};
    std::memcpy(data, &b, sizeof b);
  }
  void Swap(char* data) override {
    ++swaps;
    Block* b = reinterpret_cast<Block*>(data);
    b->s = AlwaysSwapByte(b->s);
    b->i = AlwaysSwapByte(b->i);
  }
  std::string name() const {
    return std::string(reinterpret_cast<const char*>(fName + 1), fName[0]);
  }
  int swaps = 0;
  using KIVGlobalPref::fIntParam;
  using KIVGlobalPref::fShortParam;

private:
  int* destroyed_;
};

unsigned char* pascal(const std::string& s, unsigned char* out) {
  out[0] = static_cast<unsigned char>(s.size());
  std::memcpy(out + 1, s.data(), s.size());
  return out;
}

} // namespace

TEST(PrefsRecord, ReadGivesDefaultsAndWriteLeavesTheBlock) {
  unsigned char name[256];
  int destroyed = 0;
  TestPref* pref = new TestPref(pascal("Settings", name), &destroyed);
  EXPECT_EQ("Settings", pref->name());
  EXPECT_EQ(7, pref->fIntParam);
  EXPECT_EQ(3, pref->fShortParam);

  Block block;
  std::memset(&block, 0xEE, sizeof block);
  EXPECT_EQ(-1, pref->Read(reinterpret_cast<char*>(&block)));
  EXPECT_EQ(0x1234, block.s);
  EXPECT_EQ(0x01020304, block.i);
  EXPECT_EQ(-1, pref->Write(reinterpret_cast<char*>(&block)));
  EXPECT_EQ(2, pref->swaps);
  EXPECT_EQ(0x1234, block.s);
  EXPECT_EQ(0x01020304, block.i);

  // The base operations touch nothing; deleting through the base runs the subclass destructor.
  KIVGlobalPref* base = pref;
  base->KIVGlobalPref::DefaultValues(reinterpret_cast<char*>(&block));
  base->KIVGlobalPref::Swap(reinterpret_cast<char*>(&block));
  EXPECT_EQ(0x1234, block.s);
  EXPECT_EQ(0x01020304, block.i);
  delete base;
  EXPECT_EQ(1, destroyed);
}

TEST(PrefsRecord, NameIsHeldUpTo63Bytes) {
  unsigned char name[256];
  EXPECT_EQ(std::string(63, 'n'), TestPref(pascal(std::string(63, 'n'), name)).name());
  // A longer name is cut rather than overrunning the 64-byte field.
  EXPECT_EQ(std::string(63, 'x'), TestPref(pascal(std::string(255, 'x'), name)).name());
  EXPECT_EQ("", TestPref(pascal("", name)).name());
  EXPECT_EQ("", TestPref(nullptr).name());
}

TEST(PrefsRecord, StorageKeepsNothing) {
  unsigned char name[256];
  char data[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(-1, GetPrefsData(pascal("Prefs", name), data, 1, 1));
  EXPECT_EQ(-1, SetPrefsData(name, data, 1, 1));
  EXPECT_EQ(0, std::memcmp(data, "abcd", 4));
  EXPECT_EQ(-1, GetPrefsData(nullptr, nullptr, 0, 0));
  EXPECT_EQ(-1, SetPrefsData(nullptr, nullptr, -1, -1));
}
