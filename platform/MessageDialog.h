#pragma once

#include "platform/MessageBox.h"

#include <QDialog>

#include <optional>

namespace kopix {

// The program's message box: icon of the kind, text, the requested buttons in the order Yes, No, OK,
// Cancel, Ignore, Help (the first the default), placed at the requested top-left corner. Help shows help
// and leaves the box open.
class MessageDialog : public QDialog {
    Q_OBJECT
public:
    // The box of `request`; for the error box pass isErrorBox and a title of your own.
    explicit MessageDialog(const MessageRequest& request, const QString& title, bool isErrorBox = false);

    // Runs the box modally; returns its result code.
    static int run(const MessageRequest& request, const std::function<void(int)>& showHelp);
    static void runErrorBox(QWidget* owner, const QString& title, const QString& text);

    // For tests: the next box is not shown and returns this answer at once.
    static void answerNextWith(int resultCode);
    // What a box with these buttons answers when closed without a choice: the harmless answer.
    static int cancelledAnswer(MsgDlgButtons buttons);

Q_SIGNALS:
    void helpRequested(int context);

private:
    void placeOverOwner(const MessageRequest& request);
    // Centred over a window, as the error box is.
    void centreOver(QWidget* owner);
    // Moves the box to `place`, or as near to it as keeps it whole on the screen.
    void moveOntoScreen(const QPoint& place, const QWidget* owner);
    // The frame the box will get, as far as it can be told before it is shown.
    static QMargins expectedFrame(const QWidget* owner);
};

// Closes every open menu and every modal box and dialog, from the innermost out, as if cancelled: whoever
// opened them goes on as after Esc.
void cancelModalWindows();

} // namespace kopix
