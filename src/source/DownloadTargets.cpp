#include "source/DownloadTargets.h"

namespace quibrant {

namespace {
constexpr const char* kCurrent = "clientes/actual/";
constexpr const char* kLegacy = "clientes/2011/";
}  // namespace

const std::vector<DownloadTarget>& downloadTargetTable() {
    // Some names do not repeat their category, and 991 lives with the 2011
    // builds: that is where the server keeps those files.
    static const std::vector<DownloadTarget> table = {
        {3, "quibrant6_3.exe", kCurrent},     {1, "quibrant2011.exe", kLegacy},
        {987, "quibrant6_987.exe", kCurrent}, {988, "quibrant6_988.exe", kCurrent},
        {989, "quibrant6_989.exe", kCurrent}, {990, "quibrant6_990.exe", kCurrent},
        {991, "quibrant6_a.exe", kLegacy},    {992, "quibrant6_28.exe", kCurrent},
        {993, "quibrant6_36.exe", kCurrent},  {994, "quibrant6_994.exe", kCurrent},
        {995, "quibrant6_995.exe", kCurrent}, {996, "quibrant6_996.exe", kCurrent},
        {997, "Quibvarn.exe", nullptr},       {998, "quibrant6_998.exe", kCurrent},
    };
    return table;
}

}  // namespace quibrant
