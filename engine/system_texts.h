#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tamsel {

// The system's own texts that land in the result grids, as GBK bytes (the grids
// hold GBK, like the answers). The window draws with the same constants.

// "重要宝贝被隐性降权": a top-ten seller standing lower than its sales warrant.
extern const std::string_view VerdictDemoted;
// "重要宝贝权值正常": a top-ten seller standing where its sales warrant, or higher.
extern const std::string_view VerdictNormal;
// "正常": a verdict containing it is drawn plainly, any other one in red.
extern const std::string_view NormalMark;
// "店铺宝贝共" and "个 ，没有被降权宝贝" (blank, then a full-width comma).
extern const std::string_view AllClearPrefix;
extern const std::string_view AllClearSuffix;

// "店铺宝贝共<itemCount>个 ，没有被降权宝贝".
std::string allClearMessage(int32_t itemCount);

}  // namespace tamsel
