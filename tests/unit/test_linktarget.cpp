// Which rows are links, what a launch takes from them, and which targets the browser is given.
#include "core/LinkTarget.h"

#include <gtest/gtest.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

TEST(LinkRow, FirstFourCharactersAreHttpInThatCase) {
    struct Case {
        QString row;
        bool link;
    } cases[] = {
        {u"http://example.com/"_s, true},
        {u"https://example.com/"_s, true},
        {u"httpfoo"_s, true},
        {u"http"_s, true},
        {u"HTTP://example.com/"_s, false},
        {u"Http://example.com/"_s, false},
        {u" http://example.com/"_s, false},
        {u"\thttp://x"_s, false},
        {u"htt"_s, false},
        {u""_s, false},
        {u"ｈｔｔｐ://x"_s, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isLinkRow(c.row), c.link) << c.row.toStdString();
}

TEST(LaunchTarget, WholeRowUpToThreeHundredCharactersElseEmpty) {
    const QString head = u"https://example.com/"_s;
    const QString exact = head + QString(LinkTargetLimit - head.size(), u'a');
    ASSERT_EQ(exact.size(), 300);
    EXPECT_EQ(launchTarget(exact), exact);
    EXPECT_EQ(launchTarget(QString(exact + u"b"_s)), QString()) << "301 characters do not fit at all";
    EXPECT_EQ(launchTarget(u"http://x/ trailing "_s), u"http://x/ trailing "_s) << "nothing trimmed";
    EXPECT_EQ(launchTarget(u""_s), QString());
}

struct UrlCase {
    const char* name;
    QString target;
    bool opened;
};

class Browsable : public ::testing::TestWithParam<UrlCase> {};

TEST_P(Browsable, OnlyAbsoluteWebAddresses) {
    const std::optional<QUrl> url = browsableUrl(GetParam().target);
    EXPECT_EQ(url.has_value(), GetParam().opened) << (url ? url->toString().toStdString() : std::string());
    if (url) {
        EXPECT_TRUE(url->scheme() == u"http" || url->scheme() == u"https");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Targets, Browsable,
    ::testing::Values(UrlCase{"Http", u"http://example.com/"_s, true},
                      UrlCase{"Https", u"https://example.com/path?q=1#top"_s, true},
                      UrlCase{"PortAndUser", u"http://user@localhost:8080/x"_s, true},
                      UrlCase{"InternationalHost", u"https://例え.jp/ページ"_s, true},
                      UrlCase{"MixedCaseScheme", u"httpS://example.com/"_s, true},
                      UrlCase{"BlankInPath", u"http://example.com/a b"_s, true},
                      UrlCase{"NoSeparatorRelativeName", u"httpfoo"_s, false},
                      UrlCase{"LocalFileName", u"http_notes.txt"_s, false},
                      UrlCase{"SchemeWithoutHost", u"http:foo"_s, false},
                      UrlCase{"AbsolutePathNoHost", u"http:/etc/passwd"_s, false},
                      UrlCase{"EmptyHost", u"http:///etc/passwd"_s, false},
                      UrlCase{"OnlyScheme", u"https://"_s, false},
                      UrlCase{"OtherSchemeThatStartsWithHttp", u"httpx://example.com/"_s, false},
                      UrlCase{"Empty", u""_s, false}, UrlCase{"JustHttp", u"http"_s, false}),
    [](const ::testing::TestParamInfo<UrlCase>& info) { return std::string(info.param.name); });

TEST(Browsable, TheBrowserGetsTheAddressAsWrittenWithOnlyWhatMustBeEscaped) {
    struct Case {
        QString target;
        QByteArray encoded;
    } cases[] = {
        // A blank is one argument's part, never a split into two.
        {u"http://example.com/a b"_s, "http://example.com/a%20b"},
        // Escapes already there stay as they are; a lone % (a percentage) is the only one escaped.
        {u"https://h.example/%E6%97%A5/100%"_s, "https://h.example/%E6%97%A5/100%25"},
        {u"https://h.example/?off=50%&q=%26"_s, "https://h.example/?off=50%25&q=%26"},
        {u"https://h.example/%zz%4"_s, "https://h.example/%25zz%254"},
        {u"https://h.example/%E6%97%A5"_s, "https://h.example/%E6%97%A5"},
    };
    for (const Case& c : cases) {
        const std::optional<QUrl> url = browsableUrl(c.target);
        ASSERT_TRUE(url) << c.target.toStdString();
        EXPECT_EQ(url->toEncoded(), c.encoded) << c.target.toStdString();
    }
}

} // namespace
