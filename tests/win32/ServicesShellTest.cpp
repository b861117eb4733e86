#include <gtest/gtest.h>

#include "ServicesSystem.h"
#include "contract/ShellContract.h"

namespace quibrant::test {

INSTANTIATE_TYPED_TEST_SUITE_P(Windows, ShellContract, WindowsSystem);
INSTANTIATE_TYPED_TEST_SUITE_P(Windows, ShortcutContract, WindowsSystem);

}  // namespace quibrant::test
