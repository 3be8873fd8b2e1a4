#include "Kiv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Block {
  short s;
  int i;
  unsigned int u;
};

// A record whose defaults are known values and whose Swap reverses each field.
class TestPref : public KIVGlobalPref {
public:
  TestPref(int n, unsigned char* name, short v, int* destroyed = nullptr)
      : KIVGlobalPref(n, name, v), destroyed_(destroyed) {}
  ~TestPref() override {
    if (destroyed_) ++*destroyed_;
  }
  void DefaultValues(char* data) override {
    Block b{0x1234, 0x01020304, 0xA0B0C0D0u};
    std::memcpy(data, &b, sizeof b);
  }
  void Swap(char* data) override {
    ++swaps;
    Block b;
    std::memcpy(&b, data, sizeof b);
    b.s = AlwaysSwapByte(b.s);
    b.i = AlwaysSwapByte(b.i);
    b.u = AlwaysSwapByte(b.u);
    std::memcpy(data, &b, sizeof b);
  }
  std::string name() const {
    return std::string(reinterpret_cast<const char*>(fName + 1), fName[0]);
  }
  int intParam() const { return fIntParam; }
  short shortParam() const { return fShortParam; }
  int swaps = 0;

private:
  int* destroyed_;
};

std::string pascal(const std::string& s, unsigned char* out) {
  out[0] = static_cast<unsigned char>(s.size());
  std::memcpy(out + 1, s.data(), s.size());
  return s;
}

} // namespace

TEST(PrefsRecord, ReadGivesDefaultsAndWriteLeavesTheBlock) {
  unsigned char name[256];
  pascal("Settings", name);
  TestPref pref(7, name, 3);
  EXPECT_EQ("Settings", pref.name());
  EXPECT_EQ(7, pref.intParam());
  EXPECT_EQ(3, pref.shortParam());

  Block block;
  std::memset(&block, 0xEE, sizeof block);
  EXPECT_EQ(-1, pref.Read(reinterpret_cast<char*>(&block)));
  EXPECT_EQ(0x1234, block.s);
  EXPECT_EQ(0x01020304, block.i);
  EXPECT_EQ(0xA0B0C0D0u, block.u);

  Block before = block;
  EXPECT_EQ(-1, pref.Write(reinterpret_cast<char*>(&block)));
  EXPECT_EQ(2, pref.swaps);
  EXPECT_EQ(0, std::memcmp(&before, &block, sizeof block));
}

TEST(PrefsRecord, BaseOperationsDoNothingAndDeletionIsVirtual) {
  unsigned char name[256];
  pascal("Base", name);
  KIVGlobalPref base(1, name, 2);
  unsigned char block[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(-1, base.Read(reinterpret_cast<char*>(block)));
  EXPECT_EQ(-1, base.Write(reinterpret_cast<char*>(block)));
  const unsigned char expected[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(0, std::memcmp(expected, block, sizeof block));

  int destroyed = 0;
  KIVGlobalPref* p = new TestPref(0, name, 0, &destroyed);
  delete p;
  EXPECT_EQ(1, destroyed);
}

TEST(PrefsRecord, NameIsHeldUpTo63Bytes) {
  unsigned char name[256];
  std::string full = pascal(std::string(63, 'n'), name);
  EXPECT_EQ(full, TestPref(0, name, 0).name());

  // A longer name is cut rather than overrunning the 64-byte field.
  pascal(std::string(200, 'x'), name);
  EXPECT_EQ(std::string(63, 'x'), TestPref(0, name, 0).name());

  pascal("", name);
  EXPECT_EQ("", TestPref(0, name, 0).name());
  EXPECT_EQ("", TestPref(0, nullptr, 0).name());
}

TEST(PrefsRecord, StorageKeepsNothing) {
  unsigned char name[256];
  pascal("Prefs", name);
  char data[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(-1, GetPrefsData(name, data, 1, 1));
  EXPECT_EQ(-1, SetPrefsData(name, data, 1, 1));
  EXPECT_EQ(0, std::memcmp(data, "abcd", 4));
  EXPECT_EQ(-1, GetPrefsData(nullptr, nullptr, 0, 0));
  EXPECT_EQ(-1, SetPrefsData(nullptr, nullptr, -1, -1));
}
