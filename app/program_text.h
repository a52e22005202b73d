#pragma once
// Texts the program derives from its executable's name and from failures.

#include <exception>

#include "core/text.h"

namespace ostrivel {

// The failure box's text: the failure's message, or the innermost nested
// failure's message when that one is not empty; a "." is appended unless the
// text is empty or already ends in a character up to "." in code order.
Text FailureBoxText(std::exception_ptr failure);

// The "." rule alone.
Text WithFullStop(Text text);

// The executable's file name up to its first ".", every character after the
// first in lower case: "C:\Tools\OSTRIVEL.EXE" gives "Ostrivel".
Text ProgramTitle(TextView modulePath);

// The folder of a path up to and including its last "\" or ":".
Text FolderOfPath(TextView path);

}  // namespace ostrivel
