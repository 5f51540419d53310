#include "mainwin/PasteTarget.h"

#include "mainwin/StatusPanel.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QKeySequence>
#include <QWidget>

#include <algorithm>
#include <iterator>

namespace kopix {

namespace {

const QString NoActiveWindowNote = QStringLiteral("元のウィンドウが分からないため、貼り付けません");

// Keys every program pastes, copies, cuts, undoes or selects with (terminals with Shift): taken on the whole
// desktop, they would reach no program any more.
constexpr QKeyCombination EditingKeys[] = {
    Qt::CTRL | Qt::Key_V,
    Qt::CTRL | Qt::Key_C,
    Qt::CTRL | Qt::Key_X,
    Qt::CTRL | Qt::Key_Z,
    Qt::CTRL | Qt::Key_A,
    Qt::SHIFT | Qt::Key_Insert,
    Qt::CTRL | Qt::Key_Insert,
    Qt::SHIFT | Qt::Key_Delete,
    Qt::CTRL | Qt::SHIFT | Qt::Key_V,
    Qt::CTRL | Qt::SHIFT | Qt::Key_C,
};

bool isEditingKey(QKeyCombination key) {
    return std::find(std::begin(EditingKeys), std::end(EditingKeys), key) != std::end(EditingKeys);
}

QString keyText(QKeyCombination key) {
    return QKeySequence(key).toString(QKeySequence::PortableText);
}

} // namespace

PasteTarget::PasteTarget(Platform& platform, QWidget& window, StatusPanel& notes,
                         std::function<void(const QString&)> warn, QObject* parent)
    : QObject(parent), m_platform(platform), m_window(window), m_notes(notes), m_warn(std::move(warn)) {}

std::optional<QKeyCombination> PasteTarget::globalKeyOf(const QString& text) {
    const QKeySequence sequence = QKeySequence::fromString(text, QKeySequence::PortableText);
    if (sequence.count() != 1)
        return std::nullopt;
    const QKeyCombination key = sequence[0];
    const int code = key.key();
    if (code == Qt::Key_unknown || code == Qt::Key_Control || code == Qt::Key_Shift || code == Qt::Key_Alt ||
        code == Qt::Key_Meta || code == Qt::Key_AltGr)
        return std::nullopt;
    const bool withModifier =
        key.keyboardModifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool functionKey = code >= Qt::Key_F1 && code <= Qt::Key_F35;
    if ((!withModifier && !functionKey) || isEditingKey(key))
        return std::nullopt;
    return key;
}

QString PasteTarget::globalKeyReason(const QString& text) {
    if (text.isEmpty() || globalKeyOf(text))
        return QString();
    const QKeySequence sequence = QKeySequence::fromString(text, QKeySequence::PortableText);
    if (sequence.count() == 1 && isEditingKey(sequence[0]))
        return tr("どのプログラムでも貼り付けやコピー、取り消しに使うキーです。");
    return tr("Ctrl、Alt、Windows キーを添えてください。");
}

QString PasteTarget::globalKeyProblem(const QString& text) {
    const QString reason = globalKeyReason(text);
    if (reason.isEmpty())
        return QString();
    return tr("「%1」は Kopix を呼び出すキーにできません。\r\n%2").arg(text, reason);
}

QString PasteTarget::globalKeyRefusal(QKeyCombination key) {
    QString reason = globalKeyReason(keyText(key));
    if (reason.isEmpty())
        reason = m_platform.probeGlobalKey(key);
    return reason.isEmpty() ? QString() : tr("%1：%2").arg(keyText(key), reason);
}

void PasteTarget::apply(const KopixSettings& settings) {
    m_pasteInto = settings.pasteInto;
    const QKeySequence pasteKey = QKeySequence::fromString(settings.pasteKey, QKeySequence::PortableText);
    m_pasteKey = pasteKey.isEmpty() ? QKeyCombination(Qt::ControlModifier, Qt::Key_V) : pasteKey[0];
    if (m_pasteInto || !settings.globalKey.isEmpty())
        follow();
    if (settings.globalKey == m_globalKey)
        return;
    m_globalKey = settings.globalKey;
    // The key taken before is given back in any case.
    if (m_keyTaken)
        m_platform.grabGlobalKey(QKeyCombination(), {}, {});
    m_keyTaken = false;
    if (m_globalKey.isEmpty())
        return;
    if (const QString problem = globalKeyProblem(m_globalKey); !problem.isEmpty()) {
        m_warn(problem);
        return;
    }
    const QKeyCombination key = *globalKeyOf(m_globalKey);
    const auto layoutChanged = [this, key](const QString& problem) {
        // The user switched the keyboard's layout, and the key is not to be had in the new one.
        if (!problem.isEmpty())
            m_notes.showNote(
                tr("今のキー配列では %1 で Kopix を呼び出せません。%2").arg(keyText(key), problem));
    };
    if (const QString failure = m_platform.grabGlobalKey(
            key, [this] { globalKeyPressed(); }, layoutChanged);
        !failure.isEmpty()) {
        m_warn(QStringLiteral("%1 を Kopix を呼び出すキーにできません。\r\n%2\r\n"
                              "設定の「貼り付け」ページで別のキーを選んでください。")
                   .arg(keyText(key), failure));
        return;
    }
    m_keyTaken = true;
}

bool PasteTarget::follow() {
    if (!m_following && !m_followFailed) {
        m_following = m_platform.followActiveWindow();
        m_followFailed = !m_following;
    }
    return m_following;
}

void PasteTarget::afterCopy() {
    if (!m_pasteInto)
        return;
    if (!follow()) {
        m_notes.showNote(NoActiveWindowNote);
        return;
    }
    const OtherWindow target = m_platform.previousWindow();
    if (target.isNull()) {
        m_notes.showNote(NoActiveWindowNote);
        return;
    }
    m_platform.pasteInto(target, m_pasteKey, [this, notes = &m_notes](PasteOutcome outcome) {
        switch (outcome) {
        case PasteOutcome::Sent:
            break;
        case PasteOutcome::WindowGone:
            notes->showNote(QStringLiteral("元のウィンドウはもうないため、貼り付けません"));
            break;
        case PasteOutcome::NotActivated:
            notes->showNote(QStringLiteral("元のウィンドウが前に出ないため、貼り付けません"));
            break;
        case PasteOutcome::KeyNotOnLayout:
            notes->showNote(
                tr("今のキー配列には %1 のキーがないため、貼り付けません").arg(keyText(m_pasteKey)));
            break;
        }
    });
}

void PasteTarget::globalKeyPressed() {
    // Kopix in front (its window, or a dialog or box of it): back to where the user came from. Anywhere
    // else: Kopix to the front.
    if (!QApplication::activeWindow()) {
        m_platform.bringToFront(&m_window);
        return;
    }
    const OtherWindow target = follow() ? m_platform.previousWindow() : OtherWindow();
    if (target.isNull())
        m_notes.showNote(QStringLiteral("戻る先のウィンドウが分かりません"));
    else if (!m_platform.activateOtherWindow(target))
        m_notes.showNote(QStringLiteral("元のウィンドウはもうありません"));
}

} // namespace kopix
