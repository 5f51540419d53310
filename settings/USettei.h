#pragma once

#include "core/AppSettings.h"
#include "mainwin/UfC.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QShowEvent;

namespace kopix {

class PageControl;
class GlobalKeyEdit;

// The settings dialog: the list's font size, the three highlight rules, the editor program, pasting and the
// global key. It is made once, after the main window, and shown modally by the settings command. It edits a
// copy of the window's settings and on OK hands it back; Cancel leaves them as they were. It reads and
// writes no file itself.

class TSettei : public QDialog, public SettingsDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 266;
    static constexpr int ClientHeight = 238;

    explicit TSettei(TfC& fC);

    // The settings command: the font size page, then the dialog, modally.
    void ShowOnFirstPage() override;

    // The 16 colours of the colour lists, in their order.
    struct ColorName {
        const char16_t* name;
        TColor color;
    };
    static const std::array<ColorName, 16> ColorNames;

    // Controls other parts (and tests) reach by name.
    PageControl* PCtrl = nullptr;
    QListWidget* LB_FSize = nullptr;
    std::array<QLineEdit*, RuleCount> LEMoji{};
    std::array<std::array<QCheckBox*, 4>, RuleCount> StyleBoxes{}; // bold, italic, underline, strikeout
    std::array<QComboBox*, RuleCount> ColorBox{};
    std::array<QGroupBox*, 4> GroupBoxes{}; // GroupBox1 .. GroupBox4
    QLabel* STexe = nullptr;
    QPushButton* BtnOpenExe = nullptr;
    QPushButton* BtnClearExe = nullptr; // empties the editor path
    // Page 5: pasting into the window the user came from, and the key that calls Kopix.
    QCheckBox* CBoxPasteInto = nullptr;
    QComboBox* CBoxPasteKey = nullptr;
    GlobalKeyEdit* EdGlobalKey = nullptr;
    QLabel* LblGlobalKeyProblem = nullptr; // why a key pressed in the box was not taken
    QPushButton* BtnNoGlobalKey = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;

    bool ShowFirst = true;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    // Names and descriptions for screen readers where a control's own caption does not say it.
    void NameForScreenReaders();
    void FormCreate();
    void FormShow();
    void StyleBoxClick(QCheckBox* box, quint8 bit);
    void ColorBox1Change(QComboBox* list);
    void BtnOpenExeClick();
    void BtnClearExeClick();
    // False (and the user told why) when the dialog cannot close with what it holds.
    bool OKBtnClick();
    void CreatePastePage();
    void HelpBtnClick();
    // The keyword edit of the page showing (1 to 3), or nullptr on the other pages.
    QLineEdit* activeRuleEdit() const;
    // A keyword edit's colour, as the settings file stores it (kept beside its palette, so a system
    // colour goes back unchanged).
    static TColor editColor(const QLineEdit* edit);
    static void setEditColor(QLineEdit* edit, TColor color);
    void showEditorPath(const QString& path);

    TfC& m_fC;
    Settings m_edited; // the settings while the dialog is open
};

} // namespace kopix
