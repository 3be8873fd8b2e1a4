// Path arithmetic on C strings and Pascal strings; no file-system access.
//
// Every function computes its results into std::string first and copies them out at the end,
// so a destination may be the same buffer as the source.
#include "detail/Paths.h"

#include <cstring>
#include <initializer_list>
#include <string>

namespace {

std::string text(const char* s) { return s ? std::string(s) : std::string(); }

// Position of the last '/' at index 1 or later, or npos; the first character is never taken.
size_t lastSeparatorAfterFirst(const std::string& path) {
  size_t k = path.find_last_of('/');
  return (k == std::string::npos || k == 0) ? std::string::npos : k;
}

std::string leafName(const std::string& path) {
  size_t k = lastSeparatorAfterFirst(path);
  return k == std::string::npos ? path : path.substr(k + 1);
}

// Splits for GetFileNameAndPath: folder keeps the separator.
void splitKeepingSeparator(const std::string& full, std::string& folder, std::string& name) {
  folder.clear();
  name.clear();
  if (full.empty()) return;
  size_t k = full.find_last_of('/');
  if (k == std::string::npos) {
    name = full;
    return;
  }
  folder = full.substr(0, k + 1);
  name = full.substr(k + 1);
}

void splitParent(const std::string& path, std::string& parent, std::string& name) {
  parent.clear();
  name.clear();
  if (path.empty()) return;
  size_t k = lastSeparatorAfterFirst(path);
  if (k != std::string::npos) {
    parent = path.substr(0, k);
    name = path.substr(k + 1);
  } else {
    name = path.substr(1);
  }
}

std::string joined(const char* folder, const char* name) {
  std::string out = text(folder);
  if (!out.empty() && out.back() != '/') out += '/';
  const char* rest = name ? name : "";
  if (*rest == '/') ++rest;
  return out + rest;
}

std::string withoutCExtension(const std::string& name) {
  size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return name;
  return name.substr(0, dot);
}

void put(const std::string& s, char* out) {
  if (out) std::memcpy(out, s.c_str(), s.size() + 1);
}

bool fits(const std::string& s, int size) { return size > 0 && s.size() < size_t(size); }

void clear(char* out, int size) {
  if (out && size > 0) out[0] = 0;
}

// Runs one path computation, whose strings may fail to allocate: the destinations are then left
// empty (within `size` bytes) and the result is -1.
template <class Body>
int guarded(Body body, std::initializer_list<char*> destinations, int size) noexcept {
  try {
    return body();
  } catch (...) {
    for (char* destination : destinations)
      clear(destination, size);
    return -1;
  }
}

} // namespace

int CFSGetNameFromPath(const char* path, char* name) {
  return guarded(
      [&] {
        put(leafName(text(path)), name);
        return 0;
      },
      {name}, 1);
}

int CFSGetNameFromPath(const char* path, unsigned char* name) {
  if (!name) return 0;
  return guarded(
      [&] {
        std::string leaf = leafName(text(path));
        size_t n = leaf.size() > 255 ? 255 : leaf.size();
        name[0] = static_cast<unsigned char>(n);
        std::memcpy(name + 1, leaf.data(), n);
        return 0;
      },
      {reinterpret_cast<char*>(name)}, 1);
}

int CFSGetNameFromPath(const char* path, char* name, int size) {
  return guarded(
      [&] {
        std::string leaf = leafName(text(path));
        if (!name || !fits(leaf, size)) {
          clear(name, size);
          return -1;
        }
        put(leaf, name);
        return 0;
      },
      {name}, size);
}

void GetFileNameAndPath(char* fullPath, char* folder, char* name) {
  guarded(
      [&] {
        std::string f, n;
        splitKeepingSeparator(text(fullPath), f, n);
        put(f, folder);
        put(n, name);
        return 0;
      },
      {folder, name}, 1);
}

void GetFileNameAndPath(char* fullPath, char* folder, char* name, int size) {
  guarded(
      [&] {
        std::string f, n;
        splitKeepingSeparator(text(fullPath), f, n);
        if (!fits(f, size) || !fits(n, size)) {
          clear(folder, size);
          clear(name, size);
          return -1;
        }
        put(f, folder);
        put(n, name);
        return 0;
      },
      {folder, name}, size);
}

void GetParentPath(const char* path, char* parent, char* name) {
  guarded(
      [&] {
        std::string p, n;
        splitParent(text(path), p, n);
        put(p, parent);
        put(n, name);
        return 0;
      },
      {parent, name}, 1);
}

void GetParentPath(const char* path, char* parent, char* name, int size) {
  guarded(
      [&] {
        std::string p, n;
        splitParent(text(path), p, n);
        if (!fits(p, size) || (name && !fits(n, size))) {
          clear(parent, size);
          clear(name, size);
          return -1;
        }
        put(p, parent);
        put(n, name);
        return 0;
      },
      {parent, name}, size);
}

void BuildPath(const char* folder, const char* name, char* out) {
  guarded(
      [&] {
        put(joined(folder, name), out);
        return 0;
      },
      {out}, 1);
}

void BuildPath(const char* folder, const char* name, char* out, int size) {
  guarded(
      [&] {
        std::string s = joined(folder, name);
        if (!fits(s, size)) {
          clear(out, size);
          return -1;
        }
        put(s, out);
        return 0;
      },
      {out}, size);
}

void GetPNameWithoutExt(unsigned char* name, unsigned char* out) {
  if (!out) return;
  if (!name || name[0] == 0) {
    out[0] = 0;
    return;
  }
  unsigned n = name[0];
  unsigned keep = n;
  for (unsigned i = n; i >= 1; --i) {
    if (name[i] == '.') {
      if (i >= 3) keep = i - 1;
      break;
    }
  }
  std::memmove(out + 1, name + 1, keep);
  out[0] = static_cast<unsigned char>(keep);
}

void GetCNameWithoutExt(char* name, char* out) {
  guarded(
      [&] {
        put(withoutCExtension(text(name)), out);
        return 0;
      },
      {out}, 1);
}

void GetCNameWithoutExt(char* name, char* out, int size) {
  guarded(
      [&] {
        std::string s = withoutCExtension(text(name));
        if (!fits(s, size)) {
          clear(out, size);
          return -1;
        }
        put(s, out);
        return 0;
      },
      {out}, size);
}
