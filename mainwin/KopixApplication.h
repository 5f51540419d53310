#pragma once

#include <QApplication>
#include <QTranslator>

#include <functional>
#include <stdexcept>

namespace kopix {

// An error a handler raises and does not catch itself; the application shows it in the error box and
// goes on with the next event.
class KopixError : public std::runtime_error {
public:
    explicit KopixError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    QString text() const { return m_text; }

private:
    QString m_text;
};

class KopixApplication : public QApplication {
    Q_OBJECT
public:
    // Also makes what Qt draws itself (the file dialog, standard buttons, the editor's menu) speak
    // Japanese like the rest of Kopix, whatever the desktop's language.
    KopixApplication(int& argc, char** argv);

    // Who shows the error box (the main window, once it exists).
    void setErrorReporter(std::function<void(const QString&)> reporter) { m_reporter = std::move(reporter); }

    bool notify(QObject* receiver, QEvent* event) override;

    // Who answers a request to quit the application as a whole (the session manager ends the session):
    // true when it took the request, which Qt then does not carry out itself.
    void setQuitRequestHandler(std::function<bool()> handler) { m_quitRequest = std::move(handler); }

protected:
    bool event(QEvent* event) override;

private:
    std::function<void(const QString&)> m_reporter;
    std::function<bool()> m_quitRequest;
    QTranslator m_qtTranslator;
};

} // namespace kopix
