// Module header WinFSRef. Compiles as C++11.
#ifndef KIV_WINFSREF_H
#define KIV_WINFSREF_H

#include "detail/Files.h"
#include "detail/MacTypes.h"
#include "detail/Paths.h"

#endif
