// Compiled message catalogs: the binary .mo files that msgfmt writes from .po sources, read
// directly so that any catalog can be consulted whatever the process's locale, and whether or
// not a locale of that language is installed.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

namespace kiv::platform {

class MessageCatalog {
public:
  // The catalog in the file at `path`, or null when there is none: a missing file, one that is
  // not a regular file (a FIFO is never opened for reading), larger than 64 MiB, or not a valid
  // catalog (unknown magic number or revision, a table or text reaching past the end). A catalog
  // is read once and kept while its file stays the same (device, inode, size and times).
  static std::shared_ptr<const MessageCatalog> load(const std::string& path);

  // The translation of `key` as UTF-8, or null when the catalog holds none. Entries with a
  // plural form are found by their singular and give their first form; texts in another
  // character set (the catalog's header names it) are converted to UTF-8, and an entry that
  // cannot be converted counts as absent.
  const std::string* find(const std::string& key) const;

  // Reads a catalog from the file's bytes; null when they are not a valid catalog.
  static std::shared_ptr<const MessageCatalog> parse(const std::string& bytes);

private:
  std::unordered_map<std::string, std::string> entries_;
};

} // namespace kiv::platform
