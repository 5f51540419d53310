// The popup menus and the tool buttons that drop them down, each built in one place from a table.
#include "mainwin/UfC.h"

#include "core/WindowGeometry.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/Icons.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

#include <span>

namespace kopix {

namespace {

// One item of a menu: an action by name, a separator, a submenu, or a family of slot actions (the
// family's name followed by the slot numbers from 0 to count - 1).
struct MenuItem {
    enum class Kind { Action, Separator, Submenu, Family };
    Kind kind;
    const char16_t* name = nullptr;   // separators and submenus carry it as their objectName
    const char16_t* target = nullptr; // the action, the family's name, or the submenu's caption
    int count = 0;                    // how many slots a family has
    std::span<const MenuItem> submenu = {};
    QIcon (*icon)() = nullptr; // a submenu's image
};

using K = MenuItem::Kind;

// The recent files (submenu mRireki and menu PupFiles) and the bookmarks (mSiori and PopShiori).
const MenuItem recentFileItems[] = {
    {K::Family, nullptr, u"ActF", RecentFiles::Size},
    {K::Action, nullptr, u"ActFNasi"},
};
const MenuItem bookmarkItems[] = {
    {K::Family, nullptr, u"ActSI", 26},
    {K::Action, nullptr, u"ActSINasi"},
};
// The editor's menu.
const MenuItem editorMenuItems[] = {
    {K::Action, nullptr, u"EditSync"},
    {K::Action, nullptr, u"EditUndo1"},
    {K::Separator, u"N2"},
    {K::Action, nullptr, u"EditCut1"},
    {K::Action, nullptr, u"EditCopy1"},
    {K::Action, nullptr, u"EditPaste1"},
    {K::Action, nullptr, u"EditDelete1"},
};
// The main menu, as far as its commands are built.
const MenuItem mainMenuItems[] = {
    {K::Action, nullptr, u"FileOpen"},
    {K::Submenu, u"mRireki", u"最近開いた文書(&R)", 0, recentFileItems, &recentFilesIcon},
    {K::Action, nullptr, u"ActRefresh"},
    {K::Separator, u"N3"},
    {K::Submenu, u"mSiori", u"☆ 含む行にジャンプ(&J)", 0, bookmarkItems, &bookmarksIcon},
    {K::Action, nullptr, u"ActSelAll"},
    {K::Separator, u"N6"},
    {K::Action, nullptr, u"ActExit"},
};

// A menu of the items, its actions found by name among the window's.
QMenu* buildMenu(const QObject& window, const QString& name, std::span<const MenuItem> items,
                 QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(name);
    for (const MenuItem& item : items) {
        const QString target = QString::fromUtf16(item.target);
        switch (item.kind) {
        case K::Action:
            menu->addAction(window.findChild<QAction*>(target));
            break;
        case K::Separator:
            menu->addSeparator()->setObjectName(QString::fromUtf16(item.name));
            break;
        case K::Family:
            for (int slot = 0; slot < item.count; ++slot)
                menu->addAction(window.findChild<QAction*>(target + QString::number(slot)));
            break;
        case K::Submenu: {
            QMenu* submenu = buildMenu(window, QString::fromUtf16(item.name), item.submenu, menu);
            submenu->setTitle(target);
            submenu->setIcon(item.icon());
            submenu->menuAction()->setObjectName(submenu->objectName());
            menu->addMenu(submenu);
            break;
        }
        }
    }
    return menu;
}

} // namespace

void TfC::CreateMenus() {
    PupMenu = buildMenu(*this, QStringLiteral("PupMenu"), mainMenuItems, this);
    PupFiles = buildMenu(*this, QStringLiteral("PupFiles"), recentFileItems, this);
    PopShiori = buildMenu(*this, QStringLiteral("PopShiori"), bookmarkItems, this);
    PupMemo = buildMenu(*this, QStringLiteral("PupMemo"), editorMenuItems, this);
    connect(LBox, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PupMenu->popup(LBox->viewport()->mapToGlobal(at)); });

    // The tool bar of the copy tab: each button drops its menu down when clicked and opens it where the
    // pointer is on a right click.
    QAction* actMenu = findChild<QAction*>(QStringLiteral("ActMenu"));
    connect(actMenu, &QAction::triggered, this, &TfC::ActMenuExecute);
    const struct {
        QToolButton** button;
        const char16_t* name;
        QIcon icon;
        const char16_t* hint;
        QMenu* menu;
        std::function<void()> click;
    } buttons[] = {
        {&BtnMenu, u"BtnMenu", menuIcon(), u"メニュー", PupMenu, [actMenu] { actMenu->trigger(); }},
        {&BtnRireki, u"BtnRireki", recentFilesIcon(), u"文書の履歴", PupFiles, [this] { BtnRirekiClick(); }},
        {&BtnSiori, u"BtnSiori", bookmarksIcon(), u"☆の行へジャンプ！", PopShiori,
         [this] { BtnSioriClick(); }},
    };
    for (const auto& b : buttons) {
        auto* button = new QToolButton(ToolBar1);
        button->setObjectName(QString::fromUtf16(b.name));
        button->setFixedSize(ToolButtonSize);
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setIcon(b.icon);
        button->setToolTip(QString::fromUtf16(b.hint));
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        QMenu* menu = b.menu;
        connect(button, &QToolButton::clicked, this, b.click);
        connect(button, &QWidget::customContextMenuRequested, this,
                [button, menu](const QPoint& at) { menu->popup(button->mapToGlobal(at)); });
        ToolBar1->addWidget(button);
        *b.button = button;
    }
}

void TfC::DropDown(QMenu* menu, QToolButton* button) {
    // Under the button; raised by the button's height when it would run off the bottom of the screen.
    const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
    const QScreen* screen = button->screen() ? button->screen() : QGuiApplication::primaryScreen();
    menu->popup(dropDownPosition(onScreen, menu->sizeHint().height(), screen->geometry()));
}

void TfC::ActMenuExecute() {
    DropDown(PupMenu, BtnMenu);
}

} // namespace kopix
