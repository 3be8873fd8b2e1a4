// KivXML writing: creating a document.
//
// A document is never written in place. CreateDoc opens a staged file: the document goes into a
// private temporary file in the destination's folder, handed to the writer as a stream, never
// by name. When the writer is released (CloseDoc, the destructor, or the next CreateDoc), its
// output is closed and the complete file takes the destination's place with the old file's
// owner, permissions and extended attributes. Until then the previous file stays exactly as it
// was. When a write failed, or CreateDoc itself failed after creating the writer, the temporary
// file is removed instead and the previous file is kept; a save that fails at its end is
// reported in an always-shown diagnostics entry.
#include "KivXML.h"

#include <libxml/xmlIO.h>
#include <libxml/xmlwriter.h>

#include <cerrno>
#include <cstdint>
#include <memory>
#include <new>
#include <system_error>

#include "KivDebug.h"
#include "platform/files/StagedFile.h"
#include "platform/memory/NoThrow.h"
#include "xml/KivXMLWriteState.h"
#include "xml/KivXMLWriteSupport.h"
#include "xml/XmlLimits.h"

namespace {

// The output of one document. The writer owns it through its output buffer and closes it
// when the writer is released; closing puts the file in place.
struct Output {
  kiv::platform::StagedFile file;
  bool abandoned = false; // CreateDoc failed: the document is dropped
};

int writeOutput(void* context, const char* buffer, int len) {
  Output* out = static_cast<Output*>(context);
  if (out->abandoned || len < 0) return -1;
  return out->file.write(buffer, static_cast<size_t>(len)) ? len : -1;
}

// Called by libxml2's C code, which no exception may cross: running out of memory while putting
// the file in place drops the new document.
int closeOutput(void* context) {
  std::unique_ptr<Output> out(static_cast<Output*>(context));
  if (out->abandoned) {
    out->file.abandon();
    return -1;
  }
  return kiv::platform::noThrow(-1, [&] {
    std::error_code ec;
    if (out->file.commit(ec)) return 0;
    if (out->file.keptCopy().empty()) {
      KivDebugAlways("KivXML::CloseDoc() : \"%s\" not saved (%s: %s); the previous file is kept",
                     out->file.path().c_str(), out->file.failedStep(), ec.message().c_str());
    } else {
      KivDebugAlways("KivXML::CloseDoc() : \"%s\" not saved (%s: %s); the new document is in "
                     "\"%s\"",
                     out->file.path().c_str(), out->file.failedStep(), ec.message().c_str(),
                     out->file.keptCopy().c_str());
    }
    return -1;
  });
}

// Opens the staged file of a new document for `path` and returns its output, or null when no
// file can be written there.
std::unique_ptr<Output> openOutput(const char* path, bool compressed) {
  std::unique_ptr<Output> out(new (std::nothrow) Output);
  std::error_code ec;
  if (out == nullptr ||
      !kiv::platform::noThrow(false, [&] { return out->file.open(path, compressed, ec); }))
    return nullptr;
  // The reader inflates a compressed document only up to a multiple of its stored size; a
  // document that would inflate beyond that is not put in place, since it could not be read.
  if (compressed) {
    out->file.setContentCheck([](std::uint64_t written, std::uint64_t stored) {
      return kiv::xml::inflatesWithinLimits(written, stored) ? 0 : EFBIG;
    });
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
  kiv::xml::completeDocument(writer);
  if (path == nullptr || *path == '\0') return kKivXMLCannotCreate;
  if (writeState == nullptr) writeState = new (std::nothrow) WriteState;
  if (writeState == nullptr) return kKivXMLCannotCreate;
  std::unique_ptr<Output> opened = openOutput(path, compressed);
  if (opened == nullptr) return kKivXMLCannotCreate;
  // Once the output buffer exists, it owns the output: closing the buffer closes the output.
  // Without it, the output is dropped with its staged file.
  xmlOutputBufferPtr buffer =
      xmlOutputBufferCreateIO(writeOutput, closeOutput, opened.get(), nullptr);
  if (buffer == nullptr) return kKivXMLCannotCreate;
  Output* out = opened.release();
  writer = xmlNewTextWriter(buffer);
  if (writer == nullptr) {
    out->abandoned = true;
    xmlOutputBufferClose(buffer);
    return kKivXMLCannotCreate;
  }

  xmlTextWriterSetIndent(writer, 1);
  xmlTextWriterSetIndentString(writer, BAD_CAST "\t");
  writeState->reset();
  if (xmlTextWriterStartDocument(writer, nullptr, "UTF-8", nullptr) < 0) {
    out->abandoned = true; // the writer stays until CloseDoc, which keeps the previous file
    return kKivXMLWriteFailed;
  }
  // A declaration that would not read back, like a bad root name, fails the document.
  bool doctype = dtdName[0] != '\0';
  if ((doctype && !kiv::xml::isDoctype(dtdName, dtdPubID, dtdSysID)) ||
      !writeState->mayStartRoot(rootName)) {
    out->abandoned = true;
    return kKivXMLWriteFailed;
  }
  if (doctype) {
    xmlTextWriterStartDTD(writer, BAD_CAST dtdName, BAD_CAST dtdPubID, BAD_CAST dtdSysID);
    xmlTextWriterEndDTD(writer);
  }
  if (xmlTextWriterStartElement(writer, BAD_CAST rootName) < 0) {
    out->abandoned = true;
    return kKivXMLWriteFailed;
  }
  writeState->started(rootName);
  return 0;
}
