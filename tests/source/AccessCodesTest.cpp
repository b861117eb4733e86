#include <gtest/gtest.h>

#include "support/FormFixture.h"

namespace quibrant::test {
namespace {

// The first code of a category in the built-in table.
std::string codeOf(float category) {
    for (const AccessCodeEntry& entry : builtInAccessCodeTable()) {
        if (entry.category == category) {
            return std::string(entry.code);
        }
    }
    ADD_FAILURE() << "no code of category " << category;
    return "";
}

class AccessCodesTest : public ::testing::Test {
  protected:
    FormFixture f;
    ServerConfig server = ServerConfig::builtIn();

    void SetUp() override {
        server.MainServerBaseUrl = "https://mirror.example/";
        f.start(server);
    }

    void type(const std::string& code) {
        f.Text4.setText(code);
        f.form->Text4_LostFocus();
    }

    void expectAccepted(float category, const std::string& file, const std::string& folder) {
        EXPECT_EQ(f.state().BuildCategory, category);
        EXPECT_EQ(f.state().CodeAccepted, kTrue);
        EXPECT_EQ(f.Text1.text(), file);
        EXPECT_EQ(f.Text3.text(), folder);
    }

    void expectRejected() {
        EXPECT_EQ(f.state().BuildCategory, 0.0f);
        EXPECT_EQ(f.state().CodeAccepted, kFalse);
        EXPECT_EQ(f.Text1.text(), "Quibrant_Update.exe");
        EXPECT_EQ(f.Text3.text(), f.state().ServerBaseUrl);
    }
};

TEST_F(AccessCodesTest, FolderTargetsAreBuiltOnTheMainServer) {
    type(codeOf(3));
    expectAccepted(3, "quibrant6_3.exe", "https://mirror.example/clientes/actual/");
    type(codeOf(1));
    expectAccepted(1, "quibrant2011.exe", "https://mirror.example/clientes/2011/");
    type(codeOf(991));
    expectAccepted(991, "quibrant6_a.exe", "https://mirror.example/clientes/2011/");
    type(codeOf(992));
    expectAccepted(992, "quibrant6_28.exe", "https://mirror.example/clientes/actual/");
    type(codeOf(989));
    expectAccepted(989, "quibrant6_989.exe", "https://mirror.example/clientes/actual/");
}

TEST_F(AccessCodesTest, RootTargetsReadTheServerInUse) {
    // Only 997 and the default row follow the server in use; the rows with a
    // folder stay on the main server whatever the server in use is.
    f.state().ServerBaseUrl = "https://other.example/";
    type(codeOf(997));
    expectAccepted(997, "Quibvarn.exe", "https://other.example/");
    for (float category : {4.0f, 6.0f, 7.0f, 8.0f, 12.0f, 15.0f}) {
        type(codeOf(category));
        expectAccepted(category, "Quibrant_Update.exe", "https://other.example/");
    }
    type(codeOf(998));
    expectAccepted(998, "quibrant6_998.exe", "https://mirror.example/clientes/actual/");
}

TEST_F(AccessCodesTest, CaseIsIgnoredButBlanksAreNot) {
    std::string lower = codeOf(3);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    type(lower);
    EXPECT_EQ(f.state().CodeAccepted, kTrue);

    type(" " + codeOf(3));
    expectRejected();
    type(codeOf(3) + " ");
    expectRejected();
}

TEST_F(AccessCodesTest, EmptyUnknownAndWithdrawnCodesAreRejectedAlike) {
    type("");
    expectRejected();
    type("NOSUCH1");
    expectRejected();
    type(codeOf(0));
    expectRejected();
}

TEST_F(AccessCodesTest, ANewEvaluationForgetsTheLastOne) {
    f.Text1.setText("typed by hand.exe");
    type(codeOf(3));
    expectAccepted(3, "quibrant6_3.exe", "https://mirror.example/clientes/actual/");
    type("WRONG");
    expectRejected();
}

TEST_F(AccessCodesTest, NormalizeCodeUpperCasesAndLeavesItsArgument) {
    const std::string code = "ab9ñz";
    EXPECT_EQ(DownloadFormTestAccess::NormalizeCode(*f.form, code), "AB9ÑZ");
    EXPECT_EQ(code, "ab9ñz");
    EXPECT_EQ(DownloadFormTestAccess::NormalizeCode(*f.form, "÷ 1-x"), "÷ 1-X");
}

TEST(AccessCodesSuppliedTableTest, LastMatchDecidesAndCodesWithoutEntryGetTheirTarget) {
    const AccessCodeTable table = {
        {"ab12", 3}, {"CD34", 990}, {"EF56", 993}, {"AB12", 991}, {"GH78", 42},
    };
    FormFixture f;
    f.start(ServerConfig::builtIn(), table);
    const std::string base = f.form->server().MainServerBaseUrl;

    f.Text4.setText("ab12");
    f.form->Text4_LostFocus();
    EXPECT_EQ(f.state().BuildCategory, 991.0f);
    EXPECT_EQ(f.Text1.text(), "quibrant6_a.exe");

    f.Text4.setText("cd34");
    f.form->Text4_LostFocus();
    EXPECT_EQ(f.Text1.text(), "quibrant6_990.exe");
    EXPECT_EQ(f.Text3.text(), base + "clientes/actual/");

    f.Text4.setText("EF56");
    f.form->Text4_LostFocus();
    EXPECT_EQ(f.Text1.text(), "quibrant6_36.exe");

    f.Text4.setText("GH78");
    f.form->Text4_LostFocus();
    EXPECT_EQ(f.state().CodeAccepted, kTrue);
    EXPECT_EQ(f.Text1.text(), "Quibrant_Update.exe");
    EXPECT_EQ(f.Text3.text(), base);
}

}  // namespace
}  // namespace quibrant::test
