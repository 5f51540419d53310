#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <functional>

namespace kopix {

class ProfileFile;

// Colours are 0x00BBGGRR; a top byte 0xFF names a system colour.
using TColor = qint32;
inline constexpr TColor clWindowText = TColor(0xFF000008u);
inline constexpr TColor clBtnFace = TColor(0xFF00000Fu);
inline constexpr TColor clWindow = TColor(0xFF000005u);
inline constexpr TColor clBlue = TColor(0x00FF0000);

// Font-style bits as the settings file stores them.
enum FontStyleBit : quint8 { StyleBold = 1, StyleItalic = 2, StyleUnderline = 4, StyleStrikeOut = 8 };

inline constexpr int RuleCount = 3;

// The list font sizes a settings file may give, in points; anything else is a slip of a hand edit.
inline constexpr int MinListFontSize = 1;
inline constexpr int MaxListFontSize = 72;

// One prefix highlight rule: lines beginning with `prefix` are drawn in `style` and `color`.
struct HighlightRule {
    QString prefix;
    quint8 style = 0;
    TColor color = clWindowText;
    bool operator==(const HighlightRule&) const = default;
};

// What the window offers as defaults: its design outer size, its minimum outer size and the list font.
struct StartupDefaults {
    int outerWidth = 0;
    int outerHeight = 0;
    int minimumWidth = 0;
    int minimumHeight = 0;
    int fontSize = 11;
    quint8 fontStyle = 0;
    TColor fontColor = clWindowText;
};

// The highlight rule a first run starts with: "http" lines in bold underlined blue.
HighlightRule firstRunRule();
// Whether a start with these settings is a first run: there is no settings file, or it holds none of
// the sections Kopix writes at exit (only a [Kopix] section written by hand before the first run, say).
// A settings file that is there but could not be read is no first run.
bool isFirstRun(const ProfileFile& ini);

inline constexpr auto SettingsFileName = u"Kopix.ini";

// The settings of what Kopix adds to the list: pasting into the window the user came from and the key that
// brings Kopix to the front. They live in a section of their own, so the other sections read and write
// exactly as before.
inline constexpr auto KopixSection = u"Kopix";
// The keys a paste may send, as the settings file spells them (Qt's key-sequence text); the first is the
// default.
inline constexpr std::array<const char16_t*, 3> PasteKeyTexts{u"Ctrl+V", u"Shift+Insert", u"Ctrl+Shift+V"};

struct KopixSettings {
    bool pasteInto = false;                                  // PasteInto: 0 or 1
    QString pasteKey = QString::fromUtf16(PasteKeyTexts[0]); // PasteKey: one of PasteKeyTexts
    QString globalKey;                                       // GlobalKey: a key-sequence text, "" for none
    bool operator==(const KopixSettings&) const = default;
};

// A value that makes no sense (PasteInto other than 0 or 1, a PasteKey not offered) gives the default, and
// "key=value" is added to `rejected`. An empty value is the default. The global key's text is taken as it
// stands (blanks around it removed): whether it names a key is for the one who knows keys to say.
KopixSettings readKopixSettings(const ProfileFile& ini, QStringList* rejected);
// Writes the section only once the user has set one of its values: when the file has it already, or a
// value differs from the default. A settings file that never had it stays byte for byte as it was.
void writeKopixSettings(ProfileFile& ini, const KopixSettings& settings);

// The settings the user gives Kopix, as one value: read from the settings file at start, changed by the
// settings dialog, written at exit. The window's place is where it was at start; the exit writes where it is.
struct Settings {
    // The window's outer rectangle (size from section AA, position from fC) and the list's top row.
    int left = 20;
    int top = 20;
    int width = 0;
    int height = 0;
    int topIndex = 0;
    int listFontSize = 11;
    std::array<HighlightRule, RuleCount> rules;
    QString editorPath; // the program F3 starts, "" for the desktop's editor
    KopixSettings kopix;
    bool operator==(const Settings&) const = default;
};

// What the settings file holds: the settings, the ten recent files, and the folder of the program that
// wrote it (FD; on writing, the folder of this program).
struct StoredSettings : Settings {
    QString programFolder;
    QStringList recentFiles;
};

// Each value checked and defaulted. followProgramFolder: stored paths follow a moved program folder (a
// portable copy); an installed copy's paths are taken as they are, and its editor path does not need the
// folder of the last run. [Kopix] values that make no sense are added to `rejected` (readKopixSettings).
StoredSettings readSettings(const ProfileFile& ini, const StartupDefaults& defaults, const QString& wDirS,
                            const std::function<bool(const QString&)>& fileExists,
                            bool followProgramFolder = true, QStringList* rejected = nullptr);
// Writes, in this order: fC (size, position), LB (top row, font size, the three rules), FL (program
// folder, ten recent files), Memotyo (editor), and [Kopix] as writeKopixSettings does.
void writeSettings(ProfileFile& ini, const StoredSettings& settings);

} // namespace kopix
