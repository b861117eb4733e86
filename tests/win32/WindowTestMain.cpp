// The window tests, and the scenarios that end the program: those run in a
// child process of the test program (see runScenario) and report what they
// saw through the exit code, as a program that ends has no other way.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "WindowScenarios.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        constexpr const char* kScenario = "--scenario=";
        if (std::strncmp(argv[i], kScenario, std::strlen(kScenario)) == 0) {
            return quibrant::test::playScenario(argv[i] + std::strlen(kScenario));
        }
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
