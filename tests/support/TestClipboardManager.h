#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;
struct _XDisplay;

namespace kopix::test {

// A clipboard manager for tests, after the freedesktop convention: it owns CLIPBOARD_MANAGER, and when a
// program that is about to exit converts that to SAVE_TARGETS, it fetches the CLIPBOARD's text, takes
// the clipboard over and serves the text itself. A silent one never answers the request.
class TestClipboardManager : public QObject {
public:
    enum class Behaviour { Saves, Silent };
    explicit TestClipboardManager(Behaviour behaviour = Behaviour::Saves);
    ~TestClipboardManager() override;

    // Takes the CLIPBOARD_MANAGER selection; false when it could not.
    bool start();
    // The text taken over at the last request, and how many requests came.
    QByteArray savedText() const { return m_saved; }
    int requests() const { return m_requests; }

private:
    void processEvents();
    void fetched(unsigned long property);
    void serve(const void* request);

    Behaviour m_behaviour;
    _XDisplay* m_display = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    unsigned long m_window = 0;
    unsigned long m_managerAtom = 0, m_clipboardAtom = 0, m_saveTargetsAtom = 0, m_targetsAtom = 0,
                  m_utf8Atom = 0, m_dataAtom = 0;
    // The request being worked on.
    unsigned long m_requestor = 0, m_requestProperty = 0, m_requestTime = 0;
    QByteArray m_saved;
    int m_requests = 0;
};

} // namespace kopix::test
