#pragma once

#include "platform/ClipboardContent.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>

class QSocketNotifier;
struct _XDisplay;

namespace kopix {

// Reads the CLIPBOARD on an X connection of its own, driven by the event loop, with a deadline.
//
// Qt's own clipboard read waits for the owner inside the call, seconds long, with the window frozen; an
// owner that never answers (a hung program) would stop Kopix that long on every change. Here each step
// is a request whose answer arrives as an event on our connection, so the window keeps working while an
// owner takes its time, and the whole read gives up after the deadline.
class X11ClipboardReader : public QObject {
public:
    // The whole read, all its steps together, gives up after the owner has had this long to answer.
    static constexpr int DeadlineMs = 800;

    // The name of the display the application is connected to (empty without X).
    static QByteArray applicationDisplayName();

    // What a read is for: a preview takes the first few kilobytes of a text and tells text marked as a
    // password apart; a paste takes all of it, as it is.
    enum class Extent { Preview, WholeText };

    // Which selection is read: the clipboard (copy and paste), or the primary selection, the text last
    // selected anywhere (pasted with the middle button).
    enum class Selection { Clipboard, Primary };

    // displayName: the display to connect to (empty: $DISPLAY).
    explicit X11ClipboardReader(const QByteArray& displayName, Extent extent = Extent::Preview,
                                Selection selection = Selection::Clipboard, QObject* parent = nullptr);
    ~X11ClipboardReader() override;

    // False when no connection could be made; read() then only reports the failure.
    bool isConnected() const { return m_display != nullptr; }

    // Starts reading; done runs when the content is known or the read failed, unless `context` (when
    // given) is gone by then. A read still running is abandoned without its callback.
    void read(QObject* context, std::function<void(const ClipboardContent&)> done);
    // Abandons the read still running, if any, without its callback.
    void cancel() { abandon(); }

private:
    enum class Step { Idle, Targets, Hint, Text };
    // A window of an abandoned read, kept until its owner is done writing to it: some owners (xclip
    // among them) die of the error they get when a requestor's window vanishes under their answer.
    struct Retired {
        unsigned long window = 0;
        bool draining = false; // the owner sends the rest of a long answer in pieces
    };

    void startDeadline();
    void deadlineTick();
    void request(unsigned long target, Step step);
    void processEvents();
    void selectionArrived(unsigned long property);
    void incrementArrived();
    void answered(unsigned long type, const QByteArray& bytes);
    void refused();
    void askForText();
    QStringList atomNames(const QByteArray& atomList);
    void finish(const ClipboardContent& content);
    void abandon();
    void retire(unsigned long window, bool draining);
    // An answer (selection) or a new piece of one arriving at a retired window.
    void retiredEvent(qsizetype index, bool selection, unsigned long property);

    Extent m_extent;
    _XDisplay* m_display = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_deadline; // ticks while a read waits
    QElapsedTimer m_sinceTick;
    qint64 m_waitedMs = 0;
    quint64 m_readNumber = 0; // counts the reads begun

    unsigned long m_selectionAtom = 0;
    unsigned long m_targetsAtom = 0;
    unsigned long m_utf8Atom = 0;
    unsigned long m_incrAtom = 0;
    unsigned long m_hintAtom = 0;
    unsigned long m_propertyAtom = 0;

    // The read in progress.
    Step m_step = Step::Idle;
    unsigned long m_requestor = 0; // a window of our own per read
    bool m_awaiting = false;       // a request of ours has no answer yet
    bool m_hasContext = false;
    QPointer<QObject> m_context;
    std::function<void(const ClipboardContent&)> m_done;
    QString m_textTarget;
    bool m_incremental = false; // the owner sends its answer in pieces
    unsigned long m_incrementalType = 0;
    QByteArray m_collected;

    QList<Retired> m_retired;
};

} // namespace kopix
