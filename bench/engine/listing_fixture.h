#pragma once

#include "codepage.h"
#include "item_records.h"
#include "memory_grid.h"
#include "rank_analysis.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace tamsel::bench {

// A shop's listing as the marketplace gives it: GBK titles of 40 to 60 bytes,
// sales falling off steeply with many ties and zeros, the default order loosely
// following sales, and a few items left out of the sales order.
inline RunItems shopListing(int count)
{
    static const char* const words[] = {"包邮", "正品", "新款", "韩版", "修身", "纯棉", "长袖", "短袖", "女装", "男装",
        "连衣裙", "加厚", "秋冬", "春夏", "特价", "外套", "羽绒服", "牛仔裤", "休闲", "时尚", "潮流", "百搭",
        "显瘦", "学生", "情侣", "大码", "保暖", "针织衫", "卫衣", "衬衫"};
    std::mt19937 random(1351768789);
    std::vector<std::string> gbkWords;
    for (const char* word : words)
        gbkWords.push_back(utf8ToGbk(word));

    RunItems items;
    std::vector<std::pair<double, TItemInfo>> byWeight;
    for (int i = 0; i < count; ++i) {
        TItemInfo item;
        item.ItemId = std::to_string(15000000000LL + random() % 9000000000LL);
        while (item.Title.size() < 40 + random() % 20)
            item.Title += gbkWords[random() % gbkWords.size()];
        item.Price = std::to_string(9 + random() % 490) + ".00";
        item.Sales = i < count / 3 ? static_cast<int32_t>(20000 / (1 + i)) : static_cast<int32_t>(random() % 3);
        // Weight for the default order: sales with a lot of noise.
        const double weight = item.Sales * std::uniform_real_distribution<double>(0.2, 1.8)(random);
        byWeight.emplace_back(weight, item);
        if (random() % 30 != 0) {
            TItemRecordInfo record;
            record.ItemId = item.ItemId;
            record.Title = item.Title;
            items.SalesOrderItems.push_back(record);
        }
    }
    std::stable_sort(byWeight.begin(), byWeight.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (size_t i = 0; i < byWeight.size(); ++i) {
        byWeight[i].second.ActualRank = static_cast<int32_t>(i + 1);
        items.DefaultOrderItems.push_back(byWeight[i].second);
    }
    return items;
}

// The ranking grid as the analysis leaves it: 9 columns, a row for each of the
// items (none demoted) and a blank row at the bottom.
inline MemoryGrid rankingGrid(int itemCount)
{
    RunItems items = shopListing(itemCount);
    items.SalesOrderItems.clear();
    for (const TItemInfo& item : items.DefaultOrderItems)
        items.SalesOrderItems.push_back({item.ItemId, item.Title, {}, 0});
    MemoryGrid sgData2(5, 2);
    MemoryGrid sgData3(9, 2);
    AnalyseRanks(items, sgData2, sgData3);
    return sgData3;
}

}  // namespace tamsel::bench
