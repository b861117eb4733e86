#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "source/AccessCodeTable.h"
#include "source/DownloadTargets.h"

namespace quibrant::test {
namespace {

// The table is hand-kept data: these checks make a careless edit fail.
TEST(AccessCodeTableTest, GroupsStandInTheirOrderWithTheirSizes) {
    const std::vector<std::pair<float, int>> expected = {
        {1, 5},    {0, 1},   {3, 4},   {4, 5},   {6, 4},   {7, 3},   {987, 1}, {988, 1},
        {989, 10}, {991, 1}, {992, 1}, {994, 1}, {995, 1}, {996, 1}, {997, 1}, {998, 1},
        {8, 3},    {9, 8},   {10, 8},  {11, 9},  {12, 8},  {13, 10}, {14, 8},  {15, 96},
    };
    std::vector<std::pair<float, int>> groups;
    for (const AccessCodeEntry& entry : builtInAccessCodeTable()) {
        if (groups.empty() || groups.back().first != entry.category) {
            groups.emplace_back(entry.category, 0);
        }
        ++groups.back().second;
    }
    EXPECT_EQ(groups, expected);
    EXPECT_EQ(builtInAccessCodeTable().size(), 191u);
}

TEST(AccessCodeTableTest, CodesAreUniqueUpperCaseLettersAndDigitsOfTheirLengths) {
    std::map<std::size_t, int> byLength;
    std::set<std::string_view> seen;
    for (const AccessCodeEntry& entry : builtInAccessCodeTable()) {
        ++byLength[entry.code.size()];
        EXPECT_TRUE(seen.insert(entry.code).second) << "twice: " << entry.code;
        for (char c : entry.code) {
            EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) << entry.code;
        }
    }
    const std::map<std::size_t, int> expected = {{3, 1}, {4, 20}, {5, 145}, {6, 15},
                                                 {7, 7}, {8, 2},  {9, 1}};
    EXPECT_EQ(byLength, expected);
}

TEST(AccessCodeTableTest, TargetsAreTestedInTheirOrder) {
    std::vector<float> categories;
    for (const DownloadTarget& target : downloadTargetTable()) {
        categories.push_back(target.category);
    }
    const std::vector<float> expected = {3,   1,   987, 988, 989, 990, 991,
                                         992, 993, 994, 995, 996, 997, 998};
    EXPECT_EQ(categories, expected);
}

}  // namespace
}  // namespace quibrant::test
