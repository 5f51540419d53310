#pragma once

#include "core/AppSettings.h"
#include "core/DocumentFile.h"
#include "core/LineStore.h"
#include "core/RecentFiles.h"
#include "core/SettingsHolder.h"
#include "core/SettingsPlace.h"
#include "mainwin/CopyStrips.h"
#include "mainwin/CorrectionTab.h"
#include "platform/MessageBox.h"

#include <QHash>
#include <QMainWindow>
#include <QMargins>
#include <QRect>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QMenu;
class QKeyEvent;
class QStatusBar;
class QTabWidget;
class QToolButton;
class QFrame;

namespace kopix {

class Platform;
class LineListModel;
class LineDelegate;
class DocumentListView;
class ModalWatcher;
class CorrectionEditor;
class StatusPanel;
class HintController;
class ToolStrip;
class DocumentWatcher;
class FindBar;
class PasteTarget;
class LinkLauncher;
class ClipboardPanel;

// The settings dialog as the window knows it: made by the program entry after the window, shown by the
// settings command.
class SettingsDialog {
public:
    virtual ~SettingsDialog() = default;
    // Selects the first page and shows the dialog modally.
    virtual void ShowOnFirstPage() = 0;
};

// The main window: the list of the document's lines between two copy strips, the correction editor on a
// second tab, the status bar. It owns all of the program's state.
class TfC : public QMainWindow {
    Q_OBJECT
public:
    // arguments[0] is the executable's path, arguments[1] (if any) the document to open. The constructor
    // runs the whole start-up; show the window right after it.
    TfC(Platform& platform, const QStringList& arguments, QWidget* parent = nullptr);
    ~TfC() override;

    // Design sizes, in pixels.
    static constexpr int DesignClientWidth = 286;
    static constexpr int DesignClientHeight = 288;
    static constexpr QSize ToolButtonSize{23, 22};

    // Sets the list's row height from its font.
    void RowHeight();
    // Every message box of the main window goes through here, placed over the window.
    int MsgDlgCenter(const QString& msg, MsgDlgType dlgType, MsgDlgButtons buttons, int helpCtx);
    // Pulls the window, frame included, into the work area fixed at start-up.
    void FitToWorkArea(QWidget* f);
    // A window's rectangle with its frame, in screen coordinates.
    static QRect outerRect(const QWidget* w);

    // Loads a document; the central operation behind every way of opening one.
    void OpenDocument(const QString& path);
    void OpenIfTxt(const QString& path);
    // The document the user named when starting Kopix: opened as OpenIfTxt does, and a file that is not
    // .txt is named in the status bar as not opened.
    void OpenRequested(const QString& path);

    // Kopix was started again with the same settings file (anotherstart.cpp): the window comes to the
    // front and opens the document as Ctrl+O would ("" or a file that is not .txt: nothing is opened).
    void OpenFromAnotherStart(const QString& document);
    // This Kopix runs beside another one with the same settings file (--new-window): it leaves the
    // settings file to that one, and says so in its title.
    void setIndependentCopy();

    // The settings dialog the settings command shows (none until the program entry makes it).
    void setSettingsDialog(SettingsDialog* dialog) { m_settingsDialog = dialog; }
    // Or the way to make it when the command first asks for it, so that start-up does not build a dialog
    // most sessions never open.
    void setSettingsDialogMaker(std::function<SettingsDialog*()> make) {
        m_makeSettingsDialog = std::move(make);
    }
    // Help at a context number (the settings dialog's help too).
    void showHelp(int context);
    // Tells the user that a file, folder or web page could not be handed to a program of the desktop, and
    // why, or that a program could not be started; without it nothing would happen at all.
    void ReportNotOpened(const QString& target, const QString& reason);
    void ReportNotStarted(const QString& program);
    // The hints of the window, which the settings dialog's controls show too.
    HintController& hints() { return *m_hints; }

    // The application title: the caption shown on the task bar and on the error box.
    QString applicationTitle() const { return m_applicationTitle; }
    // The path of the document on display ("" when none): where corrections are saved.
    QString displayedDocumentPath() const { return m_correction->loadedFile().path; }
    bool displayedDocumentDecodedCleanly() const { return m_correction->loadedFile().decodedCleanly; }
    const LineStore& lines() const;
    // The correction editor (Memo1 on the correction tab): null until first needed.
    CorrectionEditor* Memo1() const { return m_correction->editor(); }
    // The correction editor, made and given the lines when first needed.
    CorrectionEditor* correctionEditor() { return m_correction->correctionEditor(); }
    bool correctionsPending() const { return m_correction->correctionsPending(); }
    TSTS copyState() const { return m_copyStrips->state(); }
    QRect rcTV; // work area of the screen nearest the window, fixed at start-up

    // The settings, read at start and written at exit; the settings dialog hands back a changed copy, and
    // the list, its rules and the paste target follow at once.
    const Settings& settings() const { return m_settings.value(); }
    void setSettings(const Settings& settings) { m_settings.set(settings); }
    // Pasting into the window the user came from, and the global key.
    PasteTarget& pasteTarget() { return *m_pasteTarget; }

    // Components other parts of the program (and tests) reach by name.
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabCopy = nullptr;
    QWidget* TabNote = nullptr;
    DocumentListView* LBox = nullptr;
    QFrame* Pnl1 = nullptr;
    QFrame* Pnl2 = nullptr;
    QStatusBar* SBar = nullptr;
    std::array<StatusPanel*, 2> SBarPanels{};
    ToolStrip* ToolBar1 = nullptr;
    ToolStrip* ToolBar2 = nullptr;
    QToolButton* BtnMenu = nullptr;
    QToolButton* BtnRireki = nullptr;
    QToolButton* BtnSiori = nullptr;
    QToolButton* BtnShukugen = nullptr;
    QToolButton* BtnShukugen2 = nullptr;
    QMenu* PupMenu = nullptr;
    QMenu* PupFiles = nullptr;
    QMenu* PopShiori = nullptr;
    QMenu* PupMemo = nullptr;

    QAction* FileOpen = nullptr;
    QAction* ActNote = nullptr;
    QAction* ActRefresh = nullptr;
    QAction* ActFolder = nullptr;
    QAction* ActSettei = nullptr;
    QAction* ActShukuGen = nullptr;
    QAction* ActHelp = nullptr;
    QAction* ActExit = nullptr;
    QAction* ActFNasi = nullptr;
    QAction* ActSINasi = nullptr;
    QAction* EditSync = nullptr;
    QAction* EditUndo1 = nullptr;
    QAction* EditCut1 = nullptr;
    QAction* EditCopy1 = nullptr;
    QAction* EditPaste1 = nullptr;
    QAction* EditDelete1 = nullptr;

    const RecentFiles& UsedFL() const { return m_usedFL; }
    QString wDir;
    QString wDirS;
    int TopI = 0;
    int FukugenWidth = 0;
    int FukugenHeight = 0;

    // Commands (handlers keep their names).
    void ActRefreshExecute();
    void FileOpenExecute();
    void FileOpenAccept(const QString& path);
    // A recent-files slot (0 to 9) chosen.
    void ActF0Execute(int slot);
    void ActSI0Execute(QAction* sender);
    void ActMenuExecute();
    void ActNoteExecute();
    void ActFolderExecute();
    void ActShukuGenExecute();
    void ActSetteiExecute();
    void ActHelpExecute();
    void ActExitExecute();
    bool isShrunk() const { return m_shrunk; }
    void BtnRirekiClick();
    void BtnSioriClick();
    void ActSelAllExecute();
    void EditCopy1Execute();
    // Opens the find bar under the list (find.cpp).
    void ActFindExecute();
    // Null until the find bar is first opened.
    FindBar* findBar() const { return m_findBar; }

    // The session ends (logging off) or the program was told to stop (a signal), and nobody is there to
    // answer a question (sessionend.cpp). Every box and dialog gives up as if cancelled, the corrections
    // are saved without a question, and the window closes, which ends the program.
    void CloseForSessionEnd();
    // The session manager asks for everything to be saved now, corrections and settings, without a
    // question; the program goes on, since the logout may still be cancelled.
    void CommitSessionData();
    // The display has gone (the X server ended, as a session without a session manager ends) and the
    // program is ending at once: the corrections and the settings are written, files only.
    void SaveForLostDisplay();
    // Whether corrections were lost because no file could take them at a close without questions: the
    // program then ends with a failure status.
    bool correctionsLost() const { return m_correction->correctionsLost(); }

protected:
    void showEvent(QShowEvent* event) override;
    // A close request while a close is asking its questions is ignored.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Start-up and shut-down.
    void FormCreate(const QStringList& arguments);
    void FormShow();
    bool FormCloseQuery();
    void FormDestroy();
    void AppEventModalBegin();
    void AppEventModalEnd();
    void ReadSettingsFile();
    void WriteSettingsFile();
    // The parts of the window that follow a changed setting.
    void SettingsChanged(const Settings& before);
    // The list's font at a size from the settings, with the row height that follows from it; the editor
    // draws its text in the same font.
    void ApplyListFont(int pointSize);
    // Puts the [Kopix] options to work (a change, and the start); tells the user what cannot be.
    void ApplyKopixOptions();
    // Tells the user that the settings file cannot be written, and why.
    void SettingsNotWritten(const QString& reason);
    // Writes the settings file where there is a place for it.
    void SaveSettings();
    // The window's frame: the native window's once it is framed, else what the desktop said ahead.
    QMargins frameMargins() const;
    QRect outerRectNow() const;
    // Gives the window an outer rectangle (frame included).
    void placeOuterRect(const QRect& outer);

    // Building the window.
    void CreateComponents();
    void CreateActions();
    void CreateMenus();
    // Names and descriptions for screen readers (accessibility.cpp).
    void NameForScreenReaders();
    // Makes the correction tab's part, once the commands are there.
    void SetUpCorrectionTab();
    // Where a key pressed in a control goes: its menu's commands first, then the window's; true when it
    // was taken from the control.
    bool RouteKey(QKeyEvent* event, QMenu* controlMenu);
    // Opens a control's menu by its caret (the list's current row, the editor's cursor), as the menu key
    // does; Shift+F10 comes here.
    void PopupFromKeyboard(QMenu* controlMenu);
    // Drops a menu down from a tool button.
    void DropDown(QMenu* menu, QToolButton* button);
    QAction* makeAction(const QString& name, const QString& caption);

    // Documents.
    void ShowNoDocument();
    void SetDocCaption(const QString& name);
    void EnableDocActions(bool enabled);
    void ShowLines(LineStore lines);
    void FilesDropped(const QStringList& paths);
    // Closes every modal box and dialog and every open menu, as if cancelled.
    void CancelModalWindows();
    // After the corrections were written: the list shows the file as written (`saved`, else read again)
    // with topLine at its top.
    void ShowSavedDocument(int topLine, std::optional<LoadedDocument> saved);
    // Shows a document read (or just written) from path: the list, caption, recent files, bookmarks.
    void ShowDocument(const QString& path, LoadedDocument document);
    // The document changed on disk (diskfollow.cpp): read again as F4 does, unless corrections are
    // pending; a file that has gone is marked in the title.
    void DocumentChangedOnDisk();
    void OnUsedFLChange();
    // Fills the 26 bookmark commands from the lines just loaded.
    void ScanBookmarks();

    void ConnectCopyGesture();
    QString settingsFilePath() const;

    Platform& m_platform;
    SettingsHolder m_settings;
    RecentFiles m_usedFL;
    std::array<QAction*, RecentFiles::Size> MRUL{};
    std::array<QAction*, 26> SIL{};
    LineListModel* m_model = nullptr;
    LineDelegate* m_delegate = nullptr;
    ModalWatcher* m_modalWatcher = nullptr;
    HintController* m_hints = nullptr;
    SettingsDialog* m_settingsDialog = nullptr;
    std::function<SettingsDialog*()> m_makeSettingsDialog;
    QHash<QMenu*, QList<QAction*>> m_menuCommands; // the commands each popup menu shows
    QString m_applicationTitle = QStringLiteral("Kopix");
    bool m_shown = false;
    bool m_shrunk = false;
    bool m_sessionEnding = false;       // closing for a logout or a signal: no questions any more
    bool m_closeAsking = false;         // a close is under way and may be asking a question
    std::optional<QRect> m_rectAtClose; // the window's rectangle when the close was accepted, written at exit
    QMargins m_frame;                   // the frame the desktop said it would put around the window
    SettingsPlace m_place;              // where the settings file and the first-run sample live
    DocumentWatcher* m_watcher = nullptr;   // follows the document on display on disk
    FindBar* m_findBar = nullptr;           // finds a text in the list
    PasteTarget* m_pasteTarget = nullptr;   // the window the user came from: pasting there, the global key
    CopyStrips* m_copyStrips = nullptr;     // the copy gesture, its state and the strips
    CorrectionTab* m_correction = nullptr;  // the correction tab: the editor, its commands and the save
    LinkLauncher* m_linkLauncher = nullptr; // double-clicked http rows to the browser
    ClipboardPanel* m_clipboardPanel = nullptr; // the status bar follows the clipboard and NumLock
    QStringList m_kopixRejected;                // [Kopix] values of the settings file that made no sense
    bool m_independentCopy = false;             // another Kopix writes the settings file
    bool m_firstRun = false;                    // the settings file held none of the window's settings
};

} // namespace kopix
