#include "support/KopixFixture.h"

#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"
#include "settings/USettei.h"

#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace kopix::test {

void KopixFixture::SetUp() {
    ASSERT_TRUE(m_programDir.isValid());
    m_previousCurrentDir = QDir::currentPath();
}

void KopixFixture::TearDown() {
    window.reset();
    QDir::setCurrent(m_previousCurrentDir);
}

QString KopixFixture::writeFile(const QString& path, const QByteArray& bytes) const {
    const QString full = QFileInfo(path).isAbsolute() ? path : inProgramDir(path);
    QDir().mkpath(QFileInfo(full).path());
    QFile file(full);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << full.toStdString();
    file.write(bytes);
    return full;
}

QByteArray KopixFixture::readFile(const QString& path) const {
    QFile file(QFileInfo(path).isAbsolute() ? path : inProgramDir(path));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

TfC& KopixFixture::start(const QString& documentArgument) {
    QStringList arguments{inProgramDir(QStringLiteral("kopix"))};
    if (!documentArgument.isNull())
        arguments.append(documentArgument);
    window = std::make_unique<TfC>(*desktop, arguments);
    // As the program entry does: the settings dialog right after the window, which owns it.
    settei = new TSettei(*window);
    window->setSettingsDialog(settei);
    window->show();
    return *window;
}

bool KopixFixture::closeAndDestroy() {
    const bool closed = window->close();
    if (closed)
        window.reset();
    return closed;
}

void KopixFixture::editCorrections(const QString& text) {
    CorrectionEditor* editor = window->correctionEditor();
    editor->selectAll();
    editor->insertPastedText(text); // line feeds become the editor's CR LF, as Enter gives them
}

Qt::DropAction KopixFixture::dropFiles(const QStringList& paths, const std::function<void()>& beforeOpening) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    mime.setUrls(urls);
    QWidget* target = window->LBox->viewport();
    const QPoint at = target->rect().center();
    // Shift held, as a user does to move files: the proposed action is a move.
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(at, offered, &mime, Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(at, offered, &mime, Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(target, &drop);
    if (beforeOpening)
        beforeOpening();
    QCoreApplication::processEvents();
    if (!enter.isAccepted() || !drop.isAccepted())
        return Qt::IgnoreAction;
    // Both events must say the same, or the dragging program is told one thing and does another.
    return enter.dropAction() == drop.dropAction() ? drop.dropAction() : Qt::IgnoreAction;
}

void KopixFixture::changeSettings(const std::function<void(Settings&)>& edit) const {
    Settings settings = window->settings();
    edit(settings);
    window->setSettings(settings);
}

QStringList KopixFixture::rows() const {
    QStringList result;
    for (qsizetype i = 0; i < window->lines().count(); ++i)
        result.append(window->lines().line(i).toString());
    return result;
}

} // namespace kopix::test
