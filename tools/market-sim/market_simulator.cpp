#include "market_simulator.h"

#include "catalogue.h"
#include "codepage.h"
#include "market_pages.h"
#include "site_pages.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <stdexcept>

namespace tamsel::sim {
namespace {

constexpr const char* kGbkScript = "text/javascript; charset=GBK";
constexpr const char* kGbkHtml = "text/html; charset=GBK";
constexpr const char* kUtf8Html = "text/html; charset=utf-8";
// Far beyond any catalogue; keeps page arithmetic within int.
constexpr std::size_t kMaxOffset = kPageSize * 1000000;

// A decimal query value; anything else counts as absent.
std::size_t parseCount(const std::string& text, std::size_t fallback)
{
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return fallback;
    return std::stoul(text);
}

// The name part of a Host header: "localhost:18109" gives "localhost", "[::1]:80" gives "[::1]".
std::string hostName(const std::string& host)
{
    const auto colon = host.rfind(':');
    const bool portGiven = colon != std::string::npos && host.find(']', colon) == std::string::npos;
    std::string name = portGiven ? host.substr(0, colon) : host;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

std::string orderName(ListingOrder order)
{
    return order == ListingOrder::Sales ? "sales order" : "default order";
}

}  // namespace

MarketSimulator::MarketSimulator(MarketSimulatorOptions options)
    : options_(std::move(options)), log_(options_.keptRequests, options_.onRequest), server_(std::make_unique<httplib::Server>())
{
    // One request per connection: no idle keep-alive connection can hold up stop().
    server_->set_keep_alive_max_count(1);
    server_->set_keep_alive_timeout(2);
    server_->set_read_timeout(5);
    server_->set_tcp_nodelay(true);
    server_->set_payload_max_length(64 * 1024);
    const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        handle(request, response);
    };
    server_->Get(".*", handler);
    server_->Post(".*", handler);
}

MarketSimulator::~MarketSimulator()
{
    stop();
}

int MarketSimulator::start()
{
    if (port_ != 0)
        throw std::logic_error("the market simulator starts only once");
    int port = -1;
    if (options_.port == 0)
        port = server_->bind_to_any_port("127.0.0.1");
    else if (server_->bind_to_port("127.0.0.1", options_.port))
        port = options_.port;
    if (port <= 0)
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(options_.port));
    port_ = port;
    catalogue();  // built now rather than inside the first listing request

    std::promise<void> done;
    listenerDone_ = done.get_future();
    listener_ = std::thread([this, done = std::move(done)]() mutable {
        server_->listen_after_bind();
        done.set_value();
    });
    return port_;
}

void MarketSimulator::stop()
{
    {
        std::lock_guard lock(stallMutex_);
        stopping_ = true;
    }
    stallEnd_.notify_all();
    if (!listener_.joinable())
        return;
    // The server ignores stop() until its accept loop runs; ask again until it has ended.
    do {
        server_->stop();
    } while (listenerDone_.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready);
    listener_.join();
}

std::vector<std::string> MarketSimulator::logLines() const
{
    std::vector<std::string> lines;
    for (const RequestRecord& record : log_.records())
        lines.push_back(record.line);
    return lines;
}

bool MarketSimulator::waitOutStall()
{
    std::unique_lock lock(stallMutex_);
    return !stallEnd_.wait_for(lock, options_.stallDuration, [this] { return stopping_; });
}

void MarketSimulator::handle(const httplib::Request& request, httplib::Response& response)
{
    const std::string summary = route(request, response);
    RequestRecord record;
    record.method = request.method;
    record.target = request.target;
    record.path = request.path;
    record.userAgent = request.get_header_value("User-Agent");
    record.status = response.status;
    log_.add(std::move(record), summary);
}

std::string MarketSimulator::route(const httplib::Request& request, httplib::Response& response)
{
    response.status = 200;
    if (request.method == "POST") {
        if (request.path == "/search_auction.htm")
            return serveSearch(request, response);
        response.status = 404;
        response.set_content(notFoundPage(request.path), kUtf8Html);
        return "no such form";
    }
    if (request.path == "/itemlist/default.htm")
        return serveListing(request, response, false);
    if (request.path == "/itemlist/relay.htm")
        return serveListing(request, response, true);
    return serveSitePage(request, response);
}

std::string MarketSimulator::serveSearch(const httplib::Request& request, httplib::Response& response)
{
    // The search form is posted in the marketplace's code page.
    const std::string nick = gbkToUtf8(request.get_param_value("nick"));
    const Shop* shop = findShop(nick, options_.day);
    if (shop && shop->fault == ShopFault::NoViewIndex) {
        response.set_content(renderSearchPage(nick, std::nullopt), kGbkHtml);
        return "search form, nick " + nick + ", no viewIndex";
    }
    const std::string viewIndex = shop ? shop->viewIndex : "1";
    response.set_content(renderSearchPage(nick, viewIndex), kGbkHtml);
    return "search form, nick " + nick + (shop ? "" : " (unknown shop)") + ", viewIndex " + viewIndex;
}

std::string MarketSimulator::serveListing(const httplib::Request& request, httplib::Response& response, bool relayed)
{
    const std::string nick = request.get_param_value("nick");
    const Shop* shop = findShop(nick, options_.day);
    const ListingOrder order =
        request.get_param_value("sort") == "biz30day" ? ListingOrder::Sales : ListingOrder::Default;
    const std::size_t offset = std::min(parseCount(request.get_param_value("s"), 0), kMaxOffset);
    const int page = static_cast<int>(offset / kPageSize) + 1;
    const int yp4pPage = static_cast<int>(parseCount(request.get_param_value("yp4p_page"), 0));

    std::string summary = (shop ? nick : nick + " (unknown shop)") + ", " + orderName(order) + ", page "
                          + std::to_string(page);
    if (yp4pPage != page)
        summary += " (yp4p_page " + request.get_param_value("yp4p_page") + ")";
    const ShopFault fault = shop && page == shop->faultPage ? shop->fault : ShopFault::None;

    if (shop && shop->fault == ShopFault::LoginPage) {
        response.set_content(loginPage(), kGbkHtml);
        return summary + ", login page";
    }
    // The marketplace keeps no listing for a view its search form did not hand out.
    if (shop && request.get_param_value("viewIndex") != shop->viewIndex) {
        response.set_content(loginPage(), kGbkHtml);
        return summary + ", viewIndex " + request.get_param_value("viewIndex") + " is not the shop's, login page";
    }
    if (fault == ShopFault::SalesOrderDown && order == ListingOrder::Sales) {
        response.status = 503;
        response.set_content(utf8ToGbk("<html><body><h1>服务暂不可用</h1></body></html>"), kGbkHtml);
        return summary + ", unavailable";
    }

    if (fault == ShopFault::Redirect && !relayed) {
        const auto query = request.target.find('?');
        response.set_redirect(ownUrl(request) + "/itemlist/relay.htm"
                                  + (query == std::string::npos ? "" : request.target.substr(query)),
                              302);
        return summary + ", redirected";
    }
    if (fault == ShopFault::ServerError || (order == ListingOrder::Sales && page == options_.failingSalesOrderPage)) {
        response.status = 500;
        response.set_content(utf8ToGbk("<html><body><h1>系统繁忙，请稍后再试</h1></body></html>"), kGbkHtml);
        return summary + ", server error";
    }

    ListingPage listing;
    listing.nick = nick;
    listing.order = order;
    if (shop) {
        const auto& items = shop->listing(order);
        const std::size_t first = std::min(offset, items.size());
        listing.items = std::span(items).subspan(first, std::min(kPageSize, items.size() - first));
        listing.totalItems = items.size();
        listing.totalPage = shop->pageCount(order);
        listing.sellerId = shop->sellerId;
        listing.location = shop->location;
    }
    listing.currentPage = page;
    listing.yp4pPage = yp4pPage;
    if (shop && shop->fault == ShopFault::EndlessCount) {
        listing.totalPage = 5;
        listing.currentPage = 1;
    }
    if (shop && shop->fault == ShopFault::Bottomless && order == ListingOrder::Sales)
        listing.totalPage = page + 1;
    auto body = std::make_shared<const std::string>(renderListingPage(listing));
    summary += " of " + std::to_string(listing.totalPage) + ", " + std::to_string(listing.items.size()) + " items";

    // Both faults cut the body in the middle of the item list: the page counts arrive, the
    // list's end marker does not.
    const std::size_t cut = std::min(body->find("\"p4p\":"), body->size()) / 2;
    if (fault == ShopFault::Stall) {
        response.set_content_provider(
            body->size(), kGbkScript, [this, body, cut](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                if (offset < cut)
                    return sink.write(body->data() + offset, cut - offset);
                return waitOutStall() && sink.write(body->data() + offset, body->size() - offset);
            });
        return summary + ", stalls after " + std::to_string(cut) + " of " + std::to_string(body->size()) + " bytes";
    }
    if (fault == ShopFault::Truncated) {
        response.set_content_provider(body->size(), kGbkScript,
                                      [body, cut](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                          return offset < cut && sink.write(body->data() + offset, cut - offset);
                                      });
        return summary + ", truncated to " + std::to_string(cut) + " of " + std::to_string(body->size()) + " bytes";
    }
    response.set_content(*body, kGbkScript);
    return summary + ", " + std::to_string(body->size()) + " bytes";
}

std::string MarketSimulator::serveSitePage(const httplib::Request& request, httplib::Response& response)
{
    if (hostName(request.get_header_value("Host")) == options_.softwareSiteName)
        return serveSoftwareSitePage(request, response);
    const std::string& path = request.path;
    if (path == "/quorl/v.php") {
        response.set_content(options_.versionText, "text/html");
        return "version " + options_.versionText;
    }
    // Browsers send the archive's name percent-encoded as UTF-8, older ones in GBK.
    if (path == kArchivePath || path == utf8ToGbk(kArchivePath)) {
        response.set_content(std::string(archiveBytes()), "application/x-rar-compressed");
        response.set_header("Content-Disposition", "attachment; filename=\"Tamsel.rar\"");
        return "download archive";
    }
    if (path == "/")
        response.set_content(shopHomePage(), kUtf8Html);
    else if (path == "/quorl/note.html")
        response.set_content(notePage(), kUtf8Html);
    else if (path == "/softweb.html")
        response.set_content(softwarePage(options_.versionText), kUtf8Html);
    else if (path == "/bbs" || path == "/bbs/")
        response.set_content(forumPage(), kUtf8Html);
    else {
        response.status = 404;
        response.set_content(notFoundPage(path), kUtf8Html);
        return "not found";
    }
    return "site page";
}

std::string MarketSimulator::serveSoftwareSitePage(const httplib::Request& request, httplib::Response& response)
{
    if (request.path != "/") {
        response.status = 404;
        response.set_content(notFoundPage(request.path), kUtf8Html);
        return "software site: not found";
    }
    response.set_content(softwareSitePage(options_.versionText), kUtf8Html);
    return "software site page";
}

std::string MarketSimulator::ownUrl(const httplib::Request& request) const
{
    // Keep the name the client used, so that its own resolver finds us again.
    const std::string host = request.get_header_value("Host");
    const bool plain = !host.empty() && host.size() < 256 && std::all_of(host.begin(), host.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
    });
    return "http://" + (plain ? host : "127.0.0.1:" + std::to_string(port_));
}

}  // namespace tamsel::sim
