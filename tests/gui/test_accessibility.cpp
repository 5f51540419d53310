// What a screen reader finds: walking the accessibility tree of the window and of the settings dialog,
// every control is there with a name, those whose name does not say what they do with a description, and
// the list's rows with their text.
#include "support/KopixFixture.h"

#include "settings/USettei.h"

#include <QAccessible>
#include <QApplication>
#include <QSet>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

struct Found {
    QString name;
    QString description;
    QAccessible::Role role = QAccessible::NoRole;
};

// Every interface below `root`, by the object name of its widget, or by its own name where it has no
// widget of its own (tabs, rows).
void walk(QAccessibleInterface* node, QHash<QString, Found>& found, int depth = 0) {
    if (!node || depth > 30)
        return;
    const Found here{node->text(QAccessible::Name), node->text(QAccessible::Description), node->role()};
    const QObject* object = node->object();
    // A combo box's drop-down list is Qt's own; the box names what it holds.
    if (!(object && object->inherits("QComboBoxListView")))
        found.insert(object && !object->objectName().isEmpty() ? object->objectName() : u"#"_s + here.name,
                     here);
    for (int i = 0; i < node->childCount(); ++i)
        walk(node->child(i), found, depth + 1);
}

class Accessibility : public KopixFixture {};

TEST_F(Accessibility, EveryControlIsNamedAndTheRowsSayTheirText) {
    writeFile(u"Kopix.ini"_s, "[LB]\r\nTI=0\r\n");
    start(writeFile(u"doc.txt"_s, "最初の行\r\nsecond row\r\n"));
    window->correctionEditor(); // made when first needed
    QApplication::processEvents();
    QHash<QString, Found> found;
    walk(QAccessible::queryAccessibleInterface(window.get()), found);
    walk(QAccessible::queryAccessibleInterface(settei), found);

    // Whatever a user can reach and act on says what it is.
    const QSet<QAccessible::Role> controls{
        QAccessible::PushButton, QAccessible::CheckBox, QAccessible::ComboBox,   QAccessible::EditableText,
        QAccessible::List,       QAccessible::PageTab,  QAccessible::ButtonMenu, QAccessible::ButtonDropDown};
    int named = 0;
    for (auto it = found.cbegin(); it != found.cend(); ++it) {
        if (!controls.contains(it->role))
            continue;
        EXPECT_FALSE(it->name.trimmed().isEmpty()) << it.key().toStdString();
        ++named;
    }
    EXPECT_GT(named, 30) << "the walk reached the window's and the dialog's controls";
    for (const char16_t* row : {u"#最初の行", u"#second row"})
        EXPECT_TRUE(found.contains(QString::fromUtf16(row))) << "a row is heard by its text";
    // Where the name does not say what a control does, its description does.
    for (const char16_t* key :
         {u"LBox", u"Pnl1", u"Pnl2", u"BtnRireki", u"BtnSiori", u"SBarPanel1", u"#転記", u"#訂正", u"Memo1",
          u"LB_FSize", u"LEMoji3", u"ColorBox2", u"BtnOpenExe", u"HelpBtn", u"STexe"}) {
        const QString name = QString::fromUtf16(key);
        ASSERT_TRUE(found.contains(name)) << name.toStdString();
        EXPECT_FALSE(found[name].description.isEmpty()) << name.toStdString();
    }
}

} // namespace
