#pragma once

#include <QString>

namespace kopix {

// The reason for a system error number as the program's messages give it: in Japanese, like the rest of
// each message, without a closing full stop. An error without a text of its own gets the system's text
// (in the language the system speaks) followed by its number.
QString systemErrorText(int errorNumber);

} // namespace kopix
