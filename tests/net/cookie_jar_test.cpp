#include "cookie_jar.h"

#include "internet_date.h"

#include <gtest/gtest.h>

using tamsel::net::CookieJar;
using tamsel::net::formatInternetDate;
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

TEST(CookieJar, DomainMustEndTheHostNotJustOccurInIt)
{
    CookieJar jar;
    jar.store("a=1; path=/", "shop.com", Now);
    jar.store("b=1; domain=.shop.com; path=/", "www.shop.com", Now);
    EXPECT_EQ("", jar.cookieHeader("shop.com.evil.net", "/", Now));
    EXPECT_EQ("", jar.cookieHeader("notshop.com", "/", Now));
    EXPECT_EQ("b=1", jar.cookieHeader("x.SHOP.com", "/", Now));
}

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

TEST(CookieJar, ExpiredAndUnreadableDatesAreDeleted)
{
    CookieJar jar;
    jar.store("old=1; path=/; expires=Sun, 06 Nov 1994 08:49:37 GMT", "h.example", Now);
    jar.store("bad=1; path=/; expires=someday", "h.example", Now);
    jar.store("new=1; path=/; expires=Fri, 01-Jan-38 00:00:00 GMT", "h.example", Now);
    jar.store("gone=1; path=/; max-age=0", "h.example", Now);
    jar.store("kept=1; path=/; max-age=60", "h.example", Now);
    EXPECT_EQ("kept=1; new=1", jar.cookieHeader("h.example", "/", Now + 1));
    EXPECT_EQ("new=1", jar.cookieHeader("h.example", "/", Now + 61));
}

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
