#pragma once

#include "history_store.h"

#include <string>

namespace tamsel::cli {

// `history items SELLER`: the items demoted in the seller's latest complete run, each with since
// when and for how many days, then those recovered since the complete run before it; tab-separated
// UTF-8. Returns the exit status.
int ListDemotedItems(history::HistoryStore& store, const std::string& sellerIdGbk);

}  // namespace tamsel::cli
