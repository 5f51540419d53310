#pragma once

#include "platform/Platform.h"

#include <QKeySequence>
#include <QList>
#include <QStringList>
#include <QUrl>

#include <deque>
#include <functional>
#include <optional>

namespace kopix::test {

// A desktop that records what the program asks of it and answers as the test scripted.
class FakePlatform : public Platform {
public:
    bool removable = false;
    qint64 memory = qint64(16) << 30;
    QRect workArea{0, 0, 1920, 1040};
    std::deque<int> answers; // the next message boxes' results; OK when empty

    QList<MessageRequest> messages;
    QList<bool> stayOnTopSwitches;
    QStringList errorBoxes; // "title|text"
    QList<int> helpRequests;
    QList<QRect> workAreaQueries;

    // NumLock: what the desktop answers, and the window's watcher (call it after changing numLock).
    std::optional<bool> numLock = true;
    std::function<void()> numLockWatcher;
    QList<QUrl> openedUrls;
    // Clipboard reads: a scripted answer, else what the in-process clipboard holds (offscreen).
    std::optional<ClipboardContent> clipboardAnswer;
    int clipboardReads = 0;

    bool isOnRemovableDrive(const QString&) override { return removable; }
    QRect workAreaNear(const QRect& rect) override {
        workAreaQueries.append(rect);
        return workArea;
    }
    QRect normalRectangle(const QWidget* window) override;
    QMargins frame; // the frame a window manager would put around the window
    QMargins frameExtents(QWidget*) override { return frame; }
    void setStayOnTop(QWidget*, bool onTop) override { stayOnTopSwitches.append(onTop); }
    void bringToFront(QWidget*) override {}
    int showMessage(const MessageRequest& request) override {
        messages.append(request);
        if (answers.empty())
            return mrOk;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void showErrorBox(QWidget*, const QString& title, const QString& text) override {
        errorBoxes.append(title + u'|' + text);
    }
    QStringList startedPrograms; // "program|argument"
    QStringList openedWithDesktop;
    // False: programs and the desktop's programs cannot be started (the requests are still recorded), for
    // this reason.
    bool launchesStart = true;
    QString notStartedReason = QStringLiteral("開くプログラムが見つかりません。");
    QString launchResult() const { return launchesStart ? QString() : notStartedReason; }
    QString showHelp(int context) override {
        helpRequests.append(context);
        return launchResult();
    }
    bool startProgram(const QString& program, const QString& argument) override {
        startedPrograms.append(program + u'|' + argument);
        return launchesStart;
    }
    QString openWithDesktop(const QString& path, DesktopTarget) override {
        openedWithDesktop.append(path);
        return launchResult();
    }
    qint64 memoryBytes() override { return memory; }
    std::optional<bool> numLockOn() override { return numLock; }
    void watchNumLock(std::function<void()> onChange) override { numLockWatcher = std::move(onChange); }
    QString openUrl(const QUrl& url) override {
        openedUrls.append(url);
        return launchResult();
    }
    void readClipboard(QObject* context, std::function<void(const ClipboardContent&)> done) override;
    // Pastes: a scripted answer (nothing: the read failed), else the in-process clipboard's text. Held
    // reads wait in pendingPasteReads until the test answers them, as a slow clipboard owner would.
    std::optional<std::optional<QString>> pasteAnswer;
    QList<std::function<void(const std::optional<QString>&)>> pendingPasteReads; // when holdPasteReads
    bool holdPasteReads = false;
    void readClipboardText(QObject*, std::function<void(const std::optional<QString>&)> done) override;
    // Middle-button pastes: the primary selection's scripted text (nothing: no text there).
    std::optional<QString> primaryText;
    QList<std::function<void(const std::optional<QString>&)>> pendingPrimaryReads; // when holdPrimaryReads
    bool holdPrimaryReads = false;
    void readPrimaryText(QObject*, std::function<void(const std::optional<QString>&)> done) override {
        if (holdPrimaryReads)
            pendingPrimaryReads.append(std::move(done));
        else
            done(primaryText);
    }

    // The window the user came from, as the desktop would tell it (false: it does not say).
    bool tellsActiveWindow = true;
    OtherWindow previous{0x4200001};
    bool followActiveWindow() override { return tellsActiveWindow; }
    OtherWindow previousWindow() override { return previous; }
    // Pastes asked for ("window|key") and what becomes of them.
    QStringList pastes;
    PasteOutcome pasteOutcome = PasteOutcome::Sent;
    void pasteInto(OtherWindow window, QKeyCombination key, std::function<void(PasteOutcome)> done) override {
        pastes.append(QString::number(window.native()) + u'|' + QKeySequence(key).toString());
        done(pasteOutcome);
    }
    QList<OtherWindow> activatedWindows;
    bool activateOtherWindow(OtherWindow window) override {
        activatedWindows.append(window);
        return pasteOutcome != PasteOutcome::WindowGone;
    }
    // Keys taken on the whole desktop (an empty one gives the key back), and why one is refused ("": it is
    // taken); press the key with globalKeyPressed().
    QList<QKeyCombination> grabbedKeys;
    QString grabFailure;
    std::function<void()> globalKeyPressed;
    // A change of the layout, told with globalKeyChanged().
    std::function<void(const QString&)> globalKeyChanged;
    QString grabGlobalKey(QKeyCombination key, std::function<void()> pressed,
                          std::function<void(const QString&)> changed) override {
        grabbedKeys.append(key);
        globalKeyPressed = grabFailure.isEmpty() ? std::move(pressed) : nullptr;
        globalKeyChanged = grabFailure.isEmpty() ? std::move(changed) : nullptr;
        return grabFailure;
    }
    // Keys another program holds, as probeGlobalKey says of them.
    QList<QKeyCombination> keysTakenElsewhere;
    QString probeGlobalKey(QKeyCombination key) override {
        return keysTakenElsewhere.contains(key) ? QStringLiteral("他のプログラムがこのキーを使っています。")
                                                : QString();
    }
};

} // namespace kopix::test
