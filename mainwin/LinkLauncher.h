#pragma once

#include "core/AppSettings.h"

#include <QObject>
#include <QString>

#include <functional>

class QTimer;

namespace kopix {

class DocumentListView;
class LineStore;
class Platform;

// Link launching: a double-click on a row beginning with "http" opens it in the browser. The browser is
// called from Timerhttp 20 ms later, outside the list's own mouse handling, and the strips show green
// from the double-click until a second after the call.
class LinkLauncher : public QObject {
    Q_OBJECT
public:
    // What the launcher asks of the window: the lines, the strips' colour, giving the strips back to the
    // copy state once a launch is over, and telling the user that the browser could not be reached.
    struct Window {
        std::function<const LineStore&()> lines;
        std::function<void(TColor)> paintStrips;
        std::function<void()> launchEnded;
        std::function<void(const QString& target, const QString& reason)> reportNotOpened;
    };

    LinkLauncher(DocumentListView& list, Platform& platform, Window window, QObject* parent = nullptr);

    // From now on double-clicked links open.
    void SetUpLinkLaunch();
    // While a launch runs, the strips keep the launch colour.
    bool isLaunching() const;

    void LBoxDblClick();
    void TimerhttpTimer();

private:
    DocumentListView& m_list;
    Platform& m_platform;
    Window m_window;
    QTimer* Timerhttp;      // paces a launch; found by name by tests
    QString WChr;           // the text the launch opens (empty when the row was too long)
    bool Starthttp = false; // the launch's browser call has been made
};

} // namespace kopix
