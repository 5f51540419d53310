#pragma once

#include <QKeySequenceEdit>

#include <functional>

namespace kopix {

// The box that takes the key that calls Kopix. While it has the focus it has the keyboard to itself, so a
// key that another program (or Kopix, with the key set now) takes on the whole desktop reaches the box
// rather than that program. A key that cannot serve is not taken: the box keeps the key it had and tells
// why (refused); so does a press of modifiers alone, which would otherwise leave the box empty.
class GlobalKeyEdit : public QKeySequenceEdit {
    Q_OBJECT
public:
    // refusal says why a key cannot serve ("" when it can).
    explicit GlobalKeyEdit(std::function<QString(QKeyCombination)> refusal, QWidget* parent = nullptr);

    // The key as it is set now, taken without a question (the settings as they stand, or none).
    void setKey(const QKeySequence& key);

Q_SIGNALS:
    // A key was pressed and refused: why. "" when a key was taken (or the box emptied with setKey).
    void refused(const QString& why);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void keyTyped();

    std::function<QString(QKeyCombination)> m_refusal;
    QKeySequence m_kept; // the key the box holds once editing is over
};

} // namespace kopix
