#include "core/AppSettings.h"
#include "core/ProfileFile.h"

#include <gtest/gtest.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

struct ReadCase {
    const char* name;
    QByteArray ini;
    KopixSettings settings;
    QStringList rejected;
};

class KopixSectionReading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(KopixSectionReading, GivesTheValuesAndNamesTheOnesThatMakeNoSense) {
    const ReadCase& c = GetParam();
    QStringList rejected;
    const KopixSettings s = readKopixSettings(ProfileFile::fromBytes(c.ini), &rejected);
    EXPECT_EQ(s.pasteInto, c.settings.pasteInto);
    EXPECT_EQ(s.pasteKey, c.settings.pasteKey);
    EXPECT_EQ(s.globalKey, c.settings.globalKey);
    EXPECT_EQ(rejected, c.rejected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KopixSectionReading,
    ::testing::Values(
        ReadCase{"no_section_gives_the_defaults", "[LB]\r\nFS=11\r\n", {}, {}},
        ReadCase{"set_by_hand",
                 "[kopix]\r\nPasteInto=1\r\nPasteKey=Shift+Insert\r\nGlobalKey= Ctrl+Alt+K \r\n",
                 {true, u"Shift+Insert"_s, u"Ctrl+Alt+K"_s},
                 {}},
        ReadCase{"paste_key_spelt_loosely",
                 "[Kopix]\r\nPasteKey=ctrl + shift + v\r\n",
                 {false, u"Ctrl+Shift+V"_s, {}},
                 {}},
        ReadCase{"nonsense_falls_back_and_is_named",
                 "[Kopix]\r\nPasteInto=yes\r\nPasteKey=Ctrl+Q\r\n",
                 {},
                 {u"PasteInto=yes"_s, u"PasteKey=Ctrl+Q"_s}},
        ReadCase{
            "empty_values_are_the_defaults", "[Kopix]\r\nPasteInto=\r\nPasteKey=\r\nGlobalKey=\r\n", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct WriteCase {
    const char* name;
    QByteArray before;
    KopixSettings settings;
    QByteArray after;
};

class KopixSectionWriting : public ::testing::TestWithParam<WriteCase> {};

TEST_P(KopixSectionWriting, TouchesTheFileOnlyOnceTheUserHasSetAValue) {
    const WriteCase& c = GetParam();
    ProfileFile ini = ProfileFile::fromBytes(c.before);
    writeKopixSettings(ini, c.settings);
    EXPECT_EQ(ini.toBytes(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KopixSectionWriting,
    ::testing::Values(
        WriteCase{"defaults_leave_an_older_file_alone", "[LB]\r\nFS=11\r\n", {}, "[LB]\r\nFS=11\r\n"},
        WriteCase{
            "a_set_value_adds_the_section_at_the_end",
            "[LB]\r\nFS=11\r\n",
            {true, u"Ctrl+Shift+V"_s, u"Ctrl+Alt+K"_s},
            "[LB]\r\nFS=11\r\n[Kopix]\r\nPasteInto=1\r\nPasteKey=Ctrl+Shift+V\r\nGlobalKey=Ctrl+Alt+K\r\n"},
        WriteCase{"back_to_the_defaults_is_written_too",
                  "[Kopix]\r\nPasteInto=1\r\n",
                  {},
                  "[Kopix]\r\nPasteInto=0\r\nPasteKey=Ctrl+V\r\nGlobalKey=\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
