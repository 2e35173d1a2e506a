#include <gtest/gtest.h>

#include <QString>

#include <ostream>
#include <vector>

#include "shell/dialogs.h"

// Found by argument-dependent lookup, so in the namespace of ShownDialog.
void PrintTo(const ShownDialog& d, std::ostream* out) {
    *out << static_cast<int>(d.kind) << " \"" << d.title.toStdString() << "\" \""
         << d.text.toStdString() << "\" \"" << d.fileName.toStdString() << '"';
}

namespace {

TEST(ScriptedDialogs, RecordEveryDialogAndAnswerFromTheScript) {
    ScriptedDialogs script;
    script.answerNextQuestion(true);
    script.chooseNextFileName("/tmp/report.csv");

    showInformation("saved  ");
    showWarning("check the address  ");
    showCritical("COM Port is not opened yet!");
    EXPECT_TRUE(askYesNo("Overwrite?", "Confirm"));
    EXPECT_FALSE(askYesNo("Overwrite again?", "Confirm"));
    EXPECT_EQ(chooseSaveFileName("CSV File(.csv)|*.csv", "TestFile"), "/tmp/report.csv");
    EXPECT_EQ(chooseOpenFileName("KTR3310 Record File(.vtr)|*.vtr"), "");

    const std::vector<ShownDialog> expected = {
        {DialogKind::Information, "KTR3310  Plus", "saved  ", {}},
        {DialogKind::Warning, "KTR3310  Plus", "check the address  ", {}},
        {DialogKind::Critical, "KTR3310  Plus", "COM Port is not opened yet!", {}},
        {DialogKind::Question, "Confirm", "Overwrite?", {}},
        {DialogKind::Question, "Confirm", "Overwrite again?", {}},
        {DialogKind::SaveFile, {}, "CSV File(.csv)|*.csv", "TestFile"},
        {DialogKind::OpenFile, {}, "KTR3310 Record File(.vtr)|*.vtr", {}},
    };
    EXPECT_EQ(script.shown(), expected);
}

TEST(ScriptedDialogs, AnInnerScriptHandsBackToTheOuterOne) {
    ScriptedDialogs outer;
    outer.answerNextQuestion(true);
    {
        ScriptedDialogs inner;
        showInformation("inner");
        EXPECT_FALSE(askYesNo("inner question", "c"));
        EXPECT_EQ(inner.shown().size(), 2u);
    }
    showInformation("outer");
    EXPECT_TRUE(askYesNo("outer question", "c"));
    ASSERT_EQ(outer.shown().size(), 2u);
    EXPECT_EQ(outer.shown()[0].text, "outer");
}

struct FilterCase {
    const char* filter;
    const char* expected;
};

void PrintTo(const FilterCase& c, std::ostream* out) {
    *out << '"' << c.filter << '"';
}

class QtFileFilter : public testing::TestWithParam<FilterCase> {};

TEST_P(QtFileFilter, ListsEachDescriptionWithItsPatterns) {
    EXPECT_EQ(qtFileFilter(GetParam().filter), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, QtFileFilter,
    testing::Values(FilterCase{"CSV File(.csv)|*.csv", "CSV File(.csv) (*.csv)"},
                    FilterCase{"Test File(.vtm)|*.vtm|All files|*",
                               "Test File(.vtm) (*.vtm);;All files (*)"},
                    FilterCase{"Tables|*.csv;*.txt", "Tables (*.csv *.txt)"}, FilterCase{"", ""}));

} // namespace
