// Kopix: one text file, one line per row, copied to the clipboard by a slide of the pointer.
#include "mainwin/DocumentListView.h"
#include "mainwin/KopixApplication.h"
#include "mainwin/UfC.h"
#include "platform/LinuxPlatform.h"
#include "settings/USettei.h"

#include <QEvent>
#include <QListView>
#include <QTimer>

#include <memory>

namespace {

// For the start-up benchmark: ends the program once the list has painted for the first time.
class QuitAfterFirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char** argv) {
    kopix::preferX11OnWayland();
    kopix::KopixApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Kopix"));
    app.setQuitOnLastWindowClosed(true);

    kopix::LinuxPlatform platform;
    // The executable's own full path stands first, whatever the shell passed as argv[0].
    QStringList arguments = QCoreApplication::arguments();
    arguments[0] = QCoreApplication::applicationFilePath();
    auto fC = std::make_unique<kopix::TfC>(platform, arguments);
    // The settings dialog comes right after the window, hidden until the settings command shows it; the
    // window owns it.
    fC->setSettingsDialog(new kopix::TSettei(*fC));
    app.setErrorReporter([&platform, window = fC.get()](const QString& text) {
        platform.showErrorBox(window, window->applicationTitle(), kopix::errorBoxText(text));
    });
    QuitAfterFirstPaint quitAfterFirstPaint;
    if (qEnvironmentVariableIsSet("KOPIX_QUIT_AFTER_FIRST_PAINT"))
        fC->LBox->viewport()->installEventFilter(&quitAfterFirstPaint);
    fC->show();
    const int code = app.exec();
    app.setErrorReporter({});
    fC.reset(); // writes the settings file
    return code == 0 ? 0 : code;
}
