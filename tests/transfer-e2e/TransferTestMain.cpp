#include <QCoreApplication>

#include <gtest/gtest.h>

#include "TestServers.h"

namespace {

// Runs only when tests run, not when they are listed: the certificate
// authority is made at test time.
class TestNetwork : public ::testing::Environment {
  public:
    void SetUp() override { quibrant::test::prepareTestNetwork(); }
};

}  // namespace

// The component needs an application object and the event loop of the
// thread that created it; the tests trust their own certificate authority.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new TestNetwork);
    return RUN_ALL_TESTS();
}
