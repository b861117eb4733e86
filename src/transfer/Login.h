#pragma once

#include <string>

namespace quibrant::transfer {

// Whether a "WWW-Authenticate" value offers the Basic scheme, the only one
// the program answers.
bool offersBasic(const std::string& challenge);

// The value of an "Authorization" header for HTTP Basic authentication.
std::string basicAuthorization(const std::string& user, const std::string& password);

}  // namespace quibrant::transfer
