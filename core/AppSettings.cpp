#include "core/AppSettings.h"

#include "core/PathRules.h"
#include "core/ProfileFile.h"
#include "core/ProfileInt.h"
#include "core/RecentFiles.h"

#include <algorithm>
#include <iterator>

namespace kopix {

namespace {

QString ruleKey(char16_t letter, int rule) {
    return QString(QChar(letter)) + QString::number(rule);
}

// The sections of the window's own settings, read at start and written at exit.
constexpr const char16_t* ExitSections[] = {u"fC", u"AA", u"LB", u"FL", u"Memotyo"};

} // namespace

StoredSettings readSettings(const ProfileFile& ini, const StartupDefaults& defaults, const QString& wDirS,
                            const std::function<bool(const QString&)>& fileExists, bool followProgramFolder,
                            QStringList* rejected) {
    StoredSettings s;
    // The size comes from a hand-made AA section only; what the program writes at exit goes to fC.
    s.width = std::max(readProfileInt(ini, u"AA", u"A_W", defaults.outerWidth), defaults.minimumWidth);
    s.height = std::max(readProfileInt(ini, u"AA", u"A_H", defaults.outerHeight), defaults.minimumHeight);
    s.left = readProfileInt(ini, u"fC", u"A_L", 20);
    s.top = readProfileInt(ini, u"fC", u"A_T", 20);
    s.topIndex = readProfileInt(ini, u"LB", u"TI", 0);
    s.listFontSize = readProfileInt(ini, u"LB", u"FS", defaults.fontSize);
    if (s.listFontSize < MinListFontSize || s.listFontSize > MaxListFontSize)
        s.listFontSize = defaults.fontSize;
    for (int n = 1; n <= RuleCount; ++n) {
        HighlightRule& rule = s.rules[size_t(n - 1)];
        rule.prefix = ini.readString(u"LB", ruleKey(u'K', n), u"");
        rule.style = quint8(readProfileInt(ini, u"LB", ruleKey(u'S', n), defaults.fontStyle) & 0xFF);
        rule.color = readProfileInt(ini, u"LB", ruleKey(u'C', n), defaults.fontColor);
    }
    s.programFolder = ini.readPath(u"FL", u"FD");
    // An installed copy never moves: its paths are compared with themselves.
    const QString fromFolder = followProgramFolder ? s.programFolder : storedProgramFolder(wDirS);
    s.recentFiles =
        relocateRecentFiles([&ini](int k) { return ini.readPath(u"FL", QString(u"F" + QString::number(k))); },
                            fromFolder, wDirS, fileExists);
    s.editorPath = relocateEditorPath(ini.readPath(u"Memotyo", u"Notepad"), fromFolder, wDirS);
    s.kopix = readKopixSettings(ini, rejected);
    return s;
}

void writeSettings(ProfileFile& ini, const StoredSettings& s) {
    ini.writeString(u"fC", u"A_W", profileIntText(s.width));
    ini.writeString(u"fC", u"A_H", profileIntText(s.height));
    ini.writeString(u"fC", u"A_L", profileIntText(s.left));
    ini.writeString(u"fC", u"A_T", profileIntText(s.top));
    ini.writeString(u"LB", u"TI", profileIntText(s.topIndex));
    ini.writeString(u"LB", u"FS", profileIntText(s.listFontSize));
    for (int n = 1; n <= RuleCount; ++n) {
        const HighlightRule& rule = s.rules[size_t(n - 1)];
        ini.writeString(u"LB", ruleKey(u'K', n), rule.prefix);
        ini.writeString(u"LB", ruleKey(u'S', n), profileIntText(rule.style));
        ini.writeString(u"LB", ruleKey(u'C', n), profileIntText(rule.color));
    }
    ini.writePath(u"FL", u"FD", storedProgramFolder(s.programFolder));
    for (int k = 0; k < RecentFiles::Size; ++k)
        ini.writePath(u"FL", QString(u"F" + QString::number(k)), s.recentFiles.value(k));
    ini.writePath(u"Memotyo", u"Notepad", s.editorPath);
    writeKopixSettings(ini, s.kopix);
}

HighlightRule firstRunRule() {
    return HighlightRule{QStringLiteral("http"), quint8(StyleBold | StyleUnderline), clBlue};
}

bool isFirstRun(const ProfileFile& ini) {
    // A settings file there that could not be read is the user's all the same.
    if (!ini.readError().isEmpty())
        return false;
    return std::none_of(std::begin(ExitSections), std::end(ExitSections),
                        [&ini](const char16_t* section) { return ini.hasSection(QStringView(section)); });
}

KopixSettings readKopixSettings(const ProfileFile& ini, QStringList* rejected) {
    KopixSettings s;
    const auto reject = [rejected](QStringView key, const QString& value) {
        if (rejected)
            rejected->append(key + u'=' + value);
    };
    const QString pasteInto = ini.readString(KopixSection, u"PasteInto", u"").trimmed();
    if (pasteInto == u"1")
        s.pasteInto = true;
    else if (!pasteInto.isEmpty() && pasteInto != u"0")
        reject(u"PasteInto", pasteInto);
    // Written by hand as "ctrl + shift + v" it is still the same key.
    QString pasteKey = ini.readString(KopixSection, u"PasteKey", u"");
    pasteKey.remove(u' ');
    if (!pasteKey.isEmpty()) {
        const auto known =
            std::find_if(PasteKeyTexts.begin(), PasteKeyTexts.end(), [&](const char16_t* text) {
                return pasteKey.compare(QString::fromUtf16(text), Qt::CaseInsensitive) == 0;
            });
        if (known != PasteKeyTexts.end())
            s.pasteKey = QString::fromUtf16(*known);
        else
            reject(u"PasteKey", pasteKey);
    }
    s.globalKey = ini.readString(KopixSection, u"GlobalKey", u"").trimmed();
    return s;
}

void writeKopixSettings(ProfileFile& ini, const KopixSettings& s) {
    if (!ini.hasSection(KopixSection) && s == KopixSettings{})
        return;
    ini.writeString(KopixSection, u"PasteInto", s.pasteInto ? u"1" : u"0");
    ini.writeString(KopixSection, u"PasteKey", s.pasteKey);
    ini.writeString(KopixSection, u"GlobalKey", s.globalKey);
}

} // namespace kopix
