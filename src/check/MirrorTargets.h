#pragma once

#include <string>
#include <vector>

#include "source/AccessCodeTable.h"

namespace quibrant::check {

// One installer the program may fetch from the server, and the access codes
// that lead to it.
struct MirrorTarget {
    // Where it sits below the server's root, e.g. "clientes/actual/quibrant6_3.exe".
    std::string path;
    // The address the program fetches it from.
    std::string url;
    // The codes, in the table's order and as the table spells them, whose
    // evaluation leads here; a withdrawn code leads nowhere.
    std::vector<std::string> codes;
};

// Every target of the program's table, then the default one at the root, each
// with the codes of `table` that reach it. The codes are found by evaluating
// each of them as the program does, so the check can never disagree with the
// program about where a code leads.
std::vector<MirrorTarget> mirrorTargets(const AccessCodeTable& table,
                                        const std::string& mainServerBaseUrl);

}  // namespace quibrant::check
