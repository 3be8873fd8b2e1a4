// Path arithmetic on C strings and Pascal strings; no file-system access.
//
// Every function computes its results into std::string first and copies them out at the end,
// so a destination may be the same buffer as the source.
#include "detail/Paths.h"

#include "detail/PascalStrings.h"

#include <array>
#include <cstring>
#include <optional>
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

// Computes a function's results, strings whose making may fail to allocate, and writes each into
// the destination in the same place of `destinations`; a null destination takes nothing.
// Without a size the caller's buffers are trusted. With one, results that do not all fit leave
// every destination empty (within that size) and give -1, as running out of memory does.
template <size_t N, class Compute>
int deliver(Compute compute, char* const (&destinations)[N],
            std::optional<int> size = std::nullopt) noexcept {
  try {
    const std::array<std::string, N> results = compute();
    bool fit = true;
    for (size_t i = 0; size && i < N; ++i)
      fit = fit && (!destinations[i] || fits(results[i], *size));
    if (fit) {
      for (size_t i = 0; i < N; ++i)
        put(results[i], destinations[i]);
      return 0;
    }
  } catch (...) {
  }
  for (char* destination : destinations)
    clear(destination, size.value_or(1));
  return -1;
}

using One = std::array<std::string, 1>;
using Two = std::array<std::string, 2>;

Two keepingSeparator(const char* full) {
  Two parts;
  splitKeepingSeparator(text(full), parts[0], parts[1]);
  return parts;
}

Two parentAndName(const char* path) {
  Two parts;
  splitParent(text(path), parts[0], parts[1]);
  return parts;
}

} // namespace

int CFSGetNameFromPath(const char* path, char* name) {
  return deliver([&] { return One{leafName(text(path))}; }, {name});
}

int CFSGetNameFromPath(const char* path, unsigned char* name) {
  if (!name) return 0;
  char leaf[256];
  const int result = deliver(
      [&] {
        std::string whole = leafName(text(path));
        return One{whole.substr(0, 255)};
      },
      {leaf});
  C2PStrCopy(leaf, name);
  return result;
}

int CFSGetNameFromPath(const char* path, char* name, int size) {
  if (!name) {
    clear(name, size);
    return -1;
  }
  return deliver([&] { return One{leafName(text(path))}; }, {name}, size);
}

void GetFileNameAndPath(char* fullPath, char* folder, char* name) {
  deliver([&] { return keepingSeparator(fullPath); }, {folder, name});
}

void GetFileNameAndPath(char* fullPath, char* folder, char* name, int size) {
  deliver([&] { return keepingSeparator(fullPath); }, {folder, name}, size);
}

void GetParentPath(const char* path, char* parent, char* name) {
  deliver([&] { return parentAndName(path); }, {parent, name});
}

void GetParentPath(const char* path, char* parent, char* name, int size) {
  deliver([&] { return parentAndName(path); }, {parent, name}, size);
}

void BuildPath(const char* folder, const char* name, char* out) {
  deliver([&] { return One{joined(folder, name)}; }, {out});
}

void BuildPath(const char* folder, const char* name, char* out, int size) {
  deliver([&] { return One{joined(folder, name)}; }, {out}, size);
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
  deliver([&] { return One{withoutCExtension(text(name))}; }, {out});
}

void GetCNameWithoutExt(char* name, char* out, int size) {
  deliver([&] { return One{withoutCExtension(text(name))}; }, {out}, size);
}
