#include "settings/USettei.h"

#include "core/FileSystem.h"
#include "core/PathRules.h"
#include "core/TextFitting.h"
#include "mainwin/Colors.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/Fonts.h"
#include "mainwin/Hints.h"
#include "mainwin/PasteTarget.h"
#include "settings/GlobalKeyEdit.h"
#include "settings/PageControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QVBoxLayout>
#include <QWindow>

namespace kopix {

const std::array<TSettei::ColorName, 16> TSettei::ColorNames{{
    {u"黒", 0x000000},
    {u"茶", 0x000080},
    {u"緑", 0x008000},
    {u"オリーブ", 0x008080},
    {u"濃紺", 0x800000},
    {u"紫", 0x800080},
    {u"緑青", 0x808000},
    {u"灰", 0x808080},
    {u"銀", 0xC0C0C0},
    {u"赤", 0x0000FF},
    {u"黄緑", 0x00FF00},
    {u"黄", 0x00FFFF},
    {u"青", 0xFF0000},
    {u"明るい紫", 0xFF00FF},
    {u"水", 0xFFFF00},
    {u"白", 0xFFFFFF},
}};

namespace {

constexpr int HelpContext = 220;
constexpr TColor clSilver = 0xC0C0C0;

// The style bits a rule stores, in the order of the check boxes.
constexpr std::array<quint8, 4> StyleBits{StyleBold, StyleItalic, StyleUnderline, StyleStrikeOut};
constexpr std::array<const char16_t*, 4> StyleCaptions{u"太字(&B)", u"斜体(&I)", u"下線(&U)",
                                                       u"取消し線(&K)"};
constexpr std::array<const char16_t*, 4> StyleNames{u"CBoxBold", u"CBoxIta", u"CBoxULine", u"CBoxKLine"};

QIcon swatch(TColor color) {
    QPixmap pixmap(16, 12);
    pixmap.fill(toQColor(color, QPalette()));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

// What the browse dialog lists: every folder, and the files that can be run.
class FoldersAndPrograms : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files)
            return true;
        const QModelIndex index = files->index(row, 0, parent);
        if (files->isDir(index))
            return true;
        const QFileInfo info = files->fileInfo(index);
        return info.isFile() && info.isExecutable();
    }
};

} // namespace

TSettei::TSettei(TfC& fC)
    : QDialog(&fC, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_fC(fC) {
    setObjectName(QStringLiteral("Settei"));
    setWindowTitle(QStringLiteral("設定"));
    setModal(true);
    setFont(designFont(WindowFace, 14));
    setFixedSize(ClientWidth, ClientHeight);
    CreateControls();
    NameForScreenReaders();
    FormCreate();
}

void TSettei::CreateControls() {
    auto* panel1 = new QWidget(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    auto* panel1Layout = new QVBoxLayout(panel1);
    panel1Layout->setContentsMargins(5, 5, 5, 5);
    PCtrl = new PageControl(panel1);
    PCtrl->setObjectName(QStringLiteral("PCtrl"));
    panel1Layout->addWidget(PCtrl);

    // Page 0: the list's font size.
    auto* sizePage = new QWidget;
    sizePage->setObjectName(QStringLiteral("TabSheet1"));
    GroupBoxes[0] = new QGroupBox(QStringLiteral("サイズ"), sizePage);
    GroupBoxes[0]->setObjectName(QStringLiteral("GroupBox1"));
    GroupBoxes[0]->setFixedWidth(54);
    LB_FSize = new QListWidget(GroupBoxes[0]);
    LB_FSize->setObjectName(QStringLiteral("LB_FSize"));
    LB_FSize->setFont(designFont(ListFace, 18));
    for (const char* size : {"9", "10", "11", "12", "14"}) {
        auto* item = new QListWidgetItem(QString::fromLatin1(size), LB_FSize);
        item->setSizeHint(QSize(0, 18));
    }
    LB_FSize->setFixedHeight(5 * 18 + 2 * LB_FSize->frameWidth());
    auto* sizeBox = new QVBoxLayout(GroupBoxes[0]);
    sizeBox->setContentsMargins(3, 3, 3, 3);
    sizeBox->addWidget(LB_FSize);
    auto* sizeLayout = new QHBoxLayout(sizePage);
    sizeLayout->addWidget(GroupBoxes[0], 0, Qt::AlignTop);
    sizeLayout->addStretch(1);
    PCtrl->addPage(sizePage, QStringLiteral("文字の大きさ"));

    // Pages 1 to 3: one highlight rule each, its keyword edit its own preview.
    for (int k = 0; k < RuleCount; ++k) {
        const QString n = QString::number(k + 1);
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("TabSheet%1").arg(k + 2));
        LEMoji[size_t(k)] = new QLineEdit(page);
        LEMoji[size_t(k)]->setObjectName(u"LEMoji" + n);
        LEMoji[size_t(k)]->setFixedWidth(67);
        LEMoji[size_t(k)]->setFont(designFont(ListFace, 14));
        auto* caption = new QLabel(QStringLiteral("で始まる行の強調(&A)"), page);
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
        caption->setBuddy(LEMoji[size_t(k)]);

        QGroupBox* group = GroupBoxes[size_t(k + 1)] = new QGroupBox(QStringLiteral(" 強調方法 "), page);
        group->setObjectName(QStringLiteral("GroupBox%1").arg(k + 2));
        auto* grid = new QGridLayout(group);
        grid->setContentsMargins(6, 2, 6, 4);
        grid->setVerticalSpacing(0);
        for (int bit = 0; bit < 4; ++bit) {
            auto* box = new QCheckBox(QString::fromUtf16(StyleCaptions[size_t(bit)]), group);
            box->setObjectName(QString::fromUtf16(StyleNames[size_t(bit)]) + n);
            // Each caption in its own style.
            box->setFont(styledFont(box->font(), StyleBits[size_t(bit)]));
            StyleBoxes[size_t(k)][size_t(bit)] = box;
            grid->addWidget(box, bit / 2, bit % 2);
            const quint8 styleBit = StyleBits[size_t(bit)];
            connect(box, &QCheckBox::clicked, this, [this, box, styleBit] { StyleBoxClick(box, styleBit); });
        }
        auto* colourLabel = new QLabel(QStringLiteral("色(&C)："), group);
        colourLabel->setObjectName(k == 0 ? QStringLiteral("Label1") : QStringLiteral("Label%1").arg(k + 2));
        QComboBox* colours = ColorBox[size_t(k)] = new QComboBox(group);
        colours->setObjectName(u"ColorBox" + n);
        colourLabel->setBuddy(colours);
        grid->addWidget(colourLabel, 2, 0, Qt::AlignRight);
        grid->addWidget(colours, 2, 1);
        connect(colours, &QComboBox::currentIndexChanged, this,
                [this, colours] { ColorBox1Change(colours); });

        auto* keyRow = new QHBoxLayout;
        keyRow->addWidget(LEMoji[size_t(k)]);
        keyRow->addWidget(caption, 1);
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(6, 6, 6, 6);
        layout->setSpacing(4);
        layout->addLayout(keyRow);
        layout->addWidget(group);
        layout->addStretch(1);
        PCtrl->addPage(page, u"強調" + QChar(u'０' + k + 1));
    }

    // Page 4: the editor program.
    auto* editorPage = new QWidget;
    editorPage->setObjectName(QStringLiteral("TabSheet5"));
    auto* label2 = new QLabel(QStringLiteral("表示文書の編集用ソフト："), editorPage);
    label2->setObjectName(QStringLiteral("Label2"));
    STexe = new QLabel(QStringLiteral("　"), editorPage);
    STexe->setObjectName(QStringLiteral("STexe"));
    STexe->setFrameStyle(QFrame::Box | QFrame::Plain);
    STexe->setAutoFillBackground(true);
    STexe->setTextFormat(Qt::PlainText);
    BtnOpenExe = new QPushButton(QStringLiteral("参照(&A)..."), editorPage);
    BtnOpenExe->setObjectName(QStringLiteral("BtnOpenExe"));
    BtnOpenExe->setFixedSize(75, 25);
    connect(BtnOpenExe, &QPushButton::clicked, this, &TSettei::BtnOpenExeClick);
    // The way back to the desktop's editor once a program was chosen.
    BtnClearExe = new QPushButton(QStringLiteral("クリア(&L)"), editorPage);
    BtnClearExe->setObjectName(QStringLiteral("BtnClearExe"));
    BtnClearExe->setFixedSize(75, 25);
    connect(BtnClearExe, &QPushButton::clicked, this, &TSettei::BtnClearExeClick);
    auto* label5 = new QLabel(QStringLiteral("※　上記が空白または灰色（使用不可）"), editorPage);
    label5->setObjectName(QStringLiteral("Label5"));
    auto* label6 = new QLabel(QStringLiteral("　のときは、メモ帳を使用する。"), editorPage);
    label6->setObjectName(QStringLiteral("Label6"));
    label6->setWordWrap(true);
    auto* editorLayout = new QVBoxLayout(editorPage);
    // Narrower sides than the other pages: the note's first line is as wide as the page.
    editorLayout->setContentsMargins(4, 6, 3, 6);
    editorLayout->setSpacing(4);
    editorLayout->addWidget(label2);
    editorLayout->addWidget(STexe);
    auto* editorButtons = new QHBoxLayout;
    editorButtons->setSpacing(6);
    editorButtons->addStretch(1);
    editorButtons->addWidget(BtnClearExe);
    editorButtons->addWidget(BtnOpenExe);
    editorLayout->addLayout(editorButtons);
    editorLayout->addStretch(1);
    editorLayout->addWidget(label5);
    editorLayout->addWidget(label6);
    PCtrl->addPage(editorPage, QStringLiteral("編集ソフト"));
    CreatePastePage();

    // Panel2: the buttons.
    auto* panel2 = new QWidget(this);
    panel2->setObjectName(QStringLiteral("Panel2"));
    panel2->setFixedHeight(36);
    OKBtn = new QPushButton(QStringLiteral("OK"), panel2);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("キャンセル"), panel2);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    HelpBtn = new QPushButton(QStringLiteral("ヘルプ(&H)"), panel2);
    HelpBtn->setObjectName(QStringLiteral("HelpBtn"));
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        if (OKBtnClick())
            accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, &TSettei::HelpBtnClick);
    auto* buttons = new QHBoxLayout(panel2);
    buttons->setContentsMargins(5, 4, 5, 6);
    buttons->addStretch(1);
    for (QPushButton* button : {OKBtn, CancelBtn, HelpBtn})
        buttons->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel1, 1);
    layout->addWidget(panel2);

    // F1 anywhere in the dialog.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &TSettei::HelpBtnClick);

    HintController& hints = m_fC.hints();
    hints.addHint(GroupBoxes[0], QStringLiteral("文字サイズ"), true);
    for (int k = 1; k <= RuleCount; ++k)
        hints.addHint(GroupBoxes[size_t(k)], QStringLiteral("上の入力欄には即反映"), true);
    hints.addHint(BtnOpenExe, QStringLiteral("[開く]と上に設定"));
    hints.addHint(BtnClearExe, QStringLiteral("空白にして、メモ帳を使用"));
    hints.addHint(HelpBtn, QStringLiteral("該当するページへ"));
}

void TSettei::CreatePastePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet6"));
    CBoxPasteInto = new QCheckBox(QStringLiteral("元のウィンドウに貼り付け(&P)"), page);
    CBoxPasteInto->setObjectName(QStringLiteral("CBoxPasteInto"));
    auto* keyLabel = new QLabel(QStringLiteral("貼り付けのキー(&K)："), page);
    CBoxPasteKey = new QComboBox(page);
    CBoxPasteKey->setObjectName(QStringLiteral("CBoxPasteKey"));
    for (const char16_t* key : PasteKeyTexts) {
        const QString text = QString::fromUtf16(key);
        // xterm and most X programs paste the primary selection with Shift+Insert; GNOME's and KDE's
        // terminals paste with Ctrl+Shift+V, Ctrl+V being a key of their programs there.
        QString caption = text;
        if (text == u"Shift+Insert")
            caption = tr("Shift+Insert（xterm など）");
        else if (text == u"Ctrl+Shift+V")
            caption = tr("Ctrl+Shift+V（GNOME 端末、Konsole）");
        CBoxPasteKey->addItem(caption, text);
    }
    keyLabel->setBuddy(CBoxPasteKey);
    // The label keeps its whole caption; the list takes the rest of the row (its longest entry shows
    // whole when it drops down).
    keyLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    CBoxPasteKey->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CBoxPasteKey->setMinimumContentsLength(8);
    auto* globalLabel = new QLabel(QStringLiteral("Kopix を呼び出すキー(&G)："), page);
    EdGlobalKey = new GlobalKeyEdit(
        [this](QKeyCombination key) { return m_fC.pasteTarget().globalKeyRefusal(key); }, page);
    EdGlobalKey->setObjectName(QStringLiteral("EdGlobalKey"));
    globalLabel->setBuddy(EdGlobalKey);
    // The box types into a line edit of its own, which has the focus: a screen reader hears it by the same
    // name.
    if (auto* typed = EdGlobalKey->findChild<QLineEdit*>())
        typed->setAccessibleName(tr("Kopix を呼び出すキー"));
    BtnNoGlobalKey = new QPushButton(QStringLiteral("なし(&N)"), page);
    BtnNoGlobalKey->setObjectName(QStringLiteral("BtnNoGlobalKey"));
    BtnNoGlobalKey->setFixedSize(50, 25);
    connect(BtnNoGlobalKey, &QPushButton::clicked, EdGlobalKey, [this] { EdGlobalKey->setKey({}); });
    // Broken where it reads well: the page is too narrow for one line, and wrapping left "へ。" alone.
    auto* note = new QLabel(tr("※ もう一度押すと、\n　元のウィンドウへ戻る。"), page);
    // Why a key pressed in the box was not taken, until a key is.
    LblGlobalKeyProblem = new QLabel(page);
    LblGlobalKeyProblem->setObjectName(QStringLiteral("LblGlobalKeyProblem"));
    LblGlobalKeyProblem->setWordWrap(true);
    LblGlobalKeyProblem->hide();
    connect(EdGlobalKey, &GlobalKeyEdit::refused, LblGlobalKeyProblem, [this, note](const QString& why) {
        LblGlobalKeyProblem->setText(QString(why).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        LblGlobalKeyProblem->setVisible(!why.isEmpty());
        // In the note's place: the page has no room for both.
        note->setVisible(why.isEmpty());
    });

    auto* keyRow = new QHBoxLayout;
    keyRow->addWidget(keyLabel);
    keyRow->addWidget(CBoxPasteKey, 1);
    auto* globalRow = new QHBoxLayout;
    globalRow->addWidget(EdGlobalKey, 1);
    globalRow->addWidget(BtnNoGlobalKey);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(CBoxPasteInto);
    layout->addLayout(keyRow);
    layout->addWidget(globalLabel);
    layout->addLayout(globalRow);
    layout->addWidget(LblGlobalKeyProblem);
    layout->addWidget(note);
    layout->addStretch(1);
    PCtrl->addPage(page, QStringLiteral("貼り付け"));
    m_fC.hints().addHint(CBoxPasteInto, QStringLiteral("コピーした後、元のウィンドウでキーを押す"));
    m_fC.hints().addHint(BtnNoGlobalKey, QStringLiteral("呼び出すキーを使わない"));
}

void TSettei::FormCreate() {
    for (QComboBox* colours : ColorBox) {
        const QSignalBlocker quiet(colours);
        for (const ColorName& entry : ColorNames)
            colours->addItem(swatch(entry.color), QString::fromUtf16(entry.name), entry.color);
        colours->setCurrentIndex(0);
    }
    ShowFirst = true;
}

void TSettei::ShowOnFirstPage() {
    PCtrl->setCurrentIndex(0);
    // The sizes take the keys at once: Down, Up or a digit, then Enter for OK.
    LB_FSize->setFocus();
    exec();
}

void TSettei::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TSettei::FormShow() {
    // The size the list has now, when it is one of the five.
    m_edited = m_fC.settings();
    const QList<QListWidgetItem*> size =
        LB_FSize->findItems(QString::number(m_edited.listFontSize), Qt::MatchExactly);
    if (size.isEmpty()) {
        LB_FSize->setCurrentRow(-1);
        LB_FSize->clearSelection();
    } else {
        LB_FSize->setCurrentItem(size.first());
    }

    for (size_t k = 0; k < size_t(RuleCount); ++k) {
        const HighlightRule& rule = m_edited.rules[k];
        QLineEdit* edit = LEMoji[k];
        edit->setText(rule.prefix);
        edit->setFont(styledFont(edit->font(), rule.style));
        setEditColor(edit, rule.color);
        for (size_t bit = 0; bit < 4; ++bit)
            StyleBoxes[k][bit]->setChecked(rule.style & StyleBits[bit]);
        // The first standard colour that is the rule's; else the list stays as it was.
        for (int i = 0; i < int(ColorNames.size()); ++i) {
            if (ColorNames[size_t(i)].color == rule.color) {
                ColorBox[k]->setCurrentIndex(i);
                break;
            }
        }
    }

    showEditorPath(m_edited.editorPath);

    const KopixSettings& options = m_edited.kopix;
    CBoxPasteInto->setChecked(options.pasteInto);
    CBoxPasteKey->setCurrentIndex(std::max(0, CBoxPasteKey->findData(options.pasteKey)));
    EdGlobalKey->setKey(QKeySequence::fromString(options.globalKey, QKeySequence::PortableText));

    if (ShowFirst) {
        // The dialog's frame, not its client area, 30 right of and 50 below the main window's frame (whose
        // position pos() is). The dialog is not framed yet: the window manager is asked to put the frame
        // there.
        const QPoint at = m_fC.pos() + QPoint(30, 50);
        move(at);
        if (QWindow* handle = windowHandle())
            handle->setFramePosition(at);
        ShowFirst = false;
    }
}

void TSettei::showEditorPath(const QString& path) {
    BtnClearExe->setEnabled(!path.isEmpty());
    if (path.isEmpty()) {
        STexe->setText(QStringLiteral(" "));
        return;
    }
    // The window's colour for a program F3 will start; silver ("灰色（使用不可）") whenever it will not
    // (missing, a folder, not executable), since F3 then hands the document to the desktop.
    const bool usable = isRunnableProgram(path);
    QPalette palette = STexe->palette();
    palette.setColor(QPalette::Window, toQColor(usable ? clWindow : clSilver, palette));
    STexe->setPalette(palette);
    const QFontMetrics metrics(font());
    const TextWidth width = [&metrics](QStringView text) {
        return metrics.horizontalAdvance(text.toString());
    };
    QString shown = ShortenPath(path, width, 230);
    // A name too wide even alone: the folders it hides keep their "/.../", and the name is cut with "...",
    // so the box never looks like a whole path that it is not.
    if (width(shown) > 230)
        shown = EllipsisText(QString(QStringLiteral("/.../") + fileNamePart(path)), width, 230);
    STexe->setText(shown);
}

QLineEdit* TSettei::activeRuleEdit() const {
    const int page = PCtrl->currentIndex();
    return page >= 1 && page <= RuleCount ? LEMoji[size_t(page - 1)] : nullptr;
}

void TSettei::StyleBoxClick(QCheckBox* box, quint8 bit) {
    // Acts on the rule of the page showing, whichever page's box it was.
    QLineEdit* edit = activeRuleEdit();
    if (!edit)
        return;
    const quint8 style = fontStyle(edit->font());
    edit->setFont(styledFont(edit->font(), box->isChecked() ? quint8(style | bit) : quint8(style & ~bit)));
}

void TSettei::ColorBox1Change(QComboBox* list) {
    if (QLineEdit* edit = activeRuleEdit())
        setEditColor(edit, TColor(list->currentData().toInt()));
}

TColor TSettei::editColor(const QLineEdit* edit) {
    return TColor(edit->property("color").toInt());
}

void TSettei::setEditColor(QLineEdit* edit, TColor color) {
    edit->setProperty("color", color);
    QPalette palette = edit->palette();
    // The sample reads as the list will draw it.
    palette.setColor(QPalette::Text, readableRuleColour(color, palette));
    edit->setPalette(palette);
}

void TSettei::BtnOpenExeClick() {
    QFileDialog dialog(this, QStringLiteral("開いたソフトを設定"));
    dialog.setObjectName(QStringLiteral("OpenDlgExe"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(QStringLiteral("実行ファイル (*)"));
    // Programs only (there is no ".exe" to tell them by); folders to get there. Qt's own permission
    // filters do not say that: they hide every entry that has a permission not asked for (QDir::Executable
    // alone hides whatever can be read, and with QDir::Readable whatever can be written, which is
    // everything to root), so the dialog's own list is filtered instead, and that takes Qt's dialog.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    dialog.setProxyModel(new FoldersAndPrograms(&dialog));
    dialog.setDirectory(QFileInfo::exists(QStringLiteral("/usr/bin")) ? QStringLiteral("/usr/bin")
                                                                      : QDir::homePath());
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString chosen = dialog.selectedFiles().constFirst();
    if (!isRunnableProgram(chosen)) {
        m_fC.MsgDlgCenter(chosen + QStringLiteral("\r\nこのファイルはプログラムとして実行できません。"),
                          MsgDlgType::Warning, mbOK, 0);
        return;
    }
    m_edited.editorPath = chosen;
    showEditorPath(m_edited.editorPath);
}

void TSettei::BtnClearExeClick() {
    // Back to the desktop's editor for F3; OK keeps it, Cancel forgets it, like a browsed program.
    m_edited.editorPath.clear();
    showEditorPath(m_edited.editorPath);
    STexe->setPalette(QPalette());
    // クリア is greyed now; the focus goes where Enter does what the user expects, closing with OK (on
    // 参照... Enter would open the browse dialog).
    OKBtn->setFocus();
}

bool TSettei::OKBtnClick() {
    // A global key that would take a key typing needs is refused before anything is applied.
    const QString globalKey = EdGlobalKey->keySequence().toString(QKeySequence::PortableText);
    if (const QString problem = PasteTarget::globalKeyProblem(globalKey); !problem.isEmpty()) {
        m_fC.MsgDlgCenter(problem, MsgDlgType::Warning, mbOK, 0);
        PCtrl->setCurrentIndex(PCtrl->count() - 1);
        EdGlobalKey->setFocus();
        return false;
    }
    if (QListWidgetItem* size = LB_FSize->currentItem(); size && size->isSelected())
        m_edited.listFontSize = size->text().toInt();
    for (size_t k = 0; k < size_t(RuleCount); ++k) {
        // Trailing blanks and control characters go; leading ones and full-width spaces stay.
        QString keyword = LEMoji[k]->text();
        while (!keyword.isEmpty() && keyword.back().unicode() <= 32)
            keyword.chop(1);
        m_edited.rules[k] = HighlightRule{keyword, fontStyle(LEMoji[k]->font()), editColor(LEMoji[k])};
    }
    m_edited.kopix =
        KopixSettings{CBoxPasteInto->isChecked(), CBoxPasteKey->currentData().toString(), globalKey};
    m_fC.setSettings(m_edited);
    return true;
}

void TSettei::HelpBtnClick() {
    m_fC.showHelp(HelpContext);
}

void TSettei::NameForScreenReaders() {
    LB_FSize->setAccessibleName(QStringLiteral("文字サイズ"));
    LB_FSize->setAccessibleDescription(QStringLiteral("一覧と訂正欄の文字の大きさ（ポイント）"));
    for (int k = 0; k < RuleCount; ++k) {
        const QString rule = u"強調" + QChar(u'０' + k + 1);
        LEMoji[size_t(k)]->setAccessibleName(rule + QStringLiteral("の行頭文字"));
        LEMoji[size_t(k)]->setAccessibleDescription(
            QStringLiteral("この文字で始まる行を強調する。欄の文字は強調の見本"));
        GroupBoxes[size_t(k + 1)]->setAccessibleName(QStringLiteral("強調方法"));
        ColorBox[size_t(k)]->setAccessibleDescription(QStringLiteral("強調する行の文字の色"));
    }
    // A colour list is named by its label, as on any desktop; the path label's name is the path it shows.
    STexe->setAccessibleDescription(
        QStringLiteral("表示文書の編集用ソフト。空白または灰色のときは、メモ帳を使用する"));
}

} // namespace kopix
