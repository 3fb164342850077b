#include "GameLoader/GameLoader/GameExitCommand.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/GameExitRecord.h"

namespace {

TEST(GameExitCommandTest, RecognisesTypeOneAndNothingElse)
{
    struct Case {
        const char* text;
        GameExitParse parse;
        bool literal;
        int type;
    } cases[] = {
        {R"({"type":1})", GameExitParse::Json, false, 1},
        {"{\"type\":1}\n", GameExitParse::Json, false, 1},
        {R"({"type":1.0})", GameExitParse::Json, false, 1},
        {R"({"type":1,"token":"x"})", GameExitParse::Json, false, 1},
        {R"({"type":"1"})", GameExitParse::Json, false, 0},
        {R"({"type":true})", GameExitParse::Json, false, 0},
        {R"({"type":1.5})", GameExitParse::Json, false, 0},
        {R"({"type":4294967297})", GameExitParse::Json, false, 0},
        {R"({"type":null})", GameExitParse::Json, false, 0},
        {R"({"type":2})", GameExitParse::Json, false, 2},
        {R"({"Type":1})", GameExitParse::Json, false, 0},
        {"null\n", GameExitParse::Json, false, 0},
        {R"({"source":"QX","winid":"1"})", GameExitParse::Json, false, 0},
        {"{type:1}", GameExitParse::NotJson, true, 1},
        {"type:1", GameExitParse::NotJson, true, 1},
        {"{type:1} ", GameExitParse::NotJson, false, 0},
        {"{type:1}\n", GameExitParse::NotJson, false, 0},
        {"TYPE:1", GameExitParse::NotJson, false, 0},
        {"C:\\Games\\vrk_main.exe", GameExitParse::NotJson, false, 0},
        {"", GameExitParse::NotJson, false, 0},
        // A root that is neither an object nor null is never the command.
        {"[1]", GameExitParse::Failed, false, 0},
        {"1", GameExitParse::Failed, false, 0},
        {R"("type:1")", GameExitParse::Failed, false, 0},
    };
    for (const Case& c : cases) {
        const GameExitRecognition r = RecognizeGameExitCommand(c.text);
        EXPECT_EQ(r.parse, c.parse) << c.text;
        EXPECT_EQ(r.literal, c.literal) << c.text;
        EXPECT_EQ(r.type, c.type) << c.text;
    }
}

TEST(GameExitCommandTest, NoticeRecordIsTheFixed528Bytes)
{
    const GameExitNoticeRecord record = BuildGameExitNoticeRecord();
    ASSERT_EQ(record.size(), 528u);
    EXPECT_EQ(std::string(record.begin(), record.end()), testsupport::ExpectedGameExitRecord());
    EXPECT_EQ(BuildGameExitNoticeRecord(), record);
}

}  // namespace
