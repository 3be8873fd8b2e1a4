// KivXML writing: creating a document.
//
// A document is never written in place. CreateDoc writes into a fresh temporary file in the
// destination's folder; when the writer is released (CloseDoc, the destructor, or the next
// CreateDoc), its output is closed and the complete file is renamed over the destination.
// Until then the previous file stays exactly as it was. When a write failed, or CreateDoc
// itself failed after creating the writer, the temporary file is removed instead and the
// previous file is kept.
#include "KivXML.h"

#include <fcntl.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlwriter.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "xml/KivXMLWriteState.h"
#include "xml/KivXMLWriteSupport.h"

namespace {

// The destination's real path: a symbolic link is followed so that its target is replaced,
// not the link itself, and a relative path is made absolute so that a change of the working
// folder before CloseDoc does not move the file.
std::string resolveDestination(const char* path) {
  struct stat st;
  if (lstat(path, &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = realpath(path, nullptr)) {
      std::string resolved(real);
      free(real);
      return resolved;
    }
  }
  if (path[0] != '/') {
    if (char* cwd = getcwd(nullptr, 0)) {
      std::string absolute = std::string(cwd) + "/" + path;
      free(cwd);
      return absolute;
    }
  }
  return path;
}

// Creates a new, empty file next to `destination` and returns its descriptor (-1 on failure)
// and its path. The file is created with mode 0666 less the umask, like any new file.
int createTemporary(const std::string& destination, std::string& temporary) {
  static std::atomic<unsigned> counter{0};
  std::string::size_type slash = destination.rfind('/');
  std::string folder =
      slash == std::string::npos ? std::string() : destination.substr(0, slash + 1);
  std::string leaf = slash == std::string::npos ? destination : destination.substr(slash + 1);
  if (leaf.size() > 200) leaf.resize(200); // keeps the temporary name within NAME_MAX

  for (int attempt = 0; attempt < 100; ++attempt) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    unsigned long tag = static_cast<unsigned long>(now.tv_nsec) ^
                        (static_cast<unsigned long>(counter.fetch_add(1)) << 20) ^
                        (static_cast<unsigned long>(getpid()) << 36);
    char suffix[48];
    snprintf(suffix, sizeof suffix, ".%lx.tmp", tag);
    temporary = folder + "." + leaf + suffix;
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Gives the new file the owner and permissions of the file it replaces. Ownership can only be
// kept where the process may set it; the permissions always are.
void copyPermissions(int fd, const struct stat& old) {
  if (fchown(fd, old.st_uid, old.st_gid) != 0) {
    // Not permitted for a file of another owner: the new file stays the caller's.
  }
  fchmod(fd, old.st_mode & 07777);
}

// The output of one document. The writer owns it through its output buffer and closes it
// when the writer is released; closing puts the file in place.
struct Output {
  std::string destination;           // the file that the document replaces or creates
  std::string temporary;             // where the document is written meanwhile
  int fd = -1;                       // the temporary file, for plain output
  xmlOutputBufferPtr gzip = nullptr; // the temporary file's gzip stream, for compressed output
  bool failed = false;               // a write failed, or the document was abandoned
};

int writeOutput(void* context, const char* buffer, int len) {
  Output* out = static_cast<Output*>(context);
  if (out->failed) return -1;
  if (out->gzip != nullptr) {
    if (xmlOutputBufferWrite(out->gzip, len, buffer) < 0) out->failed = true;
  } else {
    for (int done = 0; done < len;) {
      ssize_t n = write(out->fd, buffer + done, static_cast<size_t>(len - done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        out->failed = true;
        break;
      }
      done += static_cast<int>(n);
    }
  }
  return out->failed ? -1 : len;
}

// Waits until what was written to the file or folder at `path` is on the disk.
bool syncToDisk(const std::string& path, int flags) {
  int fd = open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0;
  close(fd);
  return ok;
}

std::string folderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

int closeOutput(void* context) {
  Output* out = static_cast<Output*>(context);
  if (out->gzip != nullptr && xmlOutputBufferClose(out->gzip) < 0) out->failed = true;
  if (out->fd >= 0 && close(out->fd) != 0) out->failed = true;
  // The new content reaches the disk before it replaces the old file, so that even a power
  // loss leaves one whole version of the document.
  if (!out->failed && !syncToDisk(out->temporary, O_RDONLY)) out->failed = true;
  bool failed = out->failed;
  if (failed || rename(out->temporary.c_str(), out->destination.c_str()) != 0) {
    unlink(out->temporary.c_str());
    failed = true;
  } else {
    syncToDisk(folderOf(out->destination), O_RDONLY | O_DIRECTORY); // records the rename
  }
  delete out;
  return failed ? -1 : 0;
}

// Opens the temporary file of a new document for `path` and returns its output, or null when
// no file can be created there.
Output* openOutput(const char* path, bool compressed) {
  Output* out = new (std::nothrow) Output;
  if (out == nullptr) return nullptr;
  try {
    out->destination = resolveDestination(path);
    const std::string& dest = out->destination;
    struct stat old;
    bool replacing = stat(dest.c_str(), &old) == 0;
    // A folder or a device cannot be replaced by a document, nor a file this process may not
    // write: renaming over it would get round its permissions.
    if (dest.back() == '/' ||
        (replacing && (!S_ISREG(old.st_mode) || access(dest.c_str(), W_OK) != 0))) {
      delete out;
      return nullptr;
    }
    // A name the file system cannot hold would fail only at the final rename.
    std::string::size_type slash = dest.rfind('/');
    std::string folder = slash == std::string::npos ? "." : dest.substr(0, slash + 1);
    long nameMax = pathconf(folder.c_str(), _PC_NAME_MAX);
    if (nameMax > 0 && dest.size() - (slash + 1) > static_cast<size_t>(nameMax)) {
      delete out;
      return nullptr;
    }
    out->fd = createTemporary(dest, out->temporary);
    if (out->fd < 0) {
      delete out;
      return nullptr;
    }
    if (replacing) copyPermissions(out->fd, old);
    if (compressed) {
      // The gzip stream opens the temporary file by name; the descriptor is not needed.
      close(out->fd);
      out->fd = -1;
      out->gzip = xmlOutputBufferCreateFilename(out->temporary.c_str(), nullptr, 1);
      if (out->gzip == nullptr) {
        unlink(out->temporary.c_str());
        delete out;
        return nullptr;
      }
    }
  } catch (...) {
    if (out->fd >= 0) close(out->fd);
    delete out;
    return nullptr;
  }
  return out;
}

} // namespace

OSErr KivXML::SetDTD(const char* name, const char* pubID, const char* sysID) {
  kiv::xml::copyField(dtdName, sizeof dtdName, name);
  kiv::xml::copyField(dtdPubID, sizeof dtdPubID, pubID);
  kiv::xml::copyField(dtdSysID, sizeof dtdSysID, sysID);
  return 0;
}

OSErr KivXML::CreateDoc(const char* path, const char* rootName, bool compressed) {
  // A document still being written is completed first rather than left unfinished.
  if (writer != nullptr) {
    xmlTextWriterEndDocument(writer);
    xmlFreeTextWriter(writer);
    writer = nullptr;
  }
  if (path == nullptr || *path == '\0') return -7;
  if (writeState == nullptr) writeState = new (std::nothrow) WriteState;
  if (writeState == nullptr) return -7;
  Output* out = openOutput(path, compressed);
  if (out == nullptr) return -7;
  // From here on the output buffer owns `out`: closing the buffer closes the output.
  xmlOutputBufferPtr buffer = xmlOutputBufferCreateIO(writeOutput, closeOutput, out, nullptr);
  if (buffer == nullptr) {
    out->failed = true;
    closeOutput(out);
    return -7;
  }
  writer = xmlNewTextWriter(buffer);
  if (writer == nullptr) {
    out->failed = true;
    xmlOutputBufferClose(buffer);
    return -7;
  }

  xmlTextWriterSetIndent(writer, 1);
  xmlTextWriterSetIndentString(writer, BAD_CAST "\t");
  writeState->reset();
  if (xmlTextWriterStartDocument(writer, nullptr, "UTF-8", nullptr) < 0) {
    out->failed = true; // the writer stays until CloseDoc, which keeps the previous file
    return -8;
  }
  // A declaration that would not read back, like a bad root name, fails the document.
  bool doctype = dtdName[0] != '\0';
  if ((doctype && !kiv::xml::isDoctype(dtdName, dtdPubID, dtdSysID)) ||
      !writeState->mayStartRoot(rootName)) {
    out->failed = true;
    return -8;
  }
  if (doctype) {
    xmlTextWriterStartDTD(writer, BAD_CAST dtdName, BAD_CAST dtdPubID, BAD_CAST dtdSysID);
    xmlTextWriterEndDTD(writer);
  }
  if (xmlTextWriterStartElement(writer, BAD_CAST rootName) < 0) {
    out->failed = true;
    return -8;
  }
  writeState->started(rootName);
  return 0;
}
