// The program the x11 tests paste into: one line edit, whose text it prints on standard output whenever it
// changes ("text:" and the text, one line each). With --like-xterm it pastes as xterm does: only with
// Shift+Insert, and what it pastes then is the primary selection, not the clipboard.
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>

#include <cstdio>

namespace {

class XtermLikeEdit : public QLineEdit {
protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::ShiftModifier) {
            insert(QGuiApplication::clipboard()->text(QClipboard::Selection));
            event->accept();
            return;
        }
        if (event->matches(QKeySequence::Paste)) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool likeXterm = app.arguments().contains(QStringLiteral("--like-xterm"));
    QLineEdit* edit = likeXterm ? new XtermLikeEdit : new QLineEdit;
    edit->setWindowTitle(QStringLiteral("Kopix paste target"));
    edit->setGeometry(600, 400, 300, 40);
    QObject::connect(edit, &QLineEdit::textChanged, [](const QString& text) {
        std::printf("text:%s\n", text.toUtf8().constData());
        std::fflush(stdout);
    });
    edit->show();
    const int code = app.exec();
    delete edit;
    return code;
}
