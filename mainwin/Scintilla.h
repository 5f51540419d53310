#pragma once

// QScintilla's headers still use Qt's lower-case keywords, which this project switches off.
#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots
