#pragma once

#include "core/TextCodec.h"

#include <QString>

namespace kopix::bench {

// A Japanese document of `lines` lines written once into a temporary folder in the given encoding;
// the same lines every time, so runs compare.
QString generatedDocument(int lines, TextEncoding encoding);
// Resident memory of this process, in bytes.
qint64 residentBytes();
// Runs the benchmarks given on the command line inside a Kopix application on the offscreen platform.
int runOffscreen(int argc, char** argv);

} // namespace kopix::bench
