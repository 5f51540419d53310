// The main window's life: building it, start-up, the close question, shut-down, and stepping out of
// stay-on-top while the program's own modal windows are open.
#include "mainwin/UfC.h"

#include "core/DocumentFile.h"
#include "core/FileSystem.h"
#include "core/PathRules.h"
#include "core/SettingsPlace.h"
#include "core/WindowGeometry.h"
#include "mainwin/ClipboardPanel.h"
#include "mainwin/Colors.h"
#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/DocumentWatcher.h"
#include "mainwin/Fonts.h"
#include "mainwin/Hints.h"
#include "mainwin/KopixApplication.h"
#include "mainwin/LineDelegate.h"
#include "mainwin/LineListModel.h"
#include "mainwin/LinkLauncher.h"
#include "mainwin/ModalWatcher.h"
#include "mainwin/PasteTarget.h"
#include "mainwin/StatusPanel.h"
#include "mainwin/ToolStrip.h"
#include "platform/Platform.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QMenu>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace kopix {

namespace {

ToolStrip* makeToolBar(const QString& name, QWidget* parent) {
    auto* bar = new ToolStrip(parent);
    bar->setObjectName(name);
    bar->setFixedHeight(TfC::ToolButtonSize.height());
    return bar;
}

} // namespace

TfC::TfC(Platform& platform, const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      m_platform(platform) {
    // The window manager answers while the window is built; the answer places it (ReadSettingsFile).
    m_platform.askFrameExtents(windowFlags());
    setObjectName(QStringLiteral("fC"));
    setWindowTitle(QStringLiteral("Kopix"));
    setFont(designFont(WindowFace, 14));
    m_hints = new HintController(this);
    CreateComponents();
    CreateActions();
    CreateMenus();
    SetUpCorrectionTab();
    ConnectCopyGesture();
    m_modalWatcher = new ModalWatcher([this] { AppEventModalBegin(); }, [this] { AppEventModalEnd(); }, this);
    m_watcher = new DocumentWatcher(this);
    connect(m_watcher, &DocumentWatcher::changed, this, &TfC::DocumentChangedOnDisk);
    FormCreate(arguments);
}

TfC::~TfC() {
    FormDestroy();
    m_correction->stopWatching();
}

void TfC::CreateComponents() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(true);

    TabCopy = new QWidget;
    TabCopy->setObjectName(QStringLiteral("TabCopy"));
    ToolBar1 = makeToolBar(QStringLiteral("ToolBar1"), TabCopy);

    LBox = new DocumentListView(TabCopy);
    LBox->setObjectName(QStringLiteral("LBox"));
    m_copyStrips = new CopyStrips(*LBox, *TabCopy,
                                  {[this]() -> const LineStore& { return lines(); },
                                   [this] { return m_linkLauncher->isLaunching(); },
                                   [this] { m_pasteTarget->afterCopy(); }, [this] { close(); }},
                                  this);
    Pnl1 = m_copyStrips->left();
    Pnl2 = m_copyStrips->right();
    m_model = new LineListModel(this);
    m_delegate = new LineDelegate(*m_model, this);
    m_delegate->setRules(&m_settings.value().rules);
    connect(&m_settings, &SettingsHolder::changed, this, &TfC::SettingsChanged);
    LBox->setModel(m_model);
    LBox->setItemDelegate(m_delegate);
    LBox->setFont(designFont(ListFace));
    LBox->setContextMenuPolicy(Qt::CustomContextMenu);
    // Opened after the drop has returned: the program that dragged the files waits for the drop to be
    // taken, and must not wait on a question or a message shown while opening.
    connect(LBox, &DocumentListView::filesDropped, this, &TfC::FilesDropped, Qt::QueuedConnection);

    auto* strips = new QHBoxLayout;
    strips->setContentsMargins(0, 0, 0, 0);
    strips->setSpacing(0);
    strips->addWidget(Pnl1);
    strips->addWidget(LBox, 1);
    strips->addWidget(Pnl2);
    auto* copyLayout = new QVBoxLayout(TabCopy);
    copyLayout->setContentsMargins(0, 0, 0, 0);
    copyLayout->setSpacing(0);
    copyLayout->addWidget(ToolBar1);
    copyLayout->addLayout(strips, 1);
    // The find bar goes under the list when it is first opened (ActFindExecute).
    PageControl1->addTab(TabCopy, QStringLiteral("転記"));

    TabNote = new QWidget;
    TabNote->setObjectName(QStringLiteral("TabNote"));
    ToolBar2 = makeToolBar(QStringLiteral("ToolBar2"), TabNote);
    auto* noteLayout = new QVBoxLayout(TabNote);
    noteLayout->setContentsMargins(0, 0, 0, 0);
    noteLayout->setSpacing(0);
    noteLayout->addWidget(ToolBar2);
    // The editor goes under the tool bar when it is first needed (CreateCorrectionEditor).
    PageControl1->addTab(TabNote, QStringLiteral("訂正"));
    setCentralWidget(PageControl1);

    SBar = new QStatusBar(this);
    SBar->setObjectName(QStringLiteral("SBar"));
    SBar->setFixedHeight(19);
    SBar->setSizeGripEnabled(true);
    SBar->setFont(designFont(ListFace, 14));
    {
        // Button text, as the bar's own font colour; the panels inherit it.
        QPalette palette = SBar->palette();
        palette.setColor(QPalette::WindowText, palette.color(QPalette::ButtonText));
        SBar->setPalette(palette);
    }
    // The panels draw their own bevels: none around the NumLock panel, a lowered one around the preview.
    auto* panels = new StatusPanelRow(SBar);
    panels->setObjectName(QStringLiteral("SBarPanels"));
    SBarPanels[0] = panels->addPanel(QStringLiteral("SBarPanel0"), 35);
    SBarPanels[0]->setFrameStyle(QFrame::NoFrame);
    SBarPanels[0]->setText(QStringLiteral(" Num"));
    SBarPanels[1] = panels->addPanel(QStringLiteral("SBarPanel1"), 0);
    SBarPanels[1]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    SBarPanels[1]->setLineWidth(1);
    setStatusBar(SBar);
    NameForScreenReaders();
    m_pasteTarget = new PasteTarget(
        m_platform, *this, *SBarPanels[1],
        [this](const QString& text) { MsgDlgCenter(text, MsgDlgType::Warning, mbOK, 0); }, this);

    m_clipboardPanel = new ClipboardPanel(
        m_platform, *SBarPanels[0], *SBarPanels[1], [this] { m_correction->UpdateEditActions(); }, this);
    m_linkLauncher = new LinkLauncher(
        *LBox, m_platform,
        {[this]() -> const LineStore& { return lines(); },
         [this](TColor colour) { m_copyStrips->PaintStrips(colour); },
         [this] { m_copyStrips->LinkLaunchEnded(); },
         [this](const QString& target, const QString& reason) { ReportNotOpened(target, reason); }},
        this);

    resize(DesignClientWidth, DesignClientHeight);
    move(0, 0);
}

void TfC::FormCreate(const QStringList& arguments) {
    // The program folder becomes the current folder. A relative document argument still means the folder
    // it was typed in, as everywhere else on this desktop.
    const QString firstArgument = absoluteArgumentPath(arguments.value(1));
    wDir = programFolder(arguments.value(0));
    changeCurrentFolder(wDir);
    wDirS = programFolderNoSlash(wDir);
    // Beside the program for a portable copy, in the user's folders for an installed one.
    m_place = settingsPlaceOfProgram(wDir);

    // The recent files start empty; the window cannot shrink below five tool buttons each way.
    m_usedFL.fillWithoutNotice({});
    setMinimumSize(minimumClientSize(BtnMenu->size()));

    // The settings.
    ReadSettingsFile();

    // Recent-file and bookmark slots, found by name.
    for (int i = 0; i < RecentFiles::Size; ++i)
        MRUL[size_t(i)] = findChild<QAction*>(QStringLiteral("ActF%1").arg(i));
    m_usedFL.setOnChanged([this] { OnUsedFLChange(); });
    OnUsedFLChange();
    for (int i = 0; i < int(SIL.size()); ++i)
        SIL[size_t(i)] = findChild<QAction*>(QStringLiteral("ActSI%1").arg(i));

    // The start document.
    if (!firstArgument.isEmpty())
        OpenRequested(firstArgument);
    if (m_model->rowCount() == 0 && !m_usedFL.entry(0).isEmpty())
        OpenDocument(m_usedFL.entry(0));
    if (m_model->rowCount() == 0)
        ShowNoDocument();

    // The strips show their own colour.
    m_copyStrips->SetSTS(copyState());
    // The copy tab is in front.
    PageControl1->setCurrentWidget(TabCopy);
    // The status bar follows the clipboard and NumLock from now on; double-clicked links open.
    m_linkLauncher->SetUpLinkLaunch();
    m_clipboardPanel->JoinClipboardViewer();
    // The session manager's end of the session reaches the application as a request to quit: while the
    // window is open, a close without questions, like a termination signal.
    if (auto* application = qobject_cast<KopixApplication*>(QCoreApplication::instance()))
        application->setQuitRequestHandler([this] {
            if (!isVisible() || m_sessionEnding)
                return false;
            CloseForSessionEnd();
            return true;
        });
}

void TfC::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TfC::FormShow() {
    // The window was fitted before it had a frame; where the desktop already gave it one, fit the frame too.
    FitToWorkArea(this);
    LBox->setFocus();
    // Close requests reach the native window first (eventFilter).
    windowHandle()->installEventFilter(this);
    // Pasting into other windows and the global key, once the window shows: what cannot be is told over it.
    QTimer::singleShot(0, this, [this] {
        if (!m_kopixRejected.isEmpty())
            MsgDlgCenter(settingsFilePath() +
                             QStringLiteral(" の [Kopix] の次の値は使えないため、既定の値にしました。\r\n") +
                             m_kopixRejected.join(QStringLiteral("\r\n")),
                         MsgDlgType::Warning, mbOK, 0);
        ApplyKopixOptions();
    });
}

bool TfC::eventFilter(QObject* watched, QEvent* event) {
    // Qt lets a close request from the desktop through to a window whose own close is under way, even past
    // the question that close is asking, and then ends the program without it: the question must decide.
    if (watched == windowHandle() && event->type() == QEvent::Close && m_closeAsking) {
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfC::closeEvent(QCloseEvent* event) {
    const QScopedValueRollback asking(m_closeAsking, true);
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    // Taken now, while the window still has its frame; written at exit.
    m_rectAtClose = m_platform.normalRectangle(this);
    event->accept();
}

bool TfC::FormCloseQuery() {
    // At a logout nothing may wait for an answer, and the close cannot be refused.
    if (m_sessionEnding) {
        m_correction->SaveCorrectionsUnasked();
        return true;
    }
    if (m_platform.isOnRemovableDrive(currentFolder()) &&
        MsgDlgCenter(QStringLiteral("終了していいですか？。"), MsgDlgType::Confirmation, mbOK | mbIgnore,
                     0) == mrIgnore)
        return false;
    return m_correction->CloseQuery();
}

void TfC::FormDestroy() {
    if (auto* application = qobject_cast<KopixApplication*>(QCoreApplication::instance()))
        application->setQuitRequestHandler({});
    // Before anything can open a box (and with it an event loop) on a window that is going away.
    m_clipboardPanel->LeaveClipboardViewer();
    SaveSettings();
}

void TfC::SaveSettings() {
    // Another Kopix runs with the same settings file, and writes it when it ends.
    if (m_independentCopy)
        return;
    // A portable copy whose folder has gone (a drive taken out) writes nothing and says nothing.
    if (m_place.portable && !folderExists(wDir))
        return;
    // An installed one makes its settings folder the first time; should that fail, the settings are not
    // written, which the user must hear of.
    QString reason;
    if (!m_place.portable && !makeFolderPath(folderPart(m_place.settingsFile), &reason)) {
        SettingsNotWritten(reason);
        return;
    }
    WriteSettingsFile();
}

void TfC::AppEventModalBegin() {
    m_platform.setStayOnTop(this, false);
}

void TfC::AppEventModalEnd() {
    m_platform.setStayOnTop(this, true);
}

int TfC::MsgDlgCenter(const QString& msg, MsgDlgType dlgType, MsgDlgButtons buttons, int helpCtx) {
    MessageRequest request;
    request.text = msg;
    request.type = dlgType;
    request.buttons = buttons;
    request.helpContext = helpCtx;
    // Before the window manager has framed the window (a box shown while starting), the restored outer
    // rectangle: the position and the frame the window manager said it would put around the window.
    const QWindow* handle = windowHandle();
    const bool framed = handle && isVisible() && !handle->frameMargins().isNull();
    request.place = messageBoxPlace(framed ? outerRect(this) : outerRectNow());
    request.owner = this;
    return m_platform.showMessage(request);
}

QRect TfC::outerRect(const QWidget* w) {
    // The native window knows its frame as soon as the window manager has framed it; QWidget's own
    // frame geometry can lag behind that.
    if (const QWindow* handle = w->windowHandle(); handle && w->isVisible())
        return handle->frameGeometry();
    return w->frameGeometry();
}

QMargins TfC::frameMargins() const {
    // Once the window is framed the native window knows its frame; before, the window manager's answer
    // to the question asked at start-up.
    if (const QWindow* handle = windowHandle(); handle && isVisible() && !handle->frameMargins().isNull())
        return handle->frameMargins();
    return m_frame;
}

QRect TfC::outerRectNow() const {
    // A top-level's position is its frame's, also while Qt does not know the frame yet.
    return QRect(pos(), size().grownBy(frameMargins()));
}

void TfC::placeOuterRect(const QRect& outer) {
    const QSize client = outer.size().shrunkBy(frameMargins());
    if (client != size())
        resize(client);
    move(outer.topLeft());
}

void TfC::FitToWorkArea(QWidget* f) {
    // The main window is the only window fitted; its frame must end inside the work area too.
    if (f != this)
        return;
    const QRect outer = outerRectNow();
    const QRect fitted = fitToWorkArea(outer, rcTV);
    if (fitted != outer)
        placeOuterRect(fitted);
}

void TfC::RowHeight() {
    const int height = QFontMetrics(LBox->font()).height();
    if (height > 0 && height != m_delegate->rowHeight()) {
        m_delegate->setRowHeight(height);
        // The view caches the uniform row size; a new layout picks the new height up.
        Q_EMIT m_delegate->sizeHintChanged(QModelIndex());
        LBox->doItemsLayout();
    }
}

void TfC::ApplyListFont(int pointSize) {
    QFont font = LBox->font();
    font.setPointSize(pointSize);
    LBox->setFont(font);
    RowHeight();
    m_correction->setListFont(LBox->font());
}

QString TfC::settingsFilePath() const {
    return m_place.settingsFile;
}

} // namespace kopix
