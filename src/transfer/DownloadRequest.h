#pragma once

#include <string>

namespace quibrant::transfer {

// The address a download fetches: the file-name box's text as typed when it
// holds an address of its own (it begins with "HTTP" or contains "WWW." in
// any letter case; only four characters are compared, so "https://" counts
// as well), else the folder box's text followed directly by the file name.
std::string composeSourceUrl(const std::string& fileName, const std::string& folder);

}  // namespace quibrant::transfer
