#pragma once

#include <string>
#include <string_view>

namespace tamsel::sim {

// The download archive's path, UTF-8, as the maker's site names it.
inline constexpr std::string_view kArchivePath = "/quorl/Tamsel隐形降权探测软件.rar";

// Pages of the maker's web site: UTF-8 HTML with a meta charset.
std::string shopHomePage();                          // "/"
std::string notePage();                              // "/quorl/note.html"
std::string softwarePage(std::string_view version);  // "/softweb.html"
std::string forumPage();                             // "/bbs"
std::string notFoundPage(std::string_view path);
// The root of the maker's second site, of its software.
std::string softwareSitePage(std::string_view version);

// A small, valid, empty RAR archive standing in for the release download.
std::string_view archiveBytes();

}  // namespace tamsel::sim
