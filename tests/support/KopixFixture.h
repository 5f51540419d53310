#pragma once

#include "mainwin/UfC.h"
#include "support/FakePlatform.h"
#include "support/QtPrinters.h"

#include <QByteArray>
#include <QColor>
#include <QFrame>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace kopix {
class TSettei;
}

namespace kopix::test {

// The strips' colours as the user sees them.
inline const QColor aqua(0, 255, 255);
inline const QColor navy(0, 0, 128);
inline const QColor green(0, 128, 0);

// A program folder of its own for each test, with the fake desktop; the window is made by start().
class KopixFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The folder the program runs from (Kopix.ini and Sample.txt live here).
    QString programDir() const { return m_programDir.path(); }
    QString inProgramDir(const QString& name) const { return m_programDir.filePath(name); }
    // Writes a file (folders created as needed) and returns its path.
    QString writeFile(const QString& path, const QByteArray& bytes) const;
    QByteArray readFile(const QString& path) const;

    // Runs the whole start-up, as the program entry does, with an optional document argument.
    TfC& start(const QString& documentArgument = QString());
    // Closes the window as the user would and destroys it (the settings file is written).
    bool closeAndDestroy();
    QStringList rows() const;
    // Changes the window's settings as the settings dialog's OK does.
    void changeSettings(const std::function<void(Settings&)>& edit) const;
    // The colour a copy strip paints itself in.
    static QColor strip(const QFrame* f) { return f->palette().color(QPalette::Window); }
    bool stripsAre(const QColor& colour) const {
        return strip(window->Pnl1) == colour && strip(window->Pnl2) == colour;
    }
    // Replaces the correction editor's text as typing would (so it counts as modified).
    void editCorrections(const QString& text);
    // Drops files on the list as a file manager does (offering copy, move and link, with Shift
    // held so that a move is proposed) and
    // returns the action the list took (IgnoreAction when it refused them). The files are opened once the
    // drop has returned to the program that dragged them; beforeOpening, when given, runs in between.
    Qt::DropAction dropFiles(const QStringList& paths, const std::function<void()>& beforeOpening = {});

    FakePlatform platform;
    // The desktop the window talks to: the fake unless a test puts the real one here.
    Platform* desktop = &platform;
    std::unique_ptr<TfC> window;
    TSettei* settei = nullptr; // made by start(), owned by the window

private:
    QTemporaryDir m_programDir;
    QString m_previousCurrentDir;
};

} // namespace kopix::test
