// Where the XML readers send their diagnostics lines.
#include "xml/XmlReadSupport.h"

#include "detail/Console.h"

namespace kiv::xml {

void logQuiet(const char*) {}

void logAlways(const char* line) { __SendToConsole(line); }

} // namespace kiv::xml
