#include "pdfdecode/PostScriptOperators.h"

#include <gtest/gtest.h>

TEST(PostScriptOperators, EveryNameFindsItsOwnCode)
{
    for (int32_t code = 0; code < kPostScriptOperatorCount; ++code)
        EXPECT_EQ(LookupPostScriptOperator(PostScriptOperatorName(code)), code);
}

TEST(PostScriptOperators, OtherNamesAreUnknown)
{
    struct Case {
        const char* name;
        int32_t code;
    };
    const Case cases[] = {
        {"abs", 0}, {"xor", 41}, {"if", 20}, {"ifelse", 21}, {"roll", 34}, {"ADD", -1}, {"Add", -1},
        {"e", -1},  {"", -1},    {"ab", -1}, {"absx", -1},   {"zzz", -1},  {"aaa", -1}, {"truncatee", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LookupPostScriptOperator(c.name), c.code) << c.name;
}
