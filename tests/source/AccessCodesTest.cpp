#include <gtest/gtest.h>

#include "source/AccessCodes.h"
#include "support/FormFixture.h"

namespace quibrant::test {
namespace {

constexpr const char* kMain = "https://mirror.example/";
constexpr const char* kInUse = "https://other.example/";

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

source::AccessCodeResult evaluate(const std::string& typed,
                                  const AccessCodeTable& table = builtInAccessCodeTable()) {
    return source::evaluateAccessCode(typed, table, kMain, kInUse);
}

struct Expected {
    std::string typed;
    float category;
    const char* fileName;
    std::string folder;
};

// Folder targets sit on the main server whatever the server in use is; only
// 997 and the default row follow the server in use. Case is ignored, blanks
// are not, and a withdrawn code is no code.
TEST(AccessCodesTest, EachCodeLeadsToItsTarget) {
    const std::string actual = std::string(kMain) + "clientes/actual/";
    const std::string legacy = std::string(kMain) + "clientes/2011/";
    std::string lower = codeOf(3);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const Expected cases[] = {
        {codeOf(3), 3, "quibrant6_3.exe", actual},
        {lower, 3, "quibrant6_3.exe", actual},
        {codeOf(1), 1, "quibrant2011.exe", legacy},
        {codeOf(991), 991, "quibrant6_a.exe", legacy},
        {codeOf(992), 992, "quibrant6_28.exe", actual},
        {codeOf(989), 989, "quibrant6_989.exe", actual},
        {codeOf(998), 998, "quibrant6_998.exe", actual},
        {codeOf(997), 997, "Quibvarn.exe", kInUse},
        {codeOf(4), 4, "Quibrant_Update.exe", kInUse},
        {codeOf(15), 15, "Quibrant_Update.exe", kInUse},
        {" " + codeOf(3), 0, "Quibrant_Update.exe", kInUse},
        {codeOf(3) + " ", 0, "Quibrant_Update.exe", kInUse},
        {"", 0, "Quibrant_Update.exe", kInUse},
        {"NOSUCH1", 0, "Quibrant_Update.exe", kInUse},
        {codeOf(0), 0, "Quibrant_Update.exe", kInUse},
    };
    for (const Expected& expected : cases) {
        SCOPED_TRACE("code \"" + expected.typed + "\"");
        const source::AccessCodeResult result = evaluate(expected.typed);
        EXPECT_EQ(result.category, expected.category);
        EXPECT_EQ(result.accepted, expected.category != 0);
        EXPECT_EQ(result.fileName, expected.fileName);
        EXPECT_EQ(result.folder, expected.folder);
    }
}

TEST(AccessCodesTest, InASuppliedTableTheLastMatchDecides) {
    const AccessCodeTable table = {
        {"ab12", 3}, {"CD34", 990}, {"EF56", 993}, {"AB12", 991}, {"GH78", 42},
    };
    EXPECT_EQ(evaluate("ab12", table).fileName, "quibrant6_a.exe");
    EXPECT_EQ(evaluate("cd34", table).fileName, "quibrant6_990.exe");
    EXPECT_EQ(evaluate("EF56", table).fileName, "quibrant6_36.exe");
    const source::AccessCodeResult unlisted = evaluate("GH78", table);
    EXPECT_TRUE(unlisted.accepted);
    EXPECT_EQ(unlisted.fileName, "Quibrant_Update.exe");
}

TEST(AccessCodesTest, NormalizeCodeUpperCasesLatinLettersOnly) {
    EXPECT_EQ(source::normalizeCode("ab9ñz"), "AB9ÑZ");
    EXPECT_EQ(source::normalizeCode("÷ 1-x"), "÷ 1-X");
}

// Leaving the code box evaluates it and overwrites whatever an earlier
// evaluation, or the user, left in the boxes.
TEST(AccessCodesFormTest, LeavingTheCodeBoxShowsTheTargetAndForgetsTheLastOne) {
    FormFixture f;
    ServerConfig server = ServerConfig::builtIn();
    server.MainServerBaseUrl = kMain;
    f.start(server);
    f.Text1.setText("typed by hand.exe");
    f.Text4.setText(codeOf(3));
    f.form->Text4_LostFocus();
    EXPECT_EQ(f.state().BuildCategory, 3.0f);
    EXPECT_EQ(f.state().CodeAccepted, kTrue);
    EXPECT_EQ(f.Text1.text(), "quibrant6_3.exe");
    EXPECT_EQ(f.Text3.text(), std::string(kMain) + "clientes/actual/");

    f.Text4.setText("WRONG");
    f.form->Text4_LostFocus();
    EXPECT_EQ(f.state().CodeAccepted, kFalse);
    EXPECT_EQ(f.Text1.text(), "Quibrant_Update.exe");
    EXPECT_EQ(f.Text3.text(), f.state().ServerBaseUrl);
}

}  // namespace
}  // namespace quibrant::test
