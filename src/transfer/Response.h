#pragma once

#include <cstdint>
#include <string>

namespace quibrant::transfer {

// Checks of what the server answers, each throwing platform::Failure with a
// description the user can act on (or read out to support).

// Only a success status may be saved: an error page must never end up under
// the installer's name. `location` is the answer's "Location" header ("" when
// absent), which tells a redirect refused for safety from an endless one.
void checkStatus(int code, const std::string& location);

// The announced body length from the "Content-length" header text: decimal
// digits only, with spaces or tabs around them allowed, from 1 to 2^31-1.
// An absent header reads as "".
std::int32_t parseContentLength(const std::string& header);

// The bytes received so far against the announced length: more is always a
// failure; fewer is one once the body has ended.
void checkBodyLength(std::int64_t received, std::int32_t announced, bool ended);

// At most `limit` characters of text that came from the network, with control
// characters replaced, so that a message box never shows garbage.
std::string printableExcerpt(const std::string& text, std::size_t limit);

}  // namespace quibrant::transfer
