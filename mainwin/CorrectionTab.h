#pragma once

#include "core/CorrectionLimits.h"
#include "core/DocumentFile.h"
#include "core/TextCodec.h"
#include "platform/MessageBox.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QFont;
class QKeyEvent;
class QMenu;
class QTabWidget;
class QWidget;

namespace kopix {

class CorrectionEditor;
struct EditorViewPlace;
class DocumentListView;
class LineStore;
class Platform;
struct PastePlace;

// The file on display as it was read: what a correction is written over, and what tells whether another
// program wrote it since.
struct LoadedFile {
    QString path;
    TextEncoding encoding = TextEncoding::Utf8;
    bool decodedCleanly = true;
    qint64 size = -1;
    std::optional<qint64> modified; // AgeOfFile: the last-modification time the file had when read
};

// The correction tab: the document as plain text in the editor (Memo1). Leaving the tab writes the
// corrections over the file, and the list reads it again. The tab owns the editor and its commands, the
// save with its questions, the save without questions at the end of a session, and the recovery copies
// that keep corrections no file could take.
class CorrectionTab : public QObject {
    Q_OBJECT
public:
    // The window's commands the tab runs and enables.
    struct Commands {
        QAction* note;   // ActNote: whether there is a document to correct
        QAction* sync;   // EditSync
        QAction* undo;   // EditUndo1
        QAction* cut;    // EditCut1
        QAction* copy;   // EditCopy1
        QAction* paste;  // EditPaste1
        QAction* remove; // EditDelete1
        QMenu* menu;     // PupMemo
    };
    // What the tab asks of the window.
    struct Window {
        std::function<const LineStore&()> lines;
        // A message box over the window; its answer.
        std::function<int(const QString& text, MsgDlgType type, MsgDlgButtons buttons)> ask;
        // The error box over the window.
        std::function<void(const QString& text)> showError;
        // A note in the status bar.
        std::function<void(const QString& text)> note;
        // After a save: the list shows the file as written (`saved`, when reading the file back would give
        // just that) with topLine at its top.
        std::function<void(int topLine, std::optional<LoadedDocument> saved)> showSaved;
        // The file may have changed on disk while the corrections held it back.
        std::function<void()> recheckDisk;
        // A key of the editor that may belong to a command of its menu or of the window.
        std::function<bool(QKeyEvent* event)> routeKey;
        std::function<bool()> clipboardHasText;
    };
    // Who answers the questions a save may have to ask.
    enum class Asking { User, Nobody };

    CorrectionTab(Platform& platform, QTabWidget& tabs, QWidget& copyTab, QWidget& noteTab,
                  DocumentListView& list, Commands commands, Window window, QObject* parent = nullptr);

    // Null until the editor is first needed.
    CorrectionEditor* editor() const { return Memo1; }
    // The correction editor, made and given the lines when first needed.
    CorrectionEditor* correctionEditor();
    bool correctionsPending() const;
    // Where the editor shows the document while the user is on the tab with the lines on display; none
    // elsewhere. A reread keeps it.
    std::optional<EditorViewPlace> editorPlace() const;
    // The editor draws its text in the list's font.
    void setListFont(const QFont& font);

    // A document is shown: the file as read, and whether the editor can take its lines (else the tab
    // says why and, once, the status bar).
    void documentShown(const LoadedFile& file);
    void BarCorrections(CorrectionBar bar, const LineStore& lines);
    CorrectionBar bar() const { return m_correctionBar; }
    // The list got other lines: the editor gets them when it is next needed.
    void linesReplaced();
    const LoadedFile& loadedFile() const { return m_loaded; }
    // A document is about to be read: what the last save kept for the list is not needed any more.
    void forgetSavedDocument() { m_savedDocument.reset(); }
    // Whether another program wrote the file since it was read (time or size moved).
    bool fileChangedSinceLoad() const;
    // The file changed on disk while corrections are pending: the tab says so (訂正（更新あり）).
    void markChangedOnDisk();

    // Writes the corrections to the document on display; false when they were not written (the user
    // declined, or the write failed), and then they are still pending. With nobody to ask, a save that
    // would need a question is not made. *declined tells that a question was answered "無視".
    bool SaveCorrections(Asking asking = Asking::User, bool* declined = nullptr);
    // Before another document replaces the editor's text: true when nothing is pending or it was saved.
    bool SavePendingCorrections();
    // Saves pending corrections without asking: to the document when no question is needed and the write
    // succeeds, else to a recovery copy beside it (or in the data folder). True when they are safe
    // somewhere; `wroteDocument` tells which.
    bool SaveCorrectionsUnasked(bool* wroteDocument = nullptr);
    // The session manager asks for everything to be saved now: as SaveCorrectionsUnasked, and the editor
    // keeps its place, should the logout be cancelled.
    void CommitCorrections();
    // The window is asked to close: true when the corrections are written or kept somewhere, or the user
    // lets them go.
    bool CloseQuery();
    // Whether corrections were lost because no file could take them at a close without questions.
    bool correctionsLost() const { return m_correctionsLost; }
    // The window is being destroyed: the editor and the tab bar go before this part does, and what they
    // send on their way out (the editor's last focus change) is no longer followed.
    void stopWatching();

    // The tab's handlers.
    void PageControl1Change();
    void EditSyncExecute();
    void EditSyncUpdate();
    // The edit commands' enabled states, from the editor's focus, selection, undo history and the
    // clipboard as last seen.
    void UpdateEditActions();
    void EditUndo1Execute();
    void EditCut1Execute();
    void EditPaste1Execute();
    void EditDelete1Execute();
    // The middle button in the editor: the primary selection pasted where it was pressed.
    void MemoPastePrimary(qsizetype position);

protected:
    // The editor's keys and focus; the tab bar's hints.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Makes the editor the first time it is needed: the tab is opened, or its text or state is asked for.
    // Most sessions only copy, and the editor is the costliest part of the window to build.
    void CreateCorrectionEditor();
    void NameEditorForScreenReaders();
    // A key in the editor that belongs to an edit command; true when it was taken.
    bool editorKeyEvent(QKeyEvent* event);
    // A paste's text, come from the clipboard or the primary selection, put where it was asked for.
    void PasteWhereAsked(const PastePlace& place, const QString& text);
    // After the corrections were written: the list shows the file as written with topLine at its top, and
    // the editor counts as unchanged.
    void ShowSavedDocument(int topLine);
    // Writes the corrections to a new file beside the document, or in the data folder; its path, or
    // empty when no copy could be made anywhere.
    QString KeepRecoveryCopy(const QString& text);
    // The tabs' tool tips are for screen readers only: no hint shows over them, but for the correction tab
    // of a document that cannot be corrected, which tells why.
    bool IsTabHint(const QEvent* event) const;
    bool onNoteTab() const;
    // The editor's first visible line is the list's top row, the caret at its start, the focus in it.
    void showListPlace();

    Platform& m_platform;
    QTabWidget& m_tabs;
    QObject* m_tabBar; // watched for its hints
    QWidget& m_copyTab;
    QWidget& m_noteTab;
    DocumentListView& m_list;
    Commands m_commands;
    Window m_window;
    CorrectionEditor* Memo1 = nullptr;
    bool m_memoStale = false; // the editor has not been given the current lines yet
    CorrectionBar m_correctionBar = CorrectionBar::None;
    LoadedFile m_loaded;
    // What the last correction save wrote, when reading the file back would give just that.
    std::optional<LoadedDocument> m_savedDocument;
    QString m_recoveredText;        // the corrections last kept in a recovery copy
    QString m_recoveredPath;        // and where
    bool m_correctionsLost = false; // a close without questions could keep them nowhere
};

} // namespace kopix
