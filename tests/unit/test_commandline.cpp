#include "core/CommandLine.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

TEST(CommandLine, RunsPrintsOrFailsLikeAUnixProgram) {
    using Action = CommandLine::Action;
    const struct {
        QStringList arguments;
        Action action;
        QString document;     // for Run
        QString outputStarts; // for Print and Fail
    } cases[] = {
        {{}, Action::Run, {}, {}},
        {{u"notes.txt"_s}, Action::Run, u"notes.txt"_s, {}},
        {{u"--"_s, u"-odd name.txt"_s}, Action::Run, u"-odd name.txt"_s, {}},
        {{u"-platform"_s, u"xcb"_s, u"-display"_s, u":1"_s, u"a.txt"_s}, Action::Run, u"a.txt"_s, {}},
        {{u"--version"_s}, Action::Print, {}, u"kopix 0.1\n"_s},
        {{u"-h"_s}, Action::Print, {}, u"Usage: kopix [options] [FILE]\n"_s},
        {{u"--bogus"_s}, Action::Fail, {}, u"kopix: Unknown option 'bogus'."_s},
        {{u"--help-all"_s}, Action::Fail, {}, u"kopix: Unknown option 'help-all'."_s},
    };
    for (const auto& c : cases) {
        const CommandLine parsed = parseCommandLine(QStringList{u"/usr/bin/kopix"_s} + c.arguments, u"0.1"_s);
        const std::string name = c.arguments.join(u' ').toStdString();
        EXPECT_EQ(parsed.action, c.action) << name;
        EXPECT_EQ(parsed.document, c.document) << name;
        EXPECT_TRUE(parsed.output.startsWith(c.outputStarts)) << name << ": " << parsed.output.toStdString();
        if (c.action == Action::Fail) {
            EXPECT_EQ(parsed.output.count(u'\n'), 1) << "one line: " << name;
        }
    }
    const QString help = parseCommandLine({u"kopix"_s, u"--help"_s}, u"0.1"_s).output;
    EXPECT_TRUE(help.contains(u"[FILE]"_s)) << help.toStdString();
    EXPECT_FALSE(help.contains(u"platform"_s)) << "Qt's own options are taken, not advertised";
}

} // namespace
