#include "settings/GlobalKeyEdit.h"

#include <QFocusEvent>

namespace kopix {

GlobalKeyEdit::GlobalKeyEdit(std::function<QString(QKeyCombination)> refusal, QWidget* parent)
    : QKeySequenceEdit(parent), m_refusal(std::move(refusal)) {
    connect(this, &QKeySequenceEdit::editingFinished, this, &GlobalKeyEdit::keyTyped);
}

void GlobalKeyEdit::setKey(const QKeySequence& key) {
    m_kept = key.isEmpty() ? QKeySequence() : QKeySequence(key[0]);
    setKeySequence(m_kept);
    Q_EMIT refused(QString());
}

void GlobalKeyEdit::keyTyped() {
    // One key: a second one typed within the box's pause would make a sequence no desktop key can be.
    const QKeySequence typed = keySequence();
    if (typed.isEmpty()) {
        // Only modifiers were pressed: the key there was stays.
        setKeySequence(m_kept);
        return;
    }
    const QKeyCombination key = typed[0];
    if (const QString why = m_refusal ? m_refusal(key) : QString(); !why.isEmpty()) {
        setKeySequence(m_kept);
        Q_EMIT refused(why);
        return;
    }
    m_kept = QKeySequence(key);
    setKeySequence(m_kept);
    Q_EMIT refused(QString());
}

void GlobalKeyEdit::focusInEvent(QFocusEvent* event) {
    QKeySequenceEdit::focusInEvent(event);
    grabKeyboard();
}

void GlobalKeyEdit::focusOutEvent(QFocusEvent* event) {
    releaseKeyboard();
    QKeySequenceEdit::focusOutEvent(event);
}

void GlobalKeyEdit::hideEvent(QHideEvent* event) {
    releaseKeyboard();
    QKeySequenceEdit::hideEvent(event);
}

} // namespace kopix
