#include "cookie_jar.h"

#include "internet_date.h"

#include <gtest/gtest.h>

using tamsel::net::CookieJar;
using tamsel::net::formatInternetDate;
using tamsel::net::LatestInternetDate;
using tamsel::net::parseInternetDate;

namespace {

constexpr std::time_t Now = 1700000000;  // Tue, 14 Nov 2023 22:13:20 GMT

}  // namespace

TEST(CookieJar, CookieWithoutPathIsNeverSent)
{
    CookieJar jar;
    jar.store("a=1; path=/", "www.shop.com", Now);
    jar.store("b=2", "www.shop.com", Now);
    EXPECT_EQ("a=1", jar.cookieHeader("www.shop.com", "/x/", Now));
}

TEST(CookieJar, ParentDomainWithDotIsAcceptedGrandparentDropped)
{
    CookieJar jar;
    jar.store("parent=1; domain=.shop.com; path=/", "www.shop.com", Now);
    jar.store("grand=1; domain=.com; path=/", "www.a.shop.com", Now);
    jar.store("bare=1; domain=shop.com; path=/", "www.shop.com", Now);
    jar.store("other=1; domain=.evil.com; path=/", "www.shop.com", Now);
    EXPECT_EQ("parent=1", jar.cookieHeader("img.shop.com", "/", Now));
    EXPECT_EQ("", jar.cookieHeader("shop.com", "/", Now));
}

TEST(CookieJar, DottedHostTakesOnlyItsOwnAddress)
{
    CookieJar jar;
    jar.store("a=1; path=/", "127.0.0.1", Now);
    jar.store("b=1; path=/; domain=.0.0.1", "127.0.0.1", Now);
    EXPECT_EQ("a=1", jar.cookieHeader("127.0.0.1", "/", Now));
}

struct DomainMatch {
    std::string name;
    std::string host;
    std::string cookie;  // the "Cookie" value for that host
};

void PrintTo(const DomainMatch& row, std::ostream* out)
{
    *out << row.name;
}

class CookieDomain : public ::testing::TestWithParam<DomainMatch> {};

// "a" has no Domain attribute and so the domain of the host that set it; "b" names the parent.
TEST_P(CookieDomain, CookieGoesWhereItsDomainEndsTheHostOnALabel)
{
    CookieJar jar;
    jar.store("a=1; path=/", "shop.example", Now);
    jar.store("b=1; domain=.shop.example; path=/", "www.shop.example", Now);
    EXPECT_EQ(GetParam().cookie, jar.cookieHeader(GetParam().host, "/", Now));
}

const DomainMatch domainMatches[] = {
    {"TheSettingHost", "shop.example", "a=1"},
    {"AHostBelowIt", "www.shop.example", "a=1; b=1"},
    {"AHostBelowItInCapitals", "WWW.Shop.Example", "a=1; b=1"},
    {"AHostTwoLevelsBelowIt", "img.www.shop.example", "a=1; b=1"},
    {"NotAHostWhoseLabelMerelyEndsWithIt", "notshop.example", ""},
    {"NotAHostThatGoesOnAfterIt", "shop.example.evil", ""},
    {"NotItsParent", "example", ""},
};

INSTANTIATE_TEST_SUITE_P(Hosts, CookieDomain, ::testing::ValuesIn(domainMatches),
                         [](const auto& info) { return info.param.name; });

TEST(CookieJar, SecureCookieIsNeverSent)
{
    CookieJar jar;
    jar.store("s=1; path=/; Secure", "h.example", Now);
    EXPECT_EQ("", jar.cookieHeader("h.example", "/", Now));
}

TEST(CookieJar, LongerPathGoesFirstEqualPathsNewestFirst)
{
    CookieJar jar;
    jar.store("root=1; path=/", "h.example", Now);
    jar.store("list=2; path=/itemlist/", "h.example", Now);
    jar.store("late=3; path=/", "h.example", Now);
    EXPECT_EQ("list=2; late=3; root=1", jar.cookieHeader("h.example", "/itemlist/", Now));
    EXPECT_EQ("late=3; root=1", jar.cookieHeader("h.example", "/other/", Now));
}

TEST(CookieJar, SameNameReplacesInPlaceAndEmptyValueIsNotSent)
{
    CookieJar jar;
    jar.store("a=1; path=/", "h.example", Now);
    jar.store("b=2; path=/", "h.example", Now);
    jar.store("A=3; path=\"/\"", "h.example", Now);
    EXPECT_EQ("b=2; A=3", jar.cookieHeader("h.example", "/", Now));
    jar.store("b=; path=/", "h.example", Now);
    EXPECT_EQ("A=3", jar.cookieHeader("h.example", "/", Now));
}

struct Expiry {
    std::string name;
    std::string attributes;  // after "a=1; path=/; "
    std::time_t askedAt;     // when the next request goes
    bool sent;
};

void PrintTo(const Expiry& row, std::ostream* out)
{
    *out << row.name;
}

class CookieExpiry : public ::testing::TestWithParam<Expiry> {};

TEST_P(CookieExpiry, CookieGoesOnlyBeforeItsExpiry)
{
    CookieJar jar;
    jar.store("a=1; path=/; " + GetParam().attributes, "h.example", Now);
    EXPECT_EQ(GetParam().sent ? "a=1" : "", jar.cookieHeader("h.example", "/", GetParam().askedAt));
}

const Expiry expiries[] = {
    {"MaxAgeZeroDeletesAtOnce", "max-age=0", Now, false},
    {"ExpiryOfThisSecondDeletesAtOnce", "expires=" + formatInternetDate(Now), Now, false},
    {"ExpiryOfTheNextSecondKeepsItThisSecond", "expires=" + formatInternetDate(Now + 1), Now, true},
    {"MaxAgeSixtyKeepsItFiftyNineSeconds", "max-age=60", Now + 59, true},
    {"MaxAgeSixtyDeletesItAtSixtySeconds", "max-age=60", Now + 60, false},
    {"PastDateDeletes", "expires=Sun, 06 Nov 1994 08:49:37 GMT", Now, false},
    {"UnreadableDateDeletes", "expires=someday", Now, false},
    {"YearThirtyEightIsTwentyThirtyEight", "expires=Fri, 01-Jan-38 00:00:00 GMT", Now + 61, true},
    {"ExpiresOutranksMaxAge", "expires=Sun, 06 Nov 1994 08:49:37 GMT; max-age=60", Now, false},
    {"NegativeMaxAgeKeepsItForTheJarsLife", "max-age=-1", Now + 1000000000, true},
    {"HugeMaxAgeKeepsItUntilTheLastReadableDate", "max-age=999999999999", LatestInternetDate - 1, true},
    {"HugeMaxAgeDeletesItAtTheLastReadableDate", "max-age=999999999999", LatestInternetDate, false},
    {"MaxAgeReachingJustPastTheLastReadableDateIsCapped", "max-age=" + std::to_string(LatestInternetDate - Now + 1),
     LatestInternetDate - 1, true},
};

INSTANTIATE_TEST_SUITE_P(Dates, CookieExpiry, ::testing::ValuesIn(expiries),
                         [](const auto& info) { return info.param.name; });

TEST(InternetDate, ReadsCommonFormsAndZones)
{
    const std::time_t expected = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT
    EXPECT_EQ(expected, parseInternetDate("Sun, 06 Nov 1994 08:49:37 GMT"));
    EXPECT_EQ(expected, parseInternetDate("Sunday, 06-Nov-94 08:49:37 GMT"));
    EXPECT_EQ(expected, parseInternetDate("Sun Nov  6 08:49:37 1994"));
    EXPECT_EQ(expected, parseInternetDate("  Nov 06 1994 16:49:37 +0800 "));
    EXPECT_EQ(expected, parseInternetDate("06 Nov 1994 03:49:37 -0500"));
    EXPECT_EQ(std::time_t{1009843200}, parseInternetDate("01 Jan 02 00:00:00 GMT"));
    EXPECT_FALSE(parseInternetDate("31 Feb 2020 00:00:00 GMT"));
    EXPECT_FALSE(parseInternetDate("tomorrow"));
    EXPECT_EQ("Sun, 06 Nov 1994 08:49:37 GMT", formatInternetDate(expected));
}

TEST(InternetDate, LastReadableDateReadsBackAndTheSecondAfterItDoesNot)
{
    EXPECT_EQ("Fri, 31 Dec 9999 23:59:59 GMT", formatInternetDate(LatestInternetDate));
    EXPECT_EQ(LatestInternetDate, parseInternetDate(formatInternetDate(LatestInternetDate)));
    EXPECT_EQ("Sat, 01 Jan 10000 00:00:00 GMT", formatInternetDate(LatestInternetDate + 1));
    EXPECT_EQ(std::nullopt, parseInternetDate(formatInternetDate(LatestInternetDate + 1)));
}
