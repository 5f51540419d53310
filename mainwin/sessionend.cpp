// The end of the session: logging off, the session manager's request to save, a termination signal.
// Nobody is there to answer a question, so nothing may wait for one, and nothing typed may be lost.
#include "mainwin/UfC.h"

#include "platform/MessageDialog.h"

#include <QCoreApplication>
#include <QTimer>

namespace kopix {

void TfC::CloseForSessionEnd() {
    if (m_sessionEnding)
        return;
    m_sessionEnding = true;
    // A box waiting for an answer returns as cancelled, and whoever opened it gives up; the close comes
    // after, once those event loops have ended.
    CancelModalWindows();
    QTimer::singleShot(0, this, [this] {
        close();
        // Whatever else is open, the program ends.
        QCoreApplication::quit();
    });
}

void TfC::CancelModalWindows() {
    cancelModalWindows();
}

void TfC::CommitSessionData() {
    m_correction->CommitCorrections();
    SaveSettings();
}

void TfC::SaveForLostDisplay() {
    // Nothing on the screen can be touched any more; writing files needs none of it.
    m_sessionEnding = true;
    m_correction->SaveCorrectionsUnasked();
    SaveSettings();
}

} // namespace kopix
