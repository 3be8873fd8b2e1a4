// Module header KivXML. Compiles as C++11.
#ifndef KIV_KIVXML_H
#define KIV_KIVXML_H

#include "detail/MacTypes.h"

#endif
