#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "check/TargetOutcome.h"

namespace quibrant::check {

// The check's result for the vendor: one row per target, aligned, then a
// line that counts them. Text from the server or a certificate is shown
// without control characters, so it cannot drive the terminal.
void writeTable(std::ostream& out, const std::vector<TargetOutcome>& outcomes);

// The same as one JSON object with stable keys, for scripts:
// {"server", "signer", "accepted", "targets": [{"target", "url", "codes",
// "status", "size", "signer", "verdict", "cause", "reason"}]}; "status" and
// "size" are null when unknown, "signer" too when there is no signature.
void writeJson(std::ostream& out, const std::string& server, const std::string& expectedSigner,
               const std::vector<TargetOutcome>& outcomes);

// The verdict on one target as the vendor reads it: "aceptado", or
// "rechazado: " and why.
std::string verdictText(const TargetOutcome& outcome);

// `text` as valid UTF-8 without control characters: line breaks and tabs
// become spaces, other control characters and bytes that are no UTF-8 "?".
std::string cleanText(const std::string& text);

}  // namespace quibrant::check
