#pragma once
// Resource identifiers of Ostrivel.exe (shared by the .rc file and the code).

#define OSTRIVEL_VERSION_NUMBERS 1, 0, 0, 0
#define OSTRIVEL_VERSION_TEXT "1.0.0.0"
