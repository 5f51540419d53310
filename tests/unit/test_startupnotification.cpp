#include "core/StartupNotification.h"

#include <gtest/gtest.h>

namespace kopix {
namespace {

TEST(StartupNotification, TheRemoveMessageQuotesWhatWouldEndOrBreakTheValue) {
    const struct {
        const char* id;
        QByteArray message;
    } cases[] = {
        {"launcher-42-host-kopix-0_TIME1234", "remove: ID=launcher-42-host-kopix-0_TIME1234"},
        {"with space_TIME1", "remove: ID=\"with space_TIME1\""},
        {"a\"b\\c", "remove: ID=\"a\\\"b\\\\c\""},
    };
    for (const auto& c : cases) {
        QByteArray expected = c.message;
        expected.append('\0'); // the message ends with its NUL
        EXPECT_EQ(startupRemoveMessage(c.id), expected) << c.id;
    }
}

} // namespace
} // namespace kopix
