// The checks that open the KivXML members: a document open for the readers, a writer for the
// writers. A failed check hands the member's misuse line to the quiet diagnostics entry.
#pragma once

class KivXML;

namespace kiv::xml {

// True when `doc` has a document open for reading; else the line
// "KivXML::<member>() : xmldoc is NULL !".
bool hasDocument(const KivXML& doc, const char* member);

// True when `doc` is writing a document; else the line "KivXML::<member>() : no writer !".
bool hasWriter(const KivXML& doc, const char* member);

} // namespace kiv::xml
