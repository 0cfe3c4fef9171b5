#pragma once
// Text for a terminal: file names and the words libraries put around them are data, which must
// neither break a result line in two nor reach the terminal as a command.

#include <string>

// `text` with every byte that a terminal would act on written out: a line feed as \n, a tab as
// \t, a carriage return as \r, a backslash as \\, any other control character (C0, DEL, and the
// C1 controls U+0080 to U+009F, which some terminals obey) and every byte that is not part of
// valid UTF-8 as \xNN, one for each byte. Valid UTF-8 otherwise passes as it is, so that names
// in any script read as they are.
std::string consoleText(const std::string& text);
