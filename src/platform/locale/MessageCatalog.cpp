#include "platform/locale/MessageCatalog.h"

#include "platform/files/Entries.h"

#include <iconv.h>
#include <strings.h>

#include <cstdint>
#include <cstring>
#include <mutex>

namespace kiv::platform {

namespace {

constexpr uint32_t kMagic = 0x950412de;
constexpr size_t kMaxCatalogBytes = 64 << 20;
constexpr size_t kMaxCachedCatalogs = 64;

// The file layout: a header of 32-bit words (magic, revision, entry count, offsets of the
// original and translated string tables), then tables of (length, offset) pairs, in the byte
// order of the machine that wrote the file. The hash table is not needed to read every entry.
class Reader {
public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}

  bool readHeader() {
    uint32_t magic = 0;
    if (!word(0, magic)) return false;
    if (magic != kMagic) {
      swapped_ = true;
      if (swap(magic) != kMagic) return false;
    }
    uint32_t revision = 0;
    // Major revisions 0 and 1 share the tables read here (1 adds system-dependent strings).
    return word(4, revision) && (revision >> 16) <= 1 && word(8, count_) && word(12, originals_) &&
           word(16, translations_);
  }

  uint32_t count() const { return count_; }

  // Entry i of a table, up to its first NUL (the singular of a plural entry, or its first form).
  bool original(uint32_t i, std::string& text) const { return entry(originals_, i, text); }
  bool translation(uint32_t i, std::string& text) const { return entry(translations_, i, text); }

private:
  static uint32_t swap(uint32_t v) { return __builtin_bswap32(v); }

  bool word(uint64_t at, uint32_t& value) const {
    if (at + 4 > bytes_.size()) return false;
    std::memcpy(&value, bytes_.data() + at, 4);
    if (swapped_) value = swap(value);
    return true;
  }

  bool entry(uint32_t table, uint32_t i, std::string& text) const {
    uint32_t length = 0, offset = 0;
    uint64_t at = uint64_t(table) + uint64_t(i) * 8;
    if (!word(at, length) || !word(at + 4, offset) || uint64_t(offset) + length > bytes_.size())
      return false;
    const char* start = bytes_.data() + offset;
    text.assign(start, strnlen(start, length));
    return true;
  }

  const std::string& bytes_;
  bool swapped_ = false;
  uint32_t count_ = 0, originals_ = 0, translations_ = 0;
};

// The character set that the header entry's Content-Type names; empty when it names none.
std::string headerCharset(const std::string& header) {
  size_t at = header.find("charset=");
  if (at == std::string::npos) return std::string();
  at += 8;
  size_t end = header.find_first_of(" \t\r\n;", at);
  return header.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

bool isUtf8Compatible(const std::string& charset) {
  static const char* const names[] = {"", "UTF-8", "UTF8", "ASCII", "US-ASCII", "CHARSET"};
  for (const char* name : names)
    if (strcasecmp(charset.c_str(), name) == 0) return true;
  return false;
}

// Converts text to UTF-8 with a converter opened from the catalog's character set.
bool toUtf8(iconv_t converter, std::string& text) {
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  std::string out(text.size() * 4 + 16, '\0');
  char* in = text.data();
  char* to = out.data();
  size_t inLeft = text.size(), outLeft = out.size();
  if (iconv(converter, &in, &inLeft, &to, &outLeft) == size_t(-1) ||
      iconv(converter, nullptr, nullptr, &to, &outLeft) == size_t(-1))
    return false;
  out.resize(out.size() - outLeft);
  text.swap(out);
  return true;
}

struct CachedCatalog {
  FileStamp identity;
  std::shared_ptr<const MessageCatalog> catalog; // null for a file that holds no catalog
};

std::mutex cacheMutex;
std::unordered_map<std::string, CachedCatalog> cache; // guarded by cacheMutex

} // namespace

std::shared_ptr<const MessageCatalog> MessageCatalog::parse(const std::string& bytes) {
  Reader reader(bytes);
  if (!reader.readHeader() || reader.count() > bytes.size() / 8) return nullptr;
  auto catalog = std::make_shared<MessageCatalog>();
  std::string key, text;
  for (uint32_t i = 0; i < reader.count(); ++i) {
    if (!reader.original(i, key) || !reader.translation(i, text)) return nullptr;
    catalog->entries_.emplace(key, text);
  }
  // The header is the translation of the empty key; it is no text of its own.
  auto header = catalog->entries_.find(std::string());
  std::string charset = header == catalog->entries_.end() ? "" : headerCharset(header->second);
  if (header != catalog->entries_.end()) catalog->entries_.erase(header);
  if (isUtf8Compatible(charset)) return catalog;

  iconv_t converter = iconv_open("UTF-8", charset.c_str());
  if (converter == iconv_t(-1)) return nullptr;
  for (auto it = catalog->entries_.begin(); it != catalog->entries_.end();)
    it = toUtf8(converter, it->second) ? std::next(it) : catalog->entries_.erase(it);
  iconv_close(converter);
  return catalog;
}

const std::string* MessageCatalog::find(const std::string& key) const {
  auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : &it->second;
}

std::shared_ptr<const MessageCatalog> MessageCatalog::load(const std::string& path) {
  FileStamp now;
  std::lock_guard<std::mutex> lock(cacheMutex);
  if (!regularFileStamp(path.c_str(), now)) {
    cache.erase(path);
    return nullptr;
  }
  auto cached = cache.find(path);
  if (cached != cache.end() && cached->second.identity == now) return cached->second.catalog;

  // A file swapped for a FIFO after the check cannot hold the call: it is never waited on.
  CachedCatalog entry;
  std::string bytes;
  if (!readRegularFile(path.c_str(), kMaxCatalogBytes, bytes, entry.identity)) return nullptr;
  entry.catalog = parse(bytes);
  if (cache.size() >= kMaxCachedCatalogs) cache.clear();
  cache[path] = entry;
  return entry.catalog;
}

} // namespace kiv::platform
