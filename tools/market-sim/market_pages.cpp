#include "market_pages.h"

#include "codepage.h"
#include "text_escape.h"

namespace tamsel::sim {
namespace {

std::string field(std::string_view key, std::string_view value)
{
    std::string out = "\"";
    out += key;
    out += "\":\"";
    out += jsonEscape(value);
    out += '"';
    return out;
}

std::string renderItem(const CatalogueItem& item, const ListingPage& page)
{
    const std::string href = "http://item.taobao.com/item.htm?id=" + item.itemId + "&source=tbsy";
    const char imageHost = static_cast<char>('1' + item.itemId.back() % 4);
    std::string out = "{";
    out += field("image", std::string("http://img0") + imageHost + ".taobaocdn.com/bao/uploaded/i" + imageHost + "/T1"
                              + item.itemId + "_0.jpg_b.jpg");
    out += "," + field("tip", "");
    out += "," + field("title", item.title);
    // The marketplace writes this one key with a blank after the colon.
    out += ",\"price\": \"" + jsonEscape(item.price) + "\"";
    out += "," + field("currentPrice", item.price);
    out += "," + field("vipPrice", "");
    out += "," + field("tradeNum", std::to_string(item.sales));
    out += "," + field("nick", page.nick);
    out += "," + field("sellerId", page.sellerId);
    out += "," + field("itemId", item.itemId);
    out += "," + field("loc", page.location);
    out += "," + field("href", href);
    out += "," + field("commend", std::to_string(item.sales / 3));
    out += "," + field("commendHref", href + "&on_comment=1");
    out += "," + field("ratesum", "12");
    out += ",\"icon\":{\"baoyou\":\"1\",\"xcard\":null,\"all\":null}}";
    return out;
}

// Sponsored items of other sellers; the marketplace places them after the listing.
std::string renderP4p(int yp4pPage)
{
    std::string out = "{" + field("yp4pPage", std::to_string(yp4pPage)) + ",\"p4pdata\":[";
    out += "{" + field("title", "热卖羽绒服 韩版修身 女款 包邮") + ",\"price\": \"199.00\","
           + field("href", "http://click.simba.taobao.com/cc_im?p=&s=1139620436&k=309") + "},";
    out += "{" + field("title", "正品雪地靴 \"冬季\" 加厚保暖") + ",\"price\": \"89.00\","
           + field("href", "http://click.simba.taobao.com/cc_im?p=&s=1139620437&k=309") + "}";
    out += "]," + field("pid", "420434_1006") + "}";
    return out;
}

}  // namespace

std::string scannedTitleGbk(const CatalogueItem& item)
{
    const std::string listed = utf8ToGbk(jsonEscape(item.title));
    return listed.substr(0, listed.find('"'));
}

std::string renderListingPage(const ListingPage& page)
{
    const char* sort = page.order == ListingOrder::Sales ? "biz30day" : "coefp";
    std::string out = "jsonp136({\"page\":{";
    // The page counts are written in two styles: a blank after the colon for totalPage only.
    out += "\"totalPage\": \"" + std::to_string(page.totalPage) + "\"";
    out += "," + field("currentPage", std::to_string(page.currentPage));
    out += "," + field("pageSize", std::to_string(kPageSize));
    out += "," + field("totalNumber", std::to_string(page.totalItems));
    out += "},\"listFormat\":\"grid\",\"selectedNavs\":[],\"itemList\":[";
    for (std::size_t i = 0; i < page.items.size(); ++i) {
        if (i > 0)
            out += ',';
        out += renderItem(page.items[i], page);
    }
    out += "],\"p4p\":" + renderP4p(page.yp4pPage);
    out += ",\"cat\":{\"catId\":\"0\"},\"query\":{" + field("nick", page.nick) + "," + field("sort", sort) + "}})";
    return utf8ToGbk(out);
}

std::string renderSearchPage(std::string_view nick, std::optional<std::string_view> viewIndex)
{
    const std::string shown = htmlEscape(nick);
    const auto list = [&](const char* sort) {
        return "/itemlist/default.htm?&cat=0&sort=" + std::string(sort) + "&nick=" + percentEncode(nick)
               + (viewIndex ? "&viewIndex=" + std::string(*viewIndex) : std::string()) + "&yp4p_page=1";
    };
    std::string out = "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\">\n"
                      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\" />\n"
                      "<title>" + shown + " - 淘宝网店铺宝贝搜索</title></head>\n<body>\n"
                      "<div id=\"header\"><a href=\"http://www.taobao.com/\">淘宝网</a> | 淘！我喜欢</div>\n"
                      "<form id=\"J_SearchForm\" action=\"/search_auction.htm\" method=\"post\">\n"
                      "<input type=\"hidden\" name=\"nick\" value=\"" + shown + "\" />\n"
                      "<input type=\"hidden\" name=\"commend\" value=\"all\" /></form>\n"
                      "<div class=\"shop-search\">掌柜 <b>" + shown + "</b> 的宝贝：\n"
                      "<a class=\"sort\" href=\"" + list("coefp") + "\">默认排序</a>\n"
                      "<a class=\"sort\" href=\"" + list("biz30day") + "\">销量从高到低</a></div>\n"
                      "<div id=\"J_ItemList\" data-url=\"/itemlist/default.htm\">正在加载宝贝列表…</div>\n"
                      "</body></html>\n";
    return utf8ToGbk(out);
}

std::string loginPage()
{
    return utf8ToGbk(
        "<!DOCTYPE html>\n<html><head><meta charset=\"gbk\" /><title>淘宝网 - 登录</title></head>\n<body>\n"
        "<div class=\"login-box\"><h2>亲，请登录后继续访问</h2>\n"
        "<form action=\"/member/login.jhtml\" method=\"post\">\n"
        "<input type=\"text\" name=\"TPL_username\" placeholder=\"手机号/会员名/邮箱\" />\n"
        "<input type=\"password\" name=\"TPL_password\" />\n"
        "<button type=\"submit\">登录</button></form>\n"
        "<p>为了您的账户安全，请拖动滑块完成验证。</p></div>\n</body></html>\n");
}

}  // namespace tamsel::sim
