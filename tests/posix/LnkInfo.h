#pragma once

#include <stdio.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace quibrant::test {

// What Debian's lnkinfo reads back from a shortcut file: its "Name : value"
// lines by name ("Local path", "Working directory", ...). Empty when the tool
// cannot read the file.
inline std::map<std::string, std::string> lnkinfo(const std::string& path) {
    std::map<std::string, std::string> fields;
    const std::string command = "lnkinfo '" + path + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    char buffer[4096];
    for (std::size_t got; pipe && (got = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
        output.append(buffer, got);
    }
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t colon = line.find(':');
        const std::size_t nameStart = line.find_first_not_of('\t');
        if (colon == std::string::npos || nameStart == std::string::npos) {
            continue;
        }
        std::string name = line.substr(nameStart, colon - nameStart);
        name.erase(name.find_last_not_of(" \t") + 1);
        const std::size_t valueStart = line.find_first_not_of(' ', colon + 1);
        // Only the first occurrence: the link information comes before the
        // item list, whose entries reuse some names.
        fields.emplace(name, valueStart == std::string::npos ? "" : line.substr(valueStart));
    }
    return fields;
}

}  // namespace quibrant::test
