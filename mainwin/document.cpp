// Loading the document into the list, the recent-files list that follows it, the caption, the placeholder
// when there is nothing to show, refresh, the open dialog and dropped files.
#include "mainwin/UfC.h"

#include "core/DocumentFile.h"
#include "core/FileWriter.h"
#include "core/PathBytes.h"
#include "core/PathRules.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/DocumentWatcher.h"
#include "mainwin/LineListModel.h"
#include "mainwin/StatusPanel.h"
#include "platform/Platform.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTabWidget>

namespace kopix {

namespace {

// The desktop's documents folder where there is one, else the home folder.
QString userDocumentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return folderExists(documents) ? documents : QDir::homePath();
}

// The sample a first run shows ("" for none). A copy that keeps its files in the user's folders gives the
// user a sample of their own to correct, copied from the program's the first time; where no copy can be
// made, the program's own is shown all the same (a correction then says that it cannot be written).
QString firstRunSample(const SettingsPlace& place) {
    if (fileExists(place.sampleFile))
        return place.sampleFile;
    if (place.sampleSource.isEmpty() || !fileExists(place.sampleSource))
        return QString();
    if (!makeFolderPath(folderPart(place.sampleFile)) || !copySmallFile(place.sampleSource, place.sampleFile))
        return place.sampleSource;
    return place.sampleFile;
}

const QString placeholderLine1 = QStringLiteral("　表示すべき文書");
const QString placeholderLine2 = QStringLiteral("（前回終了時の文書）");
const QString placeholderLine3 = QStringLiteral("が読めませんでした。");

QString notFoundText(const QString& path) {
    return path +
           QStringLiteral(
               "\r\nこのファイルが見つかりません。\r\nパスとファイル名が正しいかどうか確認してください。");
}

} // namespace

void TfC::OpenDocument(const QString& path) {
    m_correction->forgetSavedDocument();
    const int found = m_usedFL.indexOf(path);
    // A folder, a pipe or a device of that name is there but is no document: the read says why.
    if (!pathExists(path)) {
        MsgDlgCenter(notFoundText(path), MsgDlgType::Warning, mbOK, 0);
        m_usedFL.documentMissing(found);
        return;
    }
    DocumentReadResult read = readDocument(path);
    if (!read.document) {
        MsgDlgCenter(fileNamePart(path) + QStringLiteral(" ファイルが読めません。\r\n") + read.errorText,
                     MsgDlgType::Error, mbOK | mbHelp, 0);
        return;
    }
    ShowDocument(path, std::move(*read.document));
}

void TfC::ShowDocument(const QString& path, LoadedDocument document) {
    const int found = m_usedFL.indexOf(path);
    const bool noRows = document.lines.count() == 0;
    m_correction->BarCorrections(correctionBar(document.lines, m_platform.memoryBytes()), document.lines);
    ShowLines(std::move(document.lines));
    m_correction->documentShown(
        LoadedFile{path, document.encoding, document.decodedCleanly, document.size, document.modified});
    SetDocCaption(fileNamePart(path));
    // Reopening entry 0 leaves the list as it is; the menu is rebuilt all the same, since the placeholder
    // may have hidden it.
    if (!m_usedFL.documentOpened(path, found))
        OnUsedFLChange();
    if (found == 0 && TopI < m_model->rowCount())
        LBox->setTopRow(TopI);
    ScanBookmarks();
    m_copyStrips->SetSTS(TSTS::Sel0);
    EnableDocActions(true);
    // From now on the list follows the file on disk; the editor holds what was read.
    m_watcher->watch(path);
    // A file that shows no row at all says why (at start the list then shows that there is nothing to show).
    if (noRows)
        SBarPanels[1]->showNote(fileNamePart(path) +
                                (document.decodedCleanly
                                     ? QStringLiteral(" は空です")
                                     : QStringLiteral(" は NUL 文字で始まるため、表示できる行がありません")));
}

void TfC::ShowLines(LineStore lines) {
    LBox->setUpdatesEnabled(false);
    m_model->setLines(std::move(lines));
    LBox->setTopRow(0);
    LBox->setUpdatesEnabled(true);
    m_correction->linesReplaced();
}

const LineStore& TfC::lines() const {
    return m_model->lines();
}

void TfC::OpenIfTxt(const QString& path) {
    if (hasTxtExtension(path))
        OpenDocument(path);
}

void TfC::OpenRequested(const QString& path) {
    if (hasTxtExtension(path)) {
        OpenDocument(path);
        return;
    }
    // Asked for by name (the command line, "Open with" in a file manager): the user learns why nothing
    // opened.
    SBarPanels[1]->showNote(
        tr("%1 は開きません（開けるのは .txt ファイルだけです）").arg(fileNamePart(path)));
}

void TfC::ShowNoDocument() {
    if (m_firstRun) {
        Settings withRule = settings();
        withRule.rules[0] = firstRunRule();
        setSettings(withRule);
        if (const QString sample = firstRunSample(m_place); !sample.isEmpty()) {
            OpenIfTxt(sample);
            return;
        }
    }
    m_correction->BarCorrections(CorrectionBar::None, {});
    m_model->setLines(LineStore::fromLines({placeholderLine1, placeholderLine2, placeholderLine3}));
    for (QAction* slot : SIL)
        if (slot)
            slot->setVisible(false);
    ActSINasi->setVisible(true);
    for (QAction* slot : MRUL)
        if (slot)
            slot->setVisible(false);
    ActFNasi->setVisible(true);
    m_copyStrips->SetSTS(TSTS::Sel0);
    EnableDocActions(false);
}

void TfC::SetDocCaption(const QString& name) {
    // The document's name (marked while its file is gone), and a copy that leaves the settings file to
    // another Kopix says so.
    const QString shown = pathForDisplay(name);
    m_applicationTitle = shown.isEmpty() ? QStringLiteral("Kopix")
                         : fileExists(displayedDocumentPath())
                             ? shown + QStringLiteral(" - Kopix")
                             : shown + QStringLiteral("（見つかりません） - Kopix");
    if (m_independentCopy)
        m_applicationTitle += QStringLiteral("（別ウィンドウ・設定保存なし）");
    setWindowTitle(m_applicationTitle);
}

void TfC::EnableDocActions(bool enabled) {
    ActNote->setEnabled(enabled && m_correction->bar() == CorrectionBar::None);
    ActRefresh->setEnabled(enabled);
    ActFolder->setEnabled(enabled);
}

void TfC::ActRefreshExecute() {
    const QString path = m_usedFL.entry(0);
    // The list still shows a file that has gone (deleted, moved, its drive taken out).
    if (!fileExists(path)) {
        if (!path.isEmpty())
            MsgDlgCenter(notFoundText(path), MsgDlgType::Warning, mbOK, 0);
        return;
    }
    if (correctionsPending()) {
        // Reading the file again replaces the editor's text: the corrections go first, or only when the
        // user says so.
        switch (MsgDlgCenter(
            fileNamePart(displayedDocumentPath()) +
                QStringLiteral(" の訂正がまだ書き込まれていません。\r\n「はい」では書き込んでから"
                               "読み直し、「いいえ」では訂正を捨てて読み直します。"),
            MsgDlgType::Confirmation, mbYes | mbNo | mbCancel, 0)) {
        case mrYes:
            if (!m_correction->SaveCorrections())
                return;
            break;
        case mrNo:
            break;
        default:
            return;
        }
        OpenDocument(path);
        return;
    }
    if (fileModifiedTime(path) != m_correction->loadedFile().modified)
        OpenDocument(path);
    else
        MsgDlgCenter(path + QStringLiteral("\r\nまだ、上書き更新されていません。"), MsgDlgType::Warning, mbOK,
                     0);
}

void TfC::FileOpenExecute() {
    // The dialog starts in the folder of the document on display; without one, in the user's documents
    // (the program folder, the current one, is no place to look for them).
    const QString entry = m_usedFL.entry(0);
    QFileDialog dialog(this, QString(), entry.isEmpty() ? userDocumentsFolder() : folderPart(entry),
                       QStringLiteral("テキスト ファイル (*.txt)"));
    dialog.setObjectName(QStringLiteral("OpenDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    // ".TXT" and ".Txt" files are text files too.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    FileOpenAccept(dialog.selectedFiles().constFirst());
}

void TfC::FileOpenAccept(const QString& path) {
    // Corrections go to their own document before another one is shown; if they are not written the
    // other document is not opened, so they are not lost.
    if (!m_correction->SavePendingCorrections())
        return;
    OpenDocument(path);
}

void TfC::FilesDropped(const QStringList& paths) {
    // A file that is not a text file is ignored, corrections and all; a text file is opened like one
    // from the open dialog.
    if (paths.isEmpty() || !hasTxtExtension(paths.constFirst()))
        return;
    if (m_correction->SavePendingCorrections())
        OpenDocument(paths.constFirst());
}

} // namespace kopix
