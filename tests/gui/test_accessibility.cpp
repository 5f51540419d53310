// What a screen reader finds: walking the accessibility tree of the window and of the settings dialog,
// every control is there with its Japanese name and description, and the list's rows with their text.
#include "support/KopixFixture.h"

#include "settings/USettei.h"

#include <QAccessible>
#include <QApplication>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

struct Found {
    QString name;
    QString description;
};

// Every interface below `root`, by the object name of its widget, or by its own name where it has no
// widget of its own (tabs, rows).
void walk(QAccessibleInterface* node, QHash<QString, Found>& found, int depth = 0) {
    if (!node || depth > 30)
        return;
    const Found here{node->text(QAccessible::Name), node->text(QAccessible::Description)};
    const QObject* object = node->object();
    found.insert(object && !object->objectName().isEmpty() ? object->objectName() : u"#"_s + here.name, here);
    for (int i = 0; i < node->childCount(); ++i)
        walk(node->child(i), found, depth + 1);
}

class Accessibility : public KopixFixture {};

TEST_F(Accessibility, EveryControlHasItsNameAndDescription) {
    writeFile(u"Kopix.ini"_s, "[LB]\r\nTI=0\r\n");
    start(writeFile(u"doc.txt"_s, "最初の行\r\nsecond row\r\n"));
    window->correctionEditor(); // made when first needed
    QApplication::processEvents();
    QHash<QString, Found> found;
    walk(QAccessible::queryAccessibleInterface(window.get()), found);
    walk(QAccessible::queryAccessibleInterface(settei), found);

    const QString status = u"「Num」Lockオン、現クリップボード"_s;
    const QString strip = u"選んだ行を、ポインタが載るとコピーする（水色：未コピー、紺：コピー済み）"_s;
    const QString keyword = u"この文字で始まる行を強調する。欄の文字は強調の見本"_s;
    const struct {
        const char16_t* key;  // object name, or "#" and the name of a part with no widget of its own
        const char16_t* name; // null: not checked (a colour list is named by its label, and says its colour;
                              // a status panel by what it shows)
        QString description;  // null: not checked
    } expected[] = {
        {u"LBox", u"文書の行",
         u"行を選んで左右の帯にポインタを移すか Enter を押すと、クリップボードにコピーする"_s},
        {u"#最初の行", u"最初の行", QString()},
        {u"#second row", u"second row", QString()},
        {u"Pnl1", u"左のコピー帯", strip},
        {u"Pnl2", u"右のコピー帯", strip},
        {u"BtnMenu", u"メニュー", u"メニュー"_s},
        {u"BtnRireki", u"最近開いたファイル", u"文書の履歴"_s},
        {u"BtnSiori", u"表示文書内のしおり", u"☆の行へジャンプ！"_s},
        {u"BtnShukugen", u"フォームの縮減⇔復元", u"フォームの大⇔小"_s},
        {u"ToolButton4", u"切り取り", u"切り取り"_s},
        {u"ToolButton5", u"コピー", u"コピー"_s},
        {u"ToolButton6", u"貼り付け", u"貼り付け"_s},
        {u"BtnShukugen2", u"フォームの縮減⇔復元", u"フォームの大⇔小"_s},
        // The panels' names say what they show (the walk over AT-SPI follows them).
        {u"SBarPanel0", nullptr, status},
        {u"SBarPanel1", nullptr, status},
        {u"#転記", u"転記", u"行を選んでコピーする"_s},
        {u"#訂正", u"訂正", u"表示文書を訂正する"_s},
        {u"Memo1", u"訂正欄", u"表示文書をそのまま訂正する。転記に戻るとファイルに書かれる"_s},
        {u"GroupBox1", u"サイズ", u"文字サイズ"_s},
        {u"LB_FSize", u"文字サイズ", u"一覧と訂正欄の文字の大きさ（ポイント）"_s},
        {u"LEMoji1", u"強調１の行頭文字", keyword},
        {u"LEMoji3", u"強調３の行頭文字", keyword},
        {u"GroupBox2", u"強調方法", u"上の入力欄には即反映"_s},
        {u"CBoxBold1", u"太字(B)", QString()},
        {u"CBoxKLine3", u"取消し線(K)", QString()},
        {u"ColorBox2", nullptr, u"強調する行の文字の色"_s},
        {u"BtnOpenExe", u"参照(A)...", u"[開く]と上に設定"_s},
        {u"OKBtn", u"OK", QString()},
        {u"CancelBtn", u"キャンセル", QString()},
        {u"HelpBtn", u"ヘルプ(H)", u"該当するページへ"_s},
    };
    for (const auto& row : expected) {
        const QString key = QString::fromUtf16(row.key);
        SCOPED_TRACE(key.toStdString());
        ASSERT_TRUE(found.contains(key));
        if (row.name) {
            EXPECT_EQ(found[key].name, QString::fromUtf16(row.name));
        }
        if (!row.description.isNull()) {
            EXPECT_EQ(found[key].description, row.description);
        }
    }
    EXPECT_FALSE(found[u"STexe"_s].description.isEmpty());
}

} // namespace
