// A program using the installed library: builds a Pascal string and writes two log entries.
#include <Kiv.h>

int main() {
  unsigned char name[256];
  C2PStrCopy("settings", name);
  PPcat(name, (const unsigned char*)"\4.xml");
  KivDebugAlways(name);                  // the entry "str:settings.xml"
  KivDebugAlways("%d settings read", 3); // the entry "3 settings read"
  return EndsBy(name, (unsigned char*)"\4.xml") ? 0 : 1;
}
