// The correction tab's saves: over the document with the questions a save may ask, without questions at
// the end of a session, and the recovery copies that keep corrections no file could take.
#include "mainwin/CorrectionTab.h"

#include "core/DocumentSave.h"
#include "core/FileSystem.h"
#include "core/FileWriter.h"
#include "core/PathRules.h"
#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"

#include <QDateTime>
#include <QDebug>

#include <utility>

namespace kopix {

bool CorrectionTab::SaveCorrections(Asking asking, bool* declined) {
    // Every question here has the same way out: "無視" writes nothing and keeps the corrections, and whoever
    // asked for the save stops. Nobody to ask counts as "無視".
    const QString keep = tr("\r\n「無視」では書き込まず、訂正はそのまま残ります。");
    const auto ask = [this, asking, declined](const QString& question) {
        if (asking == Asking::Nobody) {
            qWarning().noquote() << question.section(QStringLiteral("\r\n"), 0, 0);
            return false;
        }
        const bool yes = m_window.ask(question, MsgDlgType::Confirmation, mbOK | mbIgnore) == mrOk;
        if (!yes && declined)
            *declined = true;
        return yes;
    };
    m_savedDocument.reset();
    const QString& path = m_loaded.path;
    const QString name = fileNamePart(path);
    QString text = correctionEditor()->wholeText();

    // Another program may have written the file since it was read; its changes would be lost.
    const bool changedOnDisk = fileChangedSinceLoad();
    if (changedOnDisk &&
        !ask(name +
             tr(" は、読み込んだ後にほかのプログラムで書き換えられています。\r\n訂正を書き込む"
                "と、その変更は失われます。") +
             keep))
        return false;

    // The file as it is on disk gives the bytes of every line the user left alone; the file as loaded, when
    // it is still the one on disk and its bytes are those its text encodes to, gives them without a read.
    TextEncoding encoding = m_loaded.encoding;
    std::optional<QByteArray> onDisk;
    std::optional<CorrectionSave> plain;
    if (!changedOnDisk && fileExists(path))
        plain = planPlainCorrectionSave(text, encoding, m_loaded.decodedCleanly, Memo1->utf8Text());
    if (!plain)
        onDisk = readRegularFile(path, documentSizeLimit()).bytes;
    CorrectionSave save =
        plain ? std::move(*plain)
              : planCorrectionSave(text, encoding, onDisk, m_loaded.encoding, m_loaded.decodedCleanly);
    if (save.unrepresentable >= 0) {
        // Rather than lose the character, the whole file may go over to UTF-8.
        if (!ask(unrepresentableText(text, save.unrepresentable) +
                 tr("。\r\nファイル全体を UTF-8 で書き込みますか？") + keep))
            return false;
        encoding = TextEncoding::Utf8;
        save = planCorrectionSave(text, encoding, onDisk, m_loaded.encoding, m_loaded.decodedCleanly);
    }
    if (save.losesUnreadable &&
        !ask(name +
             tr(" には読めなかった文字があります。\r\n訂正を書き込むと、その文字は置き換えられます。") +
             keep))
        return false;
    // What follows a NUL was never shown; it stays unless the row holding it changed.
    if (save.dropsHiddenTail &&
        !ask(name +
             tr(" には、NUL "
                "文字の後に表示されていない部分があります。\r\n訂正を書き込むと、その部分は削除されます。") +
             keep))
        return false;

    QString reason;
    if (!writeFileSafely(path, save.bytes, &reason)) {
        if (asking == Asking::Nobody) {
            qWarning().noquote() << QStringLiteral("%1 に書き込めません: %2").arg(path, reason);
            return false;
        }
        m_window.showError(errorBoxText(tr("%1 に書き込めません").arg(path)) + QStringLiteral("\r\n") +
                           reason);
        return false;
    }
    m_loaded.encoding = encoding;
    // The list can take the text just written rather than read and decode the file again.
    if (save.readsBackAsText) {
        m_savedDocument = LoadedDocument{LineStore::fromText(std::move(text)), encoding, true,
                                         fileModifiedTime(path), qint64(save.bytes.size())};
    }
    return true;
}

bool CorrectionTab::fileChangedSinceLoad() const {
    // A file that is gone is written anew; one whose time or size moved was written by someone else.
    if (!fileExists(m_loaded.path))
        return false;
    return fileModifiedTime(m_loaded.path) != m_loaded.modified || fileSize(m_loaded.path) != m_loaded.size;
}

bool CorrectionTab::SavePendingCorrections() {
    return !correctionsPending() || SaveCorrections();
}

bool CorrectionTab::SaveCorrectionsUnasked(bool* wroteDocument) {
    if (wroteDocument)
        *wroteDocument = false;
    if (!correctionsPending())
        return true;
    if (fileExists(m_loaded.path) && SaveCorrections(Asking::Nobody)) {
        if (wroteDocument)
            *wroteDocument = true;
        return true;
    }
    if (!KeepRecoveryCopy(correctionEditor()->text()).isEmpty())
        return true;
    // Nobody is there to tell but whoever reads the program's output, and the exit status.
    m_correctionsLost = true;
    qWarning().noquote() << QStringLiteral("訂正はどこにも保存できませんでした。");
    return false;
}

void CorrectionTab::CommitCorrections() {
    bool wroteDocument = false;
    if (!SaveCorrectionsUnasked(&wroteDocument) || !wroteDocument)
        return;
    // As after any save: the list shows the file as written. The editor keeps its place, should the
    // logout be cancelled.
    const bool editing = onNoteTab();
    const CorrectionEditor::ViewPlace place = Memo1->viewPlace();
    ShowSavedDocument(editing ? place.firstLine : m_list.topRow());
    if (editing)
        correctionEditor()->restoreViewPlace(place);
}

bool CorrectionTab::CloseQuery() {
    if (!correctionsPending())
        return true;
    if (fileExists(m_loaded.path))
        return SaveCorrections();
    // The document is gone (deleted, its drive taken out): its name is not written again, and the
    // corrections are not thrown away either, unless the user says so.
    const QString name = fileNamePart(m_loaded.path);
    if (const QString copy = KeepRecoveryCopy(correctionEditor()->text()); !copy.isEmpty()) {
        m_window.ask(name + tr(" が見つからないため、訂正は次のファイルに保存しました。\r\n") + copy,
                     MsgDlgType::Information, mbOK);
        return true;
    }
    return m_window.ask(name + tr(" が見つからず、訂正はどこにも保存できませんでした。\r\n"
                                  "終了すると訂正は失われます。\r\n「無視」では終了しません。"),
                        MsgDlgType::Warning, mbOK | mbIgnore) == mrOk;
}

QString CorrectionTab::KeepRecoveryCopy(const QString& text) {
    // Saved once already (the session manager asked before the close): the copy is there.
    if (!m_recoveredText.isNull() && text == m_recoveredText)
        return m_recoveredPath;
    const QDateTime now = QDateTime::currentDateTime();
    // Beside the document, where its owner looks first; where that cannot be written (read-only, full, or
    // gone: a folder taken away with its drive is not made again), in the program's data folder.
    const QString beside = folderPart(m_loaded.path);
    const QString dataFolder = spareCopyFolder();
    for (const QString& folder : {beside, dataFolder}) {
        if (folder.isEmpty() || (folder == beside ? !folderExists(folder) : !makeFolderPath(folder)))
            continue;
        const QString path = recoveryCopyPath(folder, m_loaded.path, now);
        QString reason;
        if (writeFileSafely(path, text.toUtf8(), &reason)) {
            m_recoveredText = text;
            m_recoveredPath = path;
            qWarning().noquote() << QStringLiteral("訂正は %1 に残しました。").arg(path);
            return path;
        }
        qWarning().noquote() << QStringLiteral("%1 に書き込めません: %2").arg(path, reason);
    }
    return QString();
}

} // namespace kopix
