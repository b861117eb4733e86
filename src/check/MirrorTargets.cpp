#include "check/MirrorTargets.h"

#include <algorithm>
#include <set>

#include "source/AccessCodes.h"
#include "source/DownloadTargets.h"

namespace quibrant::check {

namespace {

MirrorTarget targetAt(const std::string& folder, const std::string& fileName,
                      const std::string& mainServerBaseUrl) {
    MirrorTarget target;
    target.url = folder + fileName;
    // Every folder is built on the server's root, so the path below it is
    // what follows the root.
    target.path = target.url.substr(std::min(mainServerBaseUrl.size(), target.url.size()));
    return target;
}

}  // namespace

std::vector<MirrorTarget> mirrorTargets(const AccessCodeTable& table,
                                        const std::string& mainServerBaseUrl) {
    // The program only ever uses the main server, so the server in use and
    // the main one are the same here.
    const std::string& root = mainServerBaseUrl;
    std::vector<MirrorTarget> targets;
    for (const DownloadTarget& row : downloadTargetTable()) {
        targets.push_back(
            targetAt(row.folder != nullptr ? root + row.folder : root, row.fileName, root));
    }
    targets.push_back(targetAt(root, kDefaultTargetFileName, root));

    // A code that stands twice is evaluated once: the program lets the later
    // entry decide, and so does the evaluation.
    std::set<std::string> seen;
    for (const AccessCodeEntry& entry : table) {
        const std::string code(entry.code);
        if (!seen.insert(source::normalizeCode(code)).second) {
            continue;
        }
        const source::AccessCodeResult result = source::evaluateAccessCode(code, table, root, root);
        if (!result.accepted) {
            continue;
        }
        const std::string url = result.folder + result.fileName;
        auto found = std::find_if(targets.begin(), targets.end(),
                                  [&url](const MirrorTarget& target) { return target.url == url; });
        if (found == targets.end()) {
            targets.push_back(targetAt(result.folder, result.fileName, root));
            found = std::prev(targets.end());
        }
        found->codes.push_back(code);
    }
    return targets;
}

}  // namespace quibrant::check
