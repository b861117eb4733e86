#pragma once

#include <string>

namespace quibrant::test {

// What a scenario that ends the program reports through its exit code.
enum ScenarioResult : int {
    kEndedAsExpected = 42,
    kEndedOtherwise = 43,
    kDidNotEnd = 44,
    kUnknownScenario = 45,
};

// Plays one scenario in this process; returns only when the program did not
// end where it should have.
int playScenario(const std::string& name);

// Starts this test program again to play a scenario; returns its exit code.
int runScenario(const std::string& name);

}  // namespace quibrant::test
