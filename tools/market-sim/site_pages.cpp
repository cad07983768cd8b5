#include "site_pages.h"

#include "text_escape.h"

namespace tamsel::sim {
namespace {

constexpr std::string_view kStyle = R"css(
body { margin: 0; font: 14px/1.7 "Microsoft YaHei", "SimSun", sans-serif; color: #333; background: #f4f4f4; }
.top { background: #ff5500; color: #fff; padding: 14px 32px; }
.top h1 { margin: 0; font-size: 22px; }
.top a { color: #fff; margin-right: 18px; text-decoration: none; }
.main { max-width: 860px; margin: 20px auto; background: #fff; padding: 20px 32px; border: 1px solid #e5e5e5; }
h2 { color: #ff5500; border-bottom: 1px solid #f0f0f0; padding-bottom: 4px; font-size: 18px; }
table { border-collapse: collapse; width: 100%; }
th, td { border: 1px solid #e5e5e5; padding: 6px 10px; text-align: left; }
th { background: #fafafa; }
.red { color: #e00; text-decoration: underline; }
.tip { background: #fff8e1; border-left: 4px solid #ffb300; padding: 8px 12px; }
.card { display: inline-block; width: 240px; margin: 0 12px 12px 0; padding: 12px; border: 1px solid #eee; vertical-align: top; }
.price { color: #ff5500; font-weight: bold; }
.foot { text-align: center; color: #999; font-size: 12px; margin-bottom: 20px; }
)css";

constexpr std::string_view kMakerSiteLinks =
    "<a href=\"/\">Brannock的网店</a><a href=\"/quorl/note.html\">隐形降权说明</a>"
    "<a href=\"/softweb.html\">Tamsel软件列表</a><a href=\"/bbs\">Tamsel官方论坛</a>";

std::string page(std::string_view title, std::string_view body, std::string_view links = kMakerSiteLinks)
{
    std::string out = "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">\n<title>";
    out += title;
    out += "</title>\n<style>";
    out += kStyle;
    out += "</style></head>\n<body>\n<div class=\"top\"><h1>";
    out += title;
    out += "</h1>\n";
    out += links;
    out += "</div>\n<div class=\"main\">\n";
    out += body;
    out += "</div>\n<div class=\"foot\">© Brannock · Tamsel工作室 · 软件发布和业务咨询请联系企业QQ</div>\n</body></html>\n";
    return out;
}

}  // namespace

std::string shopHomePage()
{
    return page("Brannock的网店", R"html(
<p>欢迎光临Brannock的网店！本店出售Tamsel系列淘宝卖家工具的授权与店铺装修服务。</p>
<div class="card"><b>Tamsel隐形降权探测软件</b><br>找出被搜索悄悄降权的宝贝<br>
<span class="price">免费</span> · <a href="/softweb.html">下载</a></div>
<div class="card"><b>店铺装修模板（冬季款）</b><br>旺铺专业版适用，含首页与详情页<br>
<span class="price">¥ 68.00</span></div>
<div class="card"><b>宝贝标题优化一对一</b><br>按类目热词重写十个宝贝标题<br>
<span class="price">¥ 120.00</span></div>
<h2>店铺公告</h2>
<p class="tip">Tamsel隐形降权探测软件已更新，请到<a href="/softweb.html">软件列表</a>下载新版。</p>
)html");
}

std::string notePage()
{
    return page("隐形降权说明", R"html(
<h2>什么是隐形降权</h2>
<p>淘宝搜索会对它判定有问题的宝贝降低权重，例如虚假交易、重复铺货、错放类目、标题堆砌关键词。
明显的降权会在卖家中心里提示；<b>隐形降权</b>却没有任何通知：宝贝照常上架、照常能被搜到，
但在默认排序里的位置远低于它的销量应得的位置，流量就这样悄悄流失了。</p>

<h2>软件怎样探测</h2>
<p>输入掌柜的淘宝ID（旺旺名）后点击“探测”。软件把这家店铺的全部宝贝取两遍：一遍按30天销量从高到低，
一遍按淘宝的默认排序。对比两份列表，就能看出哪些宝贝被藏了起来，哪些宝贝排得比销量应有的位置低。</p>

<h2>三个表格怎么看</h2>
<table>
<tr><th>表格</th><th>内容</th><th>怎么看</th></tr>
<tr><td>宝贝列表</td><td>默认排序下的全部宝贝</td>
<td>序号就是宝贝在默认排序中的实际名次，后面是标题、销量和价格。双击一行在浏览器中打开宝贝页面。</td></tr>
<tr><td>降权宝贝</td><td>默认排序里有、按销量排序时却不出现的宝贝</td>
<td>这些宝贝已被明确降权。表格为空时，说明没有发现这类宝贝。</td></tr>
<tr><td>宝贝权重排行榜（隐形降权）</td><td>其余宝贝的理论排名与实际排名</td>
<td>理论排名是按销量应排的名次，实际排名是在默认排序中的名次；<b>差值</b> = 实际排名 − 理论排名，
差值越大，宝贝被压得越靠后。销量前十的重要宝贝另有结论：排得比应有位置低时显示
<span class="red">重要宝贝被隐性降权</span>，否则显示“重要宝贝权值正常”。点击表头可按任意一列排序。</td></tr>
</table>

<h2>发现降权怎么办</h2>
<ul>
<li>回想近期是否改过标题、大幅调过价格、换过主图或类目。</li>
<li>排查虚假交易、重复铺货、错放类目、标题堆砌关键词等问题，逐个整改。</li>
<li>整改后一般要几天到两周才能恢复，可以定期用本软件复查。</li>
</ul>
<p class="tip">若软件探测不到宝贝，请第一时间联系企业QQ通知Tamsel更新！谢谢！</p>
)html");
}

std::string softwarePage(std::string_view version)
{
    std::string body = R"html(
<h2>Tamsel软件列表</h2>
<table>
<tr><th>软件</th><th>版本</th><th>说明</th><th>下载</th></tr>
<tr><td>Tamsel隐形降权探测软件</td><td>)html";
    body += htmlEscape(version);
    body += R"html(</td><td>找出默认排序中排得比销量应有位置低的宝贝</td>
<td><a href="/quorl/Tamsel隐形降权探测软件.rar">下载</a></td></tr>
<tr><td>Tamsel宝贝标题助手</td><td>0.95</td><td>统计类目热词，检查标题是否堆砌关键词</td><td>即将发布</td></tr>
<tr><td>Tamsel店铺流量日报</td><td>0.90</td><td>每日汇总店铺访客与成交</td><td>即将发布</td></tr>
</table>
<p>下载后解压即可使用，无需安装。新版发布后，软件启动时会提示下载。</p>
)html";
    return page("Tamsel软件列表", body);
}

std::string forumPage()
{
    return page("Tamsel官方论坛", R"html(
<h2>版块</h2>
<table>
<tr><th>版块</th><th>主题</th><th>最后发表</th></tr>
<tr><td>软件发布</td><td>12</td><td>Tamsel隐形降权探测软件新版发布</td></tr>
<tr><td>降权问题交流</td><td>286</td><td>差值很大但销量正常，是不是被隐性降权了？</td></tr>
<tr><td>意见与建议</td><td>47</td><td>希望能导出排行榜</td></tr>
</table>
)html");
}

std::string notFoundPage(std::string_view path)
{
    return page("页面不存在", "<p>找不到页面 " + htmlEscape(path) + "，请返回<a href=\"/\">首页</a>。</p>\n");
}

std::string softwareSitePage(std::string_view version)
{
    std::string body = R"html(
<p>Tamsel工作室专为淘宝卖家开发实用的小工具，全部软件解压即用，无需安装。</p>
<div class="card"><b>Tamsel隐形降权探测软件</b> )html";
    body += htmlEscape(version);
    body += R"html(<br>对比销量排序与默认排序，找出被隐形降权的宝贝<br><span class="price">免费</span></div>
<div class="card"><b>Tamsel宝贝标题助手</b> 0.95<br>统计类目热词，检查标题是否堆砌关键词<br>即将发布</div>
<div class="card"><b>Tamsel店铺流量日报</b> 0.90<br>每日汇总店铺访客与成交<br>即将发布</div>
<p class="tip">软件发布和业务咨询请联系企业QQ。</p>
)html";
    return page("Tamsel官方软件", body, "");
}

std::string_view archiveBytes()
{
    // Marker block, main archive header, end-of-archive block.
    static constexpr char bytes[] = "Rar!\x1A\x07\x00"
                                    "\xCF\x90\x73\x00\x00\x0D\x00\x00\x00\x00\x00\x00\x00"
                                    "\xC4\x3D\x7B\x00\x40\x07\x00";
    return {bytes, sizeof bytes - 1};
}

}  // namespace tamsel::sim
