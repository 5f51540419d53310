#pragma once

#include "core/ProfileFile.h"

#include <QString>
#include <QStringView>

namespace kopix {

// Integer setting text -> value. If at least 3 chars, starting "0" then "x"/"X", those two become "$".
// Then: optional leading blanks, optional +/-, decimal digits within signed 32-bit range, or hex
// introduced by "$", "x", "X", "0x" or "0X" (digits 0-9 A-F either case) fitting in 32 bits, taken as
// a 32-bit pattern (0x80000000 and up are negative), a "-" negates. Nothing may follow. Anything else
// -> defaultValue.
qint32 parseProfileInt(QStringView text, qint32 defaultValue);

// Reads the string with an empty default, then parseProfileInt.
qint32 readProfileInt(const ProfileFile& file, QStringView section, QStringView key, qint32 defaultValue);

// Signed decimal, no plus sign: how integers are stored.
QString profileIntText(qint32 value);

} // namespace kopix
