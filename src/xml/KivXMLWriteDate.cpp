// KivXML writing: date nodes.
#include "KivXML.h"

#include "KIVStr.h"
#include "xml/KivXMLWriteSupport.h"

OSErr KivXML::AddDateStringNodeN(const char* name, long date, bool fullStyle, bool withTime) {
  unsigned char text[256];
  DateToStringN(date, fullStyle ? 1 : 0, text);
  if (withTime) {
    unsigned char time[256];
    unsigned char dash[] = {3, ' ', '-', ' '};
    TimeToStringN(date, time, false);
    PPcat(text, dash);
    PPcat(text, time);
  }
  // Date texts are Mac Roman; those of some languages hold letters beyond ASCII, which the
  // document must receive as UTF-8 to stay well-formed. ASCII texts are written unchanged.
  for (int i = 1; i <= text[0]; ++i) {
    if (text[i] >= 0x80) {
      if (writer == nullptr) return AddPNode(name, text); // logs the missing writer
      char roman[256];
      char utf8[3 * 255 + 1];
      P2CStrCopy(text, roman);
      if (!kiv::xml::romanToUtf8(roman, utf8, sizeof utf8)) return kKivXMLWriteFailed;
      return AddNode(name, utf8);
    }
  }
  return AddPNode(name, text);
}
