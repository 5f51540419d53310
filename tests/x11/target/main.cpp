// The program the x11 tests paste into: one line edit, whose text it prints on standard output whenever it
// changes ("text:" and the text, one line each). With --shift-insert-only it takes a paste only from
// Shift+Insert, as some programs and terminals do.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <cstdio>

namespace {

class ShiftInsertOnlyEdit : public QLineEdit {
protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool shiftInsert = event->key() == Qt::Key_Insert && event->modifiers() == Qt::ShiftModifier;
        if (event->matches(QKeySequence::Paste) && !shiftInsert) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool shiftInsertOnly = app.arguments().contains(QStringLiteral("--shift-insert-only"));
    QLineEdit* edit = shiftInsertOnly ? new ShiftInsertOnlyEdit : new QLineEdit;
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
