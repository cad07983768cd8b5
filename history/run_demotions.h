#pragma once

#include "item_records.h"

#include <set>
#include <string>
#include <vector>

namespace tamsel::history {

// The items a judged run found demoted either way: missing from the sales order (a row of
// sgData2), or a top-ten seller standing lower than its sales warrant (重要宝贝被隐性降权). Items
// without an id cannot be followed from run to run and are left out. `defaultOrder` carries the
// theoretical ranks the analysis set.
std::set<std::string> DemotedItemIds(const std::vector<TItemInfo>& defaultOrder,
                                     const std::vector<TItemRecordInfo>& salesOrder);

}  // namespace tamsel::history
