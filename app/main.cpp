// Kopix: one text file, one line per row, copied to the clipboard by a slide of the pointer.
#include "mainwin/KopixApplication.h"
#include "mainwin/UfC.h"
#include "platform/LinuxPlatform.h"

#include <memory>

int main(int argc, char** argv)
{
    kopix::preferX11OnWayland();
    kopix::KopixApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Kopix"));
    app.setQuitOnLastWindowClosed(true);

    kopix::LinuxPlatform platform;
    // The executable's own full path stands first, whatever the shell passed as argv[0].
    QStringList arguments = QCoreApplication::arguments();
    arguments[0] = QCoreApplication::applicationFilePath();
    auto fC = std::make_unique<kopix::TfC>(platform, arguments);
    app.setErrorReporter([&platform, window = fC.get()](const QString& text) {
        platform.showErrorBox(window, window->applicationTitle(), kopix::errorBoxText(text));
    });
    fC->show();
    const int code = app.exec();
    app.setErrorReporter({});
    fC.reset(); // writes the settings file
    return code == 0 ? 0 : code;
}
