// Closing Kopix while corrections wait for a question: a second close request from the desktop (a task
// bar's "Close", a pager) must not end it behind the question's back.
#include "support/EventWait.h"
#include "support/KopixProcess.h"
#include "support/XServer.h"

#include <gtest/gtest.h>

namespace kopix::test {
namespace {

const QByteArray settings = "[fC]\r\nA_L=100\r\nA_T=100\r\n";
const QByteArray theirs = "written by another program\r\n";

QString key(const char* name) {
    return QString::fromUtf8(name);
}

class CloseRequests : public ::testing::Test {
protected:
    // Kopix with a correction typed that cannot be saved without the user's yes: another program wrote
    // the file meanwhile. The tab switch asks; 無視 keeps the correction pending on the list.
    void pendCorrectionOnTheList() {
        kopix.writeFile(key("Kopix.ini"), settings);
        ASSERT_TRUE(kopix.start({kopix.writeFile(key("doc.txt"), "alpha\r\nbeta\r\n")}));
        window = kopix.waitForWindow(key("doc.txt - Kopix"));
        ASSERT_NE(window, 0u) << kopix.errorOutput().constData();
        ASSERT_TRUE(xdotool({key("windowactivate"), key("--sync"), QString::number(window)}));
        ASSERT_TRUE(xdotool({key("key"), key("--window"), QString::number(window), key("ctrl+Tab")}));
        ASSERT_TRUE(xdotool({key("key"), key("End")}));
        ASSERT_TRUE(xdotool({key("type"), key("--delay"), key("20"), key("XYZ")}));
        pumpEvents(300);
        kopix.writeFile(key("doc.txt"), theirs);
        ASSERT_TRUE(xdotool({key("key"), key("ctrl+Tab")}));
        ASSERT_TRUE(answerQuestion(key("Escape"))) << "the tab switch asks first";
    }
    // Waits for the question box and answers it with a key.
    bool answerQuestion(const QString& answer) {
        const unsigned long box = kopix.waitForWindow(key("確認"), 5000);
        if (box == 0)
            return false;
        xdotool({key("windowactivate"), key("--sync"), QString::number(box)});
        xdotool({key("key"), answer});
        return waitFor(
            [&] {
                return runTool(key("xdotool"),
                               {key("search"), key("--onlyvisible"), key("--name"), key("^確認$")})
                    .isEmpty();
            },
            5000);
    }

    KopixProcess kopix;
    unsigned long window = 0;
};

struct FirstClose {
    const char* name;
    std::function<void(unsigned long window)> request;
};

class WhileTheCloseAsks : public CloseRequests, public ::testing::WithParamInterface<FirstClose> {};

TEST_P(WhileTheCloseAsks, AnotherCloseRequestIsIgnoredAndTheAnswerCounts) {
    ASSERT_NO_FATAL_FAILURE(pendCorrectionOnTheList());
    GetParam().request(window);
    ASSERT_NE(kopix.waitForWindow(key("確認"), 5000), 0u)
        << "the close asks about the other program's change";

    runTool(key("wmctrl"), {key("-i"), key("-c"), QString::number(window)});
    pumpEvents(1000);
    ASSERT_FALSE(kopix.waitForExit(0)) << "Kopix ended behind the question's back";
    EXPECT_EQ(kopix.readFile(key("doc.txt")), theirs);

    // The question is still there, and its answer still decides: OK writes the correction and closes.
    ASSERT_TRUE(answerQuestion(key("Return")));
    ASSERT_TRUE(kopix.waitForExit(5000));
    EXPECT_EQ(kopix.process().exitCode(), 0);
    EXPECT_EQ(kopix.readFile(key("doc.txt")), QByteArray("alphaXYZ\r\nbeta\r\n"));
    const QByteArray ini = kopix.readFile(key("Kopix.ini"));
    EXPECT_TRUE(ini.contains("A_L=100\r\n") && ini.contains("A_T=100\r\n")) << ini.constData();
}

INSTANTIATE_TEST_SUITE_P(
    Ways, WhileTheCloseAsks,
    ::testing::Values(FirstClose{"EscInTheList",
                                 [](unsigned long window) {
                                     // Below the rows: the list takes the focus, the selection stays.
                                     xdotool({key("mousemove"), key("--window"), QString::number(window),
                                              key("100"), key("200"), key("click"), key("1")});
                                     xdotool({key("key"), key("Escape")});
                                 }},
                      FirstClose{"TheWindowManager",
                                 [](unsigned long window) {
                                     runTool(key("wmctrl"), {key("-i"), key("-c"), QString::number(window)});
                                 }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kopix::test
