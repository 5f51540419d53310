// The popup menus and the tool bars, each built in one place from a table.
#include "mainwin/UfC.h"

#include "core/WindowGeometry.h"
#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/Hints.h"
#include "mainwin/Icons.h"
#include "mainwin/StatusPanel.h"
#include "mainwin/ToolStrip.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>

#include <QHash>

#include <functional>
#include <optional>
#include <span>

namespace kopix {

namespace {

// One item of a menu: a command, a separator, a submenu, or the items of a family of slot commands (the
// family's name followed by the slot numbers).
struct MenuItem {
    enum class Kind { Command, Separator, Submenu, Family };
    Kind kind;
    const char16_t* name = nullptr;   // the item's name; a family's item names are listed in `names`
    const char16_t* target = nullptr; // the command, the family's name, or the submenu's caption
    std::span<const char16_t* const> names = {};
    std::span<const MenuItem> submenu = {};
    std::optional<Image> image = std::nullopt; // a submenu's picture
};

using K = MenuItem::Kind;

// The item names of the slot families in each menu.
const char16_t* const mRirekiNames[] = {u"ActF01", u"ActF21", u"ActF22", u"ActF31", u"ActF41",
                                        u"ActF51", u"ActF61", u"ActF71", u"ActF81", u"ActF91"};
const char16_t* const pupFilesNames[] = {u"FL0", u"FL1", u"FL2", u"FL3", u"FL4",
                                         u"FL5", u"FL6", u"FL7", u"FL8", u"FL9"};
const char16_t* const mSioriNames[] = {u"mSI0",  u"mSI1",  u"mSI2",  u"mSI3",  u"mSI4",  u"mSI5",  u"mSI6",
                                       u"mSI7",  u"mSI8",  u"mSI9",  u"mSI10", u"mSI11", u"mSI12", u"mSI13",
                                       u"mSI14", u"mSI15", u"mSI16", u"mSI17", u"mSI18", u"mSI19", u"mSI20",
                                       u"mSI21", u"mSI22", u"mSI23", u"mSI24", u"mSI25"};
const char16_t* const popShioriNames[] = {u"Si0",  u"Si1",  u"Si2",  u"Si3",  u"Si4",  u"Si5",  u"Si6",
                                          u"Si7",  u"Si8",  u"Si9",  u"SI10", u"SI11", u"SI12", u"SI13",
                                          u"SI14", u"SI15", u"SI16", u"SI17", u"SI18", u"SI19", u"SI20",
                                          u"SI21", u"SI22", u"SI23", u"SI24", u"SI25"};

const MenuItem mRirekiItems[] = {{K::Family, nullptr, u"ActF", mRirekiNames},
                                 {K::Command, u"N8", u"ActFNasi"}};
const MenuItem mSioriItems[] = {{K::Family, nullptr, u"ActSI", mSioriNames},
                                {K::Command, u"N1", u"ActSINasi"}};

const MenuItem pupMenuItems[] = {
    {K::Command, u"O1", u"FileOpen"},
    {K::Submenu, u"mRireki", u"最近開いた文書(&R)", {}, mRirekiItems, Image::RecentFiles},
    {K::Command, u"M1", u"ActNote"},
    {K::Command, u"Y1", u"ActRefresh"},
    {K::Command, u"F1", u"ActFolder"},
    {K::Separator, u"N3"},
    {K::Submenu, u"mSiori", u"☆ 含む行にジャンプ(&J)", {}, mSioriItems, Image::Bookmarks},
    {K::Command, u"A1", u"ActSelAll"},
    {K::Command, u"K1", u"ActFind"},
    {K::Separator, u"N5"},
    {K::Command, u"mShukugen", u"ActShukuGen"},
    {K::Command, u"T1", u"ActSettei"},
    {K::Separator, u"N4"},
    {K::Command, u"H1", u"ActHelp"},
    {K::Separator, u"N6"},
    {K::Command, u"N3CX1", u"ActExit"},
};
const MenuItem pupFilesItems[] = {{K::Family, nullptr, u"ActF", pupFilesNames},
                                  {K::Command, u"N7", u"ActFNasi"}};
const MenuItem popShioriItems[] = {{K::Family, nullptr, u"ActSI", popShioriNames},
                                   {K::Command, u"PupNasiSI", u"ActSINasi"}};
const MenuItem pupMemoItems[] = {
    {K::Command, u"N10", u"EditSync"},
    {K::Command, u"U1", u"EditUndo1"},
    {K::Separator, u"N2"},
    {K::Command, u"T2", u"EditCut1"},
    {K::Command, u"C1", u"EditCopy1"},
    {K::Command, u"P1", u"EditPaste1"},
    {K::Command, u"D1", u"EditDelete1"},
    {K::Separator, u"N9"},
    {K::Command, u"W1", u"ActShukuGen"},
};

// A menu item of its own name that shows a command as the command is (caption, key, picture, enabled and
// visible) and runs it. The key works through the command itself: the item's own is for the menu to show
// and for screen readers to say (as the item's key binding, not as part of its name), and acts only while
// its menu is open.
QAction* itemFor(QAction* command, const QString& name, bool images, QMenu* menu) {
    auto* item = new QAction(menu);
    item->setObjectName(name);
    item->setShortcutContext(Qt::WidgetShortcut);
    const auto follow = [item, command, images] {
        item->setText(command->text());
        item->setShortcut(command->shortcut());
        item->setIcon(images ? command->icon() : QIcon());
        item->setEnabled(command->isEnabled());
        item->setVisible(command->isVisible());
    };
    follow();
    QObject::connect(command, &QAction::changed, item, follow);
    QObject::connect(item, &QAction::triggered, command, [command] { command->trigger(); });
    item->setProperty("command", QVariant::fromValue(command));
    return item;
}

using MenuCommands = QHash<QMenu*, QList<QAction*>>;

// A menu of the items, its commands found by name among the window's; `commands` learns which commands
// each menu (with its submenus) shows.
QMenu* buildMenu(const QObject& window, MenuCommands& menuCommands, const QString& name,
                 std::span<const MenuItem> items, bool images, QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(name);
    QList<QAction*> commands;
    const auto add = [&](const QString& commandName, const QString& itemName) {
        QAction* command = window.findChild<QAction*>(commandName);
        menu->addAction(itemFor(command, itemName, images, menu));
        commands.append(command);
    };
    for (const MenuItem& item : items) {
        const QString target = QString::fromUtf16(item.target);
        switch (item.kind) {
        case K::Command:
            add(target, QString::fromUtf16(item.name));
            break;
        case K::Separator:
            menu->addSeparator()->setObjectName(QString::fromUtf16(item.name));
            break;
        case K::Family:
            for (size_t slot = 0; slot < item.names.size(); ++slot)
                add(target + QString::number(slot), QString::fromUtf16(item.names[slot]));
            break;
        case K::Submenu: {
            QMenu* submenu =
                buildMenu(window, menuCommands, QString::fromUtf16(item.name), item.submenu, images, menu);
            submenu->setTitle(target);
            if (images && item.image)
                submenu->setIcon(imageIcon(*item.image));
            submenu->menuAction()->setObjectName(submenu->objectName());
            menu->addMenu(submenu);
            commands.append(menuCommands.value(submenu));
            break;
        }
        }
    }
    menuCommands.insert(menu, commands);
    return menu;
}

} // namespace

void TfC::CreateMenus() {
    PupMenu = buildMenu(*this, m_menuCommands, QStringLiteral("PupMenu"), pupMenuItems, true, this);
    PupFiles = buildMenu(*this, m_menuCommands, QStringLiteral("PupFiles"), pupFilesItems, false, this);
    PopShiori = buildMenu(*this, m_menuCommands, QStringLiteral("PopShiori"), popShioriItems, false, this);
    PupMemo = buildMenu(*this, m_menuCommands, QStringLiteral("PupMemo"), pupMemoItems, true, this);
    connect(LBox, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PupMenu->popup(LBox->viewport()->mapToGlobal(at)); });

    // The tool bars: images only, 23 x 22. A button with a menu drops it down when clicked and opens it at
    // the pointer on a right click; the shrink buttons show pressed while the window is shrunk.
    QAction* actMenu = findChild<QAction*>(QStringLiteral("ActMenu"));
    connect(actMenu, &QAction::triggered, this, &TfC::ActMenuExecute);
    const struct {
        ToolStrip* bar;
        QToolButton** button;
        const char16_t* name;
        QAction* command; // the command the button shows and runs
        Image image;
        const char16_t* hint;
        const char16_t* accessibleName; // what a screen reader calls the picture
        QMenu* menu;
        std::function<void()> click; // when the button runs no command of its own
    } buttons[] = {
        {ToolBar1, &BtnMenu, u"BtnMenu", actMenu, Image::Menu, u"メニュー", u"メニュー", PupMenu, {}},
        {ToolBar1, &BtnRireki, u"BtnRireki", nullptr, Image::RecentFiles, u"文書の履歴",
         u"最近開いたファイル", PupFiles, [this] { BtnRirekiClick(); }},
        {ToolBar1, &BtnSiori, u"BtnSiori", nullptr, Image::Bookmarks, u"☆の行へジャンプ！",
         u"表示文書内のしおり", PopShiori, [this] { BtnSioriClick(); }},
        {ToolBar1,
         &BtnShukugen,
         u"BtnShukugen",
         ActShukuGen,
         Image::Shrink,
         u"フォームの大⇔小",
         u"フォームの縮減⇔復元",
         nullptr,
         {}},
        {ToolBar2, nullptr, u"ToolButton4", EditCut1, Image::Cut, u"切り取り", u"切り取り", nullptr, {}},
        {ToolBar2, nullptr, u"ToolButton5", EditCopy1, Image::Copy, u"コピー", u"コピー", nullptr, {}},
        {ToolBar2, nullptr, u"ToolButton6", EditPaste1, Image::Paste, u"貼り付け", u"貼り付け", nullptr, {}},
        {ToolBar2,
         &BtnShukugen2,
         u"BtnShukugen2",
         ActShukuGen,
         Image::Shrink,
         u"フォームの大⇔小",
         u"フォームの縮減⇔復元",
         nullptr,
         {}},
    };
    for (const auto& b : buttons) {
        auto* button = new QToolButton(b.bar);
        button->setObjectName(QString::fromUtf16(b.name));
        button->setFixedSize(ToolButtonSize);
        button->setIconSize(QSize(16, 16));
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setIcon(imageIcon(b.image));
        m_hints->addHint(button, QString::fromUtf16(b.hint));
        button->setAccessibleName(QString::fromUtf16(b.accessibleName));
        QAction* command = b.command;
        if (command) {
            // Enabled as its command is, and runs it.
            button->setEnabled(command->isEnabled());
            connect(command, &QAction::changed, button,
                    [button, command] { button->setEnabled(command->isEnabled()); });
            connect(button, &QToolButton::clicked, command, [command] { command->trigger(); });
        } else {
            connect(button, &QToolButton::clicked, this, b.click);
        }
        if (command == ActShukuGen)
            button->setCheckable(true);
        if (QMenu* menu = b.menu) {
            button->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(button, &QWidget::customContextMenuRequested, this,
                    [button, menu](const QPoint& at) { menu->popup(button->mapToGlobal(at)); });
        }
        b.bar->addWidget(button);
        if (b.button)
            *b.button = button;
    }
    const QString statusHint = QStringLiteral("「Num」Lockオン、現クリップボード");
    m_hints->addHint(SBar, statusHint);
    for (StatusPanel* panel : SBarPanels)
        panel->setAccessibleDescription(statusHint);
}

void TfC::DropDown(QMenu* menu, QToolButton* button) {
    // Under the button; above it when it would run off the bottom of the screen.
    const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
    const QScreen* screen = button->screen() ? button->screen() : QGuiApplication::primaryScreen();
    menu->popup(dropDownPosition(onScreen, menu->sizeHint().height(), screen->geometry()));
}

void TfC::ActMenuExecute() {
    DropDown(PupMenu, BtnMenu);
}

void TfC::PopupFromKeyboard(QMenu* controlMenu) {
    QAbstractScrollArea* control = controlMenu == PupMemo ? static_cast<QAbstractScrollArea*>(Memo1()) : LBox;
    const QRect caret = control->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const QRect inside = control->viewport()->rect();
    const QPoint at = caret.isValid() && inside.intersects(caret) ? caret.center() : inside.center();
    controlMenu->popup(control->viewport()->mapToGlobal(at));
}

bool TfC::RouteKey(QKeyEvent* event, QMenu* controlMenu) {
    // A key of the focused control's menu is always its command's: run when enabled, else nothing, and the
    // control never sees it. A key of another command is that command's while it is enabled (the window's
    // shortcut takes it), else the control's.
    const QKeyCombination pressed(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key()));
    const QKeySequence sequence(pressed);
    // The desktop's other key for a control's menu, beside the menu key that Qt handles itself.
    if (pressed == QKeyCombination(Qt::ShiftModifier, Qt::Key_F10)) {
        if (event->type() == QEvent::KeyPress)
            PopupFromKeyboard(controlMenu);
        event->accept();
        return true;
    }
    for (QAction* command : m_menuCommands.value(controlMenu)) {
        if (command->shortcut() != sequence)
            continue;
        if (event->type() == QEvent::KeyPress) {
            if (controlMenu == PupMemo)
                m_correction->UpdateEditActions();
            if (command->isEnabled())
                command->trigger();
        }
        event->accept();
        return true;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        for (const QAction* command : actions()) {
            if (command->isEnabled() && command->shortcut() == sequence) {
                event->ignore(); // not the control's: the window's shortcut runs the command
                return true;
            }
        }
    }
    return false;
}

} // namespace kopix
