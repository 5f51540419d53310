#include "platform/MessageDialog.h"

#include "core/PathBytes.h"

#include "core/WindowGeometry.h"
#include "platform/MessageText.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QList>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

#include <utility>

namespace kopix {

namespace {

std::optional<int> nextAnswer;

// The buttons that answer the box, in the order the box shows them.
struct AnswerButton {
    MsgDlgButton flag;
    const QString* caption;
    const char* name;
    int result;
};
const AnswerButton answerButtons[] = {
    {mbYes, &msgDlgCaptionYes, "Yes", mrYes},
    {mbNo, &msgDlgCaptionNo, "No", mrNo},
    {mbOK, &msgDlgCaptionOk, "OK", mrOk},
    {mbCancel, &msgDlgCaptionCancel, "Cancel", mrCancel},
    {mbIgnore, &msgDlgCaptionIgnore, "Ignore", mrIgnore},
};

// Room kept free between a box and each side of the screen.
constexpr int ScreenMargin = 16;
// However little room there is, a wrapped text keeps at least this width.
constexpr int MinimumTextWidth = 120;

QStyle::StandardPixmap iconOf(MsgDlgType type, bool isErrorBox) {
    if (isErrorBox)
        return QStyle::SP_MessageBoxCritical;
    switch (type) {
    case MsgDlgType::Warning:
        return QStyle::SP_MessageBoxWarning;
    case MsgDlgType::Error:
        return QStyle::SP_MessageBoxCritical;
    case MsgDlgType::Information:
        return QStyle::SP_MessageBoxInformation;
    case MsgDlgType::Confirmation:
        return QStyle::SP_MessageBoxQuestion;
    }
    return QStyle::SP_MessageBoxInformation;
}

} // namespace

MessageDialog::MessageDialog(const MessageRequest& request, const QString& title, bool isErrorBox)
    : QDialog(request.owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("MsgDlg"));
    setWindowTitle(title);
    setModal(true);

    auto* icon = new QLabel(this);
    const int extent = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(
        style()->standardIcon(iconOf(request.type, isErrorBox), nullptr, this).pixmap(extent, extent));
    icon->setAlignment(Qt::AlignTop);
    // A path whose bytes are not UTF-8 shows with a replacement character where those bytes are.
    auto* text = new MessageText(pathForDisplay(request.text), this);
    text->setObjectName(QStringLiteral("Message"));

    auto* buttons = new QDialogButtonBox(this);
    // The first button of the box is its default.
    bool first = true;
    for (const AnswerButton& kind : answerButtons) {
        if (!(request.buttons & kind.flag))
            continue;
        QPushButton* button = buttons->addButton(
            *kind.caption, kind.flag == mbOK ? QDialogButtonBox::AcceptRole : QDialogButtonBox::ActionRole);
        button->setObjectName(QLatin1String(kind.name));
        button->setDefault(std::exchange(first, false));
        connect(button, &QPushButton::clicked, this, [this, result = kind.result] { done(result); });
    }
    if (request.buttons & mbHelp) {
        QPushButton* help = buttons->addButton(msgDlgCaptionHelp, QDialogButtonBox::ActionRole);
        help->setObjectName(QStringLiteral("Help"));
        const int context = request.helpContext;
        connect(help, &QPushButton::clicked, this, [this, context] { Q_EMIT helpRequested(context); });
    }
    // Keep the buttons in the order they were added, whatever the desktop style prefers.
    buttons->setCenterButtons(false);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    // A text lower than the icon sits in the middle of the row's height, as a label draws it.
    row->addWidget(text, 1, Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // A box wider than the screen would put its buttons out of reach: a line that long (a long path)
    // wraps instead, and the box grows downwards.
    if (QScreen* screen = request.owner ? request.owner->screen() : QGuiApplication::primaryScreen()) {
        const QMargins frame = expectedFrame(request.owner);
        const int widest =
            screen->availableGeometry().width() - 2 * ScreenMargin - frame.left() - frame.right();
        if (const int over = sizeHint().width() - widest; over > 0)
            text->setWidthLimit(std::max(text->sizeHint().width() - over, MinimumTextWidth));
    }
    placeOverOwner(request);
}

void MessageDialog::placeOverOwner(const MessageRequest& request) {
    if (!request.place.x && !request.place.y) {
        // Neither coordinate applies: centre the box on the screen of the main window.
        QScreen* screen = request.owner ? request.owner->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        adjustSize();
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
        return;
    }
    // One coordinate may keep the default place: centred over the owner, as Qt would put it.
    adjustSize();
    QPoint place;
    if (request.owner) {
        const QRect owner = request.owner->frameGeometry();
        place = owner.center() - QPoint(width() / 2, height() / 2);
    }
    if (request.place.x)
        place.setX(*request.place.x);
    if (request.place.y)
        place.setY(*request.place.y);
    moveOntoScreen(place, request.owner);
}

void MessageDialog::centreOver(QWidget* owner) {
    adjustSize();
    moveOntoScreen(owner->frameGeometry().center() - QPoint(width() / 2, height() / 2), owner);
}

void MessageDialog::moveOntoScreen(const QPoint& place, const QWidget* owner) {
    // Over a main window at the screen's edge the place may lie partly off it, and with it the buttons:
    // the box, frame and all, is pulled into the available area of the screen it is nearest.
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    const QRect outer(place, size().grownBy(expectedFrame(owner)));
    const int nearest = nearestScreen(outer, areas);
    move(nearest < 0 ? place : fitToWorkArea(outer, areas[nearest]).topLeft());
}

QMargins MessageDialog::expectedFrame(const QWidget* owner) {
    // The box is not framed before it is shown; the window manager frames it as it framed the owner.
    const QWindow* handle = owner ? owner->window()->windowHandle() : nullptr;
    return handle ? handle->frameMargins() : QMargins();
}

int MessageDialog::run(const MessageRequest& request, const std::function<void(int)>& showHelp) {
    if (nextAnswer) {
        const int answer = *nextAnswer;
        nextAnswer.reset();
        return answer;
    }
    MessageDialog box(request, msgDlgTitle(request.type));
    if (showHelp)
        connect(&box, &MessageDialog::helpRequested, &box, showHelp);
    const int result = box.exec();
    return result != QDialog::Rejected ? result : cancelledAnswer(request.buttons);
}

int MessageDialog::cancelledAnswer(MsgDlgButtons buttons) {
    // Esc or the close button: Cancel or Ignore where the box offers one (nothing is done, the program
    // keeps running), else OK.
    if (buttons & mbCancel)
        return mrCancel;
    if (buttons & mbIgnore)
        return mrIgnore;
    return (buttons & mbOK) ? mrOk : mrNone;
}

void cancelModalWindows() {
    // Menus first (a box may have been opened from one), then boxes from the innermost out. A window that
    // will not go is left alone rather than asked forever.
    for (int guard = 0; guard < 32; ++guard) {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
            continue;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
}

void MessageDialog::runErrorBox(QWidget* owner, const QString& title, const QString& text) {
    if (nextAnswer) {
        nextAnswer.reset();
        return;
    }
    MessageRequest request;
    request.text = text;
    request.type = MsgDlgType::Error;
    request.owner = owner;
    MessageDialog box(request, title, true);
    if (owner)
        box.centreOver(owner);
    box.exec();
}

void MessageDialog::answerNextWith(int resultCode) {
    nextAnswer = resultCode;
}

} // namespace kopix
