// Loading the document into the list, the recent-files list that follows it, the caption, the placeholder
// when there is nothing to show, refresh, the open dialog and dropped files.
#include "mainwin/UfC.h"

#include "core/DocumentFile.h"
#include "core/DocumentSave.h"
#include "core/FileWriter.h"
#include "core/PathBytes.h"
#include "core/PathRules.h"
#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/DocumentWatcher.h"
#include "mainwin/LineListModel.h"
#include "mainwin/StatusPanel.h"
#include "platform/Platform.h"

#include <QAction>
#include <QDebug>
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
    m_savedDocument.reset();
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
    BarCorrections(correctionBar(document.lines, m_platform.memoryBytes()), document.lines);
    ShowLines(std::move(document.lines));
    m_displayedPath = path;
    SetDocCaption(fileNamePart(path));
    m_displayedEncoding = document.encoding;
    m_displayedClean = document.decodedCleanly;
    m_displayedSize = document.size;
    // Reopening entry 0 leaves the list as it is; the menu is rebuilt all the same, since the placeholder
    // may have hidden it.
    if (!m_usedFL.documentOpened(path, found))
        OnUsedFLChange();
    if (found == 0 && TopI < m_model->rowCount())
        LBox->setTopRow(TopI);
    ScanBookmarks();
    if (document.modified)
        AgeOfFile = document.modified;
    m_copyStrips->SetSTS(TSTS::Sel0);
    EnableDocActions(true);
    // From now on the list follows the file on disk; the editor holds what was read.
    m_watcher->watch(path);
    PageControl1->setTabText(PageControl1->indexOf(TabNote), QStringLiteral("訂正"));
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
    // The editor gets its copy of the lines when it is next needed; until then it is not modified.
    m_memoStale = true;
    if (Memo1)
        Memo1->setDocumentText(QString());
    if (PageControl1->currentWidget() == TabNote) {
        if (m_correctionBar == CorrectionBar::None)
            correctionEditor();
        else
            PageControl1->setCurrentWidget(TabCopy);
    }
}

const LineStore& TfC::lines() const {
    return m_model->lines();
}

bool TfC::SaveCorrections(Asking asking, bool* declined) {
    // Every question here has the same way out: "無視" writes nothing and keeps the corrections, and whoever
    // asked for the save stops. Nobody to ask counts as "無視".
    const QString keep = QStringLiteral("\r\n「無視」では書き込まず、訂正はそのまま残ります。");
    const auto ask = [this, asking, declined](const QString& question) {
        if (asking == Asking::Nobody) {
            qWarning().noquote() << question.section(QStringLiteral("\r\n"), 0, 0);
            return false;
        }
        const bool yes = MsgDlgCenter(question, MsgDlgType::Confirmation, mbOK | mbIgnore, 0) == mrOk;
        if (!yes && declined)
            *declined = true;
        return yes;
    };
    m_savedDocument.reset();
    const QString name = fileNamePart(m_displayedPath);
    QString text = correctionEditor()->wholeText();

    // Another program may have written the file since it was read; its changes would be lost.
    const bool changedOnDisk = fileChangedSinceLoad();
    if (changedOnDisk &&
        !ask(name +
             QStringLiteral(
                 " は、読み込んだ後にほかのプログラムで書き換えられています。\r\n訂正を書き込むと、その"
                 "変更は失われます。") +
             keep))
        return false;

    // The file as it is on disk gives the bytes of every line the user left alone; the file as loaded, when
    // it is still the one on disk and its bytes are those its text encodes to, gives them without a read.
    TextEncoding encoding = m_displayedEncoding;
    std::optional<QByteArray> onDisk;
    std::optional<CorrectionSave> plain;
    if (!changedOnDisk && fileExists(m_displayedPath))
        plain = planPlainCorrectionSave(text, encoding, m_displayedClean, Memo1->utf8Text());
    if (!plain)
        onDisk = readRegularFile(m_displayedPath, documentSizeLimit()).bytes;
    CorrectionSave save =
        plain ? std::move(*plain)
              : planCorrectionSave(text, encoding, onDisk, m_displayedEncoding, m_displayedClean);
    if (save.unrepresentable >= 0) {
        // Rather than lose the character, the whole file may go over to UTF-8.
        if (!ask(unrepresentableText(text, save.unrepresentable) +
                 QStringLiteral("。\r\nファイル全体を UTF-8 で書き込みますか？") + keep))
            return false;
        encoding = TextEncoding::Utf8;
        save = planCorrectionSave(text, encoding, onDisk, m_displayedEncoding, m_displayedClean);
    }
    if (save.losesUnreadable &&
        !ask(name +
             QStringLiteral(
                 " には読めなかった文字があります。\r\n訂正を書き込むと、その文字は置き換えられます。") +
             keep))
        return false;
    // What follows a NUL was never shown; it stays unless the row holding it changed.
    if (save.dropsHiddenTail &&
        !ask(name +
             QStringLiteral(" には、NUL 文字の後に表示されていない部分があります。\r\n訂正を書き込むと、"
                            "その部分は削除されます。") +
             keep))
        return false;

    QString reason;
    if (!writeFileSafely(m_displayedPath, save.bytes, &reason)) {
        if (asking == Asking::Nobody) {
            qWarning().noquote() << QStringLiteral("%1 に書き込めません: %2").arg(m_displayedPath, reason);
            return false;
        }
        m_platform.showErrorBox(this, m_applicationTitle,
                                errorBoxText(QStringLiteral("%1 に書き込めません").arg(m_displayedPath)) +
                                    QStringLiteral("\r\n") + reason);
        return false;
    }
    m_displayedEncoding = encoding;
    // The list can take the text just written rather than read and decode the file again.
    if (save.readsBackAsText) {
        m_savedDocument = LoadedDocument{LineStore::fromText(std::move(text)), encoding, true,
                                         fileModifiedTime(m_displayedPath), qint64(save.bytes.size())};
    }
    return true;
}

bool TfC::fileChangedSinceLoad() const {
    // A file that is gone is written anew; one whose time or size moved was written by someone else.
    if (!fileExists(m_displayedPath))
        return false;
    return fileModifiedTime(m_displayedPath) != AgeOfFile || fileSize(m_displayedPath) != m_displayedSize;
}

bool TfC::SavePendingCorrections() {
    return !correctionsPending() || SaveCorrections();
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
    BarCorrections(CorrectionBar::None, {});
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
    m_applicationTitle = shown.isEmpty()               ? QStringLiteral("Kopix")
                         : fileExists(m_displayedPath) ? shown + QStringLiteral(" - Kopix")
                                                       : shown + QStringLiteral("（見つかりません） - Kopix");
    if (m_independentCopy)
        m_applicationTitle += QStringLiteral("（別ウィンドウ・設定保存なし）");
    setWindowTitle(m_applicationTitle);
}

void TfC::EnableDocActions(bool enabled) {
    ActNote->setEnabled(enabled && m_correctionBar == CorrectionBar::None);
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
            fileNamePart(m_displayedPath) +
                QStringLiteral(" の訂正がまだ書き込まれていません。\r\n「はい」では書き込んでから"
                               "読み直し、「いいえ」では訂正を捨てて読み直します。"),
            MsgDlgType::Confirmation, mbYes | mbNo | mbCancel, 0)) {
        case mrYes:
            if (!SaveCorrections())
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
    if (fileModifiedTime(path) != AgeOfFile)
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
    if (!SavePendingCorrections())
        return;
    OpenDocument(path);
}

void TfC::FilesDropped(const QStringList& paths) {
    // A file that is not a text file is ignored, corrections and all; a text file is opened like one
    // from the open dialog.
    if (paths.isEmpty() || !hasTxtExtension(paths.constFirst()))
        return;
    if (SavePendingCorrections())
        OpenDocument(paths.constFirst());
}

} // namespace kopix
