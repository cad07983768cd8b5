#include "url.h"

#include "http_error.h"

#include <gtest/gtest.h>

using tamsel::net::RequestTarget;
using tamsel::net::resolvePath;
using tamsel::net::splitUrl;

TEST(SplitUrl, CutsAnAbsoluteListingUrl)
{
    const auto parts = splitUrl("http://s.example.com/itemlist/default.htm?&cat=0");
    EXPECT_EQ("http", parts.protocol);
    EXPECT_EQ("s.example.com", parts.host);
    EXPECT_EQ("", parts.port);
    EXPECT_EQ("/itemlist/", parts.path);
    EXPECT_EQ("default.htm", parts.document);
    EXPECT_EQ("?&cat=0", parts.parameters);
}

TEST(SplitUrl, HostAloneHasRootPath)
{
    const auto parts = splitUrl("http://h:8080");
    EXPECT_EQ("h", parts.host);
    EXPECT_EQ("8080", parts.port);
    EXPECT_EQ("/", parts.path);
    EXPECT_EQ("", parts.document);
}

TEST(SplitUrl, RelativeDocumentWithQuery)
{
    const auto parts = splitUrl("next.htm?a=1");
    EXPECT_EQ("", parts.path);
    EXPECT_EQ("next.htm", parts.document);
    EXPECT_EQ("?a=1", parts.parameters);
    EXPECT_EQ("/a/", splitUrl("/a/b.htm").path);
}

TEST(SplitUrl, TakesHostAfterCredentials)
{
    const auto parts = splitUrl("http://user:secret@h:81/x");
    EXPECT_EQ("user", parts.userName);
    EXPECT_EQ("secret", parts.password);
    EXPECT_EQ("h", parts.host);
    EXPECT_EQ("81", parts.port);
}

TEST(SplitUrl, SlashInQueryDoesNotMovePathCut)
{
    const auto parts = splitUrl("http://h/a/b.htm?next=/c/d");
    EXPECT_EQ("/a/", parts.path);
    EXPECT_EQ("b.htm", parts.document);
    EXPECT_EQ("?next=/c/d", parts.parameters);
}

TEST(SplitUrl, BackslashBecomesSlashButNotInsideDoubleByteCharacter)
{
    EXPECT_EQ("/a/", splitUrl("http://h\\a\\b.htm").path);
    // 0x95 0x5C is one GBK character whose trail byte is a backslash.
    const auto parts = splitUrl("http://h/\x95\x5C.htm");
    EXPECT_EQ("/", parts.path);
    EXPECT_EQ("\x95\x5C.htm", parts.document);
}

TEST(SplitUrl, BookmarkComesOffDocumentOrParameters)
{
    EXPECT_EQ("top", splitUrl("http://h/a.htm#top").bookmark);
    const auto parts = splitUrl("http://h/a.htm?x=1#end");
    EXPECT_EQ("?x=1", parts.parameters);
    EXPECT_EQ("end", parts.bookmark);
}

TEST(ResolvePath, AgainstListingDirectory)
{
    EXPECT_EQ("/itemlist/", resolvePath("", "/itemlist/"));
    EXPECT_EQ("/itemlist/sub/", resolvePath("sub/", "/itemlist/"));
    EXPECT_EQ("/", resolvePath("../", "/itemlist/"));
    EXPECT_EQ("/abs/", resolvePath("/abs/", "/itemlist/"));
    EXPECT_EQ("/a/c/", resolvePath("b/../c/", "/a/"));
    EXPECT_EQ("/a/b/", resolvePath("b//", "/a/"));
}

TEST(RequestTarget, RelativeRedirectKeepsDirectoryHostAndPort)
{
    RequestTarget target;
    target.merge("http://h:8080/itemlist/default.htm?x=1");
    EXPECT_EQ("/itemlist/default.htm?x=1", target.resource());
    EXPECT_EQ("h:8080", target.hostHeader());
    target.merge("other.htm");
    EXPECT_EQ("/itemlist/other.htm", target.resource());
    target.merge("?q=2");
    EXPECT_EQ("/itemlist/?q=2", target.resource());
    target.merge("/root.htm");
    EXPECT_EQ("/root.htm", target.resource());
    EXPECT_EQ("h:8080", target.hostHeader());
}

TEST(RequestTarget, PortStaysWhenAbsoluteUrlNamesAnotherHost)
{
    RequestTarget target;
    target.merge("http://a:8080/x");
    target.merge("http://b/y");
    EXPECT_EQ("b", target.host());
    EXPECT_EQ("8080", target.port());
    EXPECT_EQ("b:8080", target.hostHeader());
}

TEST(RequestTarget, DefaultPortFollowsProtocol)
{
    RequestTarget target;
    target.merge("http://a/x");
    EXPECT_EQ("a", target.hostHeader());
    target.merge("https://a/x");
    EXPECT_EQ("443", target.port());
    target.merge("http://a/x");
    EXPECT_EQ("80", target.port());
}

TEST(RequestTarget, UnknownProtocolFailsWithEmptyMessageAfterTakingAllButThePort)
{
    RequestTarget target;
    target.merge("http://a/x");
    try {
        target.merge("ftp://b/y");
        FAIL() << "merge succeeded";
    } catch (const tamsel::net::HttpError& error) {
        EXPECT_EQ(std::string(), error.what());
    }
    EXPECT_EQ("ftp", target.protocol());
    EXPECT_EQ("b", target.host());
    EXPECT_EQ("80", target.port());
    EXPECT_EQ("/y", target.resource());
}

TEST(RequestTarget, ControlCharacterFailsLeavingTheTargetAsItWas)
{
    RequestTarget target;
    target.merge("http://a:8080/x.htm");
    try {
        target.merge("http://b/y\r\nX: 1");
        FAIL() << "merge succeeded";
    } catch (const tamsel::net::HttpError& error) {
        EXPECT_EQ(std::string("Invalid character in URL."), error.what());
    }
    EXPECT_EQ("http", target.protocol());
    EXPECT_EQ("a:8080", target.hostHeader());
    EXPECT_EQ("/x.htm", target.resource());
}

TEST(RequestTarget, PortThatIsNoNumberFails)
{
    RequestTarget target;
    target.merge("http://a:8o/x");
    EXPECT_THROW(target.portNumber(), tamsel::net::HttpError);
    target.merge("http://a:70000/x");
    EXPECT_THROW(target.portNumber(), tamsel::net::HttpError);
}
