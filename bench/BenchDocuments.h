#pragma once

#include "core/TextCodec.h"
#include "mainwin/UfC.h"
#include "platform/LinuxPlatform.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace kopix::bench {

// A Japanese document of `lines` lines written once into a temporary folder in the given encoding;
// the same lines every time, so runs compare.
QString generatedDocument(int lines, TextEncoding encoding);
// Resident memory of this process, in bytes.
qint64 residentBytes();
// The most resident memory this process has had since the last resetPeakResident(), in bytes.
qint64 peakResidentBytes();
void resetPeakResident();
// A real main window (offscreen), as the user gets it, in a program folder of its own.
struct MainWindow {
    QTemporaryDir programDir;
    LinuxPlatform platform;
    std::unique_ptr<TfC> fC;
    MainWindow();
    ~MainWindow();
    // What the event loop does after a load, done at once: lay the rows out, then paint the first page.
    void openAndPaint(const QString& path);
};

// Runs the benchmarks given on the command line inside a Kopix application on the offscreen platform.
int runOffscreen(int argc, char** argv);

} // namespace kopix::bench
