#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/Failure.h"

namespace quibrant::test {

// The number of the Failure an operation throws, checked to be one the user
// can be shown: never the success values 0 or -1, always with a description.
// Records a test failure and answers 0 when the operation does not fail.
template <typename Operation>
std::int32_t failureNumber(Operation&& operation) {
    try {
        operation();
    } catch (const platform::Failure& failure) {
        EXPECT_NE(failure.number(), 0);
        EXPECT_NE(failure.number(), -1);
        EXPECT_FALSE(failure.description().empty());
        return failure.number();
    }
    ADD_FAILURE() << "no failure";
    return 0;
}

// The description of the Failure an operation throws, for comparing with the
// program's own wording. Records a test failure and answers "" when the
// operation does not fail.
template <typename Operation>
std::string failureText(Operation&& operation) {
    try {
        operation();
    } catch (const platform::Failure& failure) {
        return failure.description();
    }
    ADD_FAILURE() << "no failure";
    return "";
}

}  // namespace quibrant::test
