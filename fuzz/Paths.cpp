// Drives the pure path functions with arbitrary bytes. The first byte picks the room given to
// the bounded forms; the rest is split at its first NUL into a path (or folder) and a name.
// Every destination is a heap block of exactly the room the function may use, so a write past
// it is caught by the address sanitizer; the results are checked against each other.
#include <WinFSRef.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void require(bool ok) {
  if (!ok) std::abort();
}

bool isPrefix(const std::string& p, const std::string& s) { return s.compare(0, p.size(), p) == 0; }

// A destination of exactly `room` bytes.
struct Out {
  std::vector<char> bytes;
  explicit Out(size_t room) : bytes(room ? room : 1, '\x5A') {}
  char* data() { return bytes.data(); }
  std::string str() const {
    size_t n = strnlen(bytes.data(), bytes.size());
    require(n < bytes.size()); // terminated inside its room
    return std::string(bytes.data(), n);
  }
};

void unbounded(const std::string& path, const std::string& name) {
  const size_t room = path.size() + 1;
  Out leaf(room), folder(room), rest(room), parent(room), parentName(room);
  require(CFSGetNameFromPath(path.c_str(), leaf.data()) == 0);
  std::string l = leaf.str();

  std::string full = path;
  GetFileNameAndPath(full.data(), folder.data(), rest.data());
  require(folder.str() + rest.str() == path);

  GetParentPath(path.c_str(), parent.data(), parentName.data());
  std::string p = parent.str(), n = parentName.str();
  if (!path.empty()) {
    size_t k = path.find_last_of('/');
    if (k != std::string::npos && k > 0) {
      require(p + "/" + n == path);
      require(n == l);
    } else {
      require(p.empty() && n == path.substr(1));
    }
  }
  GetParentPath(path.c_str(), parent.data(), nullptr);

  Out joined(path.size() + name.size() + 2);
  BuildPath(path.c_str(), name.c_str(), joined.data());
  std::string j = joined.str();
  require(isPrefix(path, j));
  require(j.size() <= path.size() + name.size() + 1);

  Out noExt(room);
  std::string copy = path;
  GetCNameWithoutExt(copy.data(), noExt.data());
  std::string e = noExt.str();
  require(isPrefix(e, path));
  require(e == path || path[e.size()] == '.');

  unsigned char pin[256], pout[256], pleaf[256];
  size_t pn = path.size() > 255 ? 255 : path.size();
  pin[0] = static_cast<unsigned char>(pn);
  std::memcpy(pin + 1, path.data(), pn);
  GetPNameWithoutExt(pin, pout);
  require(pout[0] <= pin[0] && std::memcmp(pout + 1, pin + 1, pout[0]) == 0);
  require(pout[0] == pin[0] || (pout[0] >= 2 && pin[pout[0] + 1] == '.'));
  CFSGetNameFromPath(path.c_str(), pleaf);
  require(std::string(reinterpret_cast<char*>(pleaf + 1), pleaf[0]) ==
          l.substr(0, l.size() > 255 ? 255 : l.size()));
}

void bounded(const std::string& path, const std::string& name, int size) {
  const size_t room = size > 0 ? size_t(size) : 0;
  Out leaf(room), folder(room), rest(room), parent(room), parentName(room), joined(room),
      noExt(room);
  int r = CFSGetNameFromPath(path.c_str(), leaf.data(), size);
  if (size > 0) {
    require(r == 0 || (r == -1 && leaf.str().empty()));
    std::string full = path;
    GetFileNameAndPath(full.data(), folder.data(), rest.data(), size);
    require(folder.str().size() + rest.str().size() <= path.size());
    GetParentPath(path.c_str(), parent.data(), parentName.data(), size);
    parent.str();
    parentName.str();
    BuildPath(path.c_str(), name.c_str(), joined.data(), size);
    joined.str();
    std::string copy = path;
    GetCNameWithoutExt(copy.data(), noExt.data(), size);
    require(isPrefix(noExt.str(), path));
  } else {
    require(r == -1);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int room = data[0] - 8; // from -8 to 247: refusals, tiny and ordinary rooms
  std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t nul = rest.find('\0');
  std::string path = rest.substr(0, nul);
  std::string name = nul == std::string::npos ? std::string() : rest.substr(nul + 1);
  name = name.substr(0, name.find('\0'));
  unbounded(path, name);
  bounded(path, name, room);
  return 0;
}
