#pragma once

#include <QFrame>
#include <QString>

#include <chrono>
#include <functional>

class QHBoxLayout;
class QStatusBar;
class QTimer;

namespace kopix {

// One panel of the status bar: a text on a single line from two pixels in, cut at the panel's edge, in a
// lowered bevel or none. The panel never breaks its line: a line feed in the text is drawn as "↵", so a
// clipboard text of two lines shows both on the one line there is.
class StatusPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int TextIndent = 2;
    // How long a note stays: long enough to be read in passing, short enough not to hide the text for long.
    static constexpr std::chrono::milliseconds NoteLifetime{4000};

    explicit StatusPanel(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    // Repaints only when the text changes.
    void setText(const QString& text);
    // Shows a note in place of the text for NoteLifetime; then the text comes back, as it is by then.
    void showNote(const QString& note);
    // The text as the panel draws it (the note while there is one).
    QString shownText() const;
    // Whether the whole text fits into the panel as it is now.
    bool showsWholeText() const;
    // What a screen reader says of the panel, and says anew whenever it changes: the label and what the
    // panel shows, or what `spoken` makes of what it shows.
    void setSpokenLabel(const QString& label, std::function<QString(const QString& shown)> spoken = {});

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void shownTextChanged();

    QString m_label;
    std::function<QString(const QString&)> m_spoken;
    QString m_text;
    QString m_note;
    QTimer* m_noteTimer = nullptr;
};

// The status bar's panels side by side without gaps, the last one reaching the bar's right end with the
// size grip over its corner, as desktop status bars draw them. (The bar's own layout keeps gaps around
// its widgets and stops short of the grip, which leaves too little room for the preview.)
class StatusPanelRow : public QWidget {
    Q_OBJECT
public:
    explicit StatusPanelRow(QStatusBar* bar);
    // A panel of a fixed width, or (width 0) one that takes the rest of the bar.
    StatusPanel* addPanel(const QString& name, int fixedWidth);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followBar();

    QStatusBar* m_bar;
    QHBoxLayout* m_row;
};

} // namespace kopix
