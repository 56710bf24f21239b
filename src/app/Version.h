/* The program's version and credit, for the C++ code and the resource
   compiler alike (so plain preprocessor definitions). */
#pragma once

#define MORVELLE_VERSION_MAJOR 1
#define MORVELLE_VERSION_MINOR 0
#define MORVELLE_VERSION_REVISION 3
#define MORVELLE_VERSION_DOTTED "1.0.3"
#define MORVELLE_COMMENTS "by the Morvelle developers"
