#include "mainwin/KopixApplication.h"

#include "platform/Utf8Locale.h"

#include <QLibraryInfo>
#include <QLocale>

namespace kopix {

KopixApplication::KopixApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The window names in UTF-8 also where the locale's character set is not (a machine without LANG).
    useUtf8CharacterSet();
    // Sizes and dates in Qt's dialogs follow the interface's language too.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    // Qt's own Japanese texts (Debian: qt6-translations-l10n); without them those texts stay English.
    if (m_qtTranslator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&m_qtTranslator);
}

bool KopixApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const KopixError& error) {
        if (m_reporter)
            m_reporter(error.text());
    } catch (const std::exception& error) {
        if (m_reporter)
            m_reporter(QString::fromLocal8Bit(error.what()));
    }
    return false;
}

bool KopixApplication::event(QEvent* event) {
    if (event->type() == QEvent::Quit && m_quitRequest && m_quitRequest())
        return true;
    return QApplication::event(event);
}

} // namespace kopix
