#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QWidget;

namespace kopix {

// The window's hints: only the widgets given one show it, 1,000 ms after the pointer enters them, for
// 4,000 ms or until the pointer leaves. Every other widget (the list, the strips, the editor, the menus)
// shows none.
class HintController : public QObject {
    Q_OBJECT
public:
    static constexpr int ShowAfterMs = 1000;
    static constexpr int HideAfterMs = 4000;

    explicit HintController(QObject* parent = nullptr);
    // The widget shows the hint (also as its toolTip()). With onFrameOnly (a group box), the controls
    // inside it show none, and its hint goes while the pointer is over one of them.
    void addHint(QWidget* widget, const QString& hint, bool onFrameOnly = false);
    // For tests: shorter waits, so that a test waits for the hint rather than for the clock.
    void setDelaysForTest(int showAfterMs, int hideAfterMs);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show();
    void hide();

    QHash<QObject*, QString> m_hints;
    QHash<QObject*, QWidget*> m_insideFrames; // a control inside a frame-only widget, and that widget
    QPointer<QWidget> m_under;                // the widget with a hint the pointer is over
    QTimer m_showTimer;
    int m_hideAfterMs = HideAfterMs;
};

} // namespace kopix
