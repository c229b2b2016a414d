#include "pdfdecode/PostScriptOperators.h"
#include "pdfdecode/PostScriptProgram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The stack after running text on the inputs, bottom to top: integers as
// "i7", reals as "r0.6", booleans as "b1".
std::vector<std::string> run(const std::string& text, const std::vector<double>& inputs,
                             PostScriptOperandStack* out = nullptr)
{
    PostScriptProgram program(text.data(), text.size());
    ParsePostScriptProgram(program);
    PostScriptOperandStack stack;
    for (double input : inputs)
        stack.PushReal(input);
    RunPostScriptProgram(program, stack);
    std::vector<std::string> result;
    for (int64_t i = 0; i < stack.count(); ++i) {
        const PostScriptOperand& operand = stack.operandAt(i);
        std::ostringstream text;
        text.precision(17);
        if (operand.tag == kPSIntegerOperand)
            text << 'i' << operand.integer;
        else if (operand.tag == kPSRealOperand)
            text << 'r' << operand.real;
        else
            text << 'b' << int(operand.boolean);
        result.push_back(text.str());
    }
    if (out)
        *out = stack;
    return result;
}

// Reals match to within the rounding of the degree constant.
bool matches(const std::string& actual, const std::string& expected)
{
    if (actual[0] != expected[0])
        return false;
    if (expected[0] != 'r')
        return actual == expected;
    const double a = std::stod(actual.substr(1));
    const double e = std::stod(expected.substr(1));
    if (std::isnan(e))
        return std::isnan(a);
    if (std::isinf(e))
        return a == e;
    return std::fabs(a - e) <= 1e-6 * std::max(1.0, std::fabs(e));
}

struct Case {
    const char* text;
    std::vector<double> inputs;
    std::vector<std::string> expected;
};

void check(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        const std::vector<std::string> actual = run(c.text, c.inputs);
        bool same = actual.size() == c.expected.size();
        for (std::size_t i = 0; same && i < actual.size(); ++i)
            same = matches(actual[i], c.expected[i]);
        std::string shown;
        for (const std::string& s : actual)
            shown += s + " ";
        EXPECT_TRUE(same) << c.text << " gave " << shown;
    }
}

} // namespace

TEST(PostScriptCalculator, Arithmetic)
{
    check({
        {"{ 2 mul }", {0.3}, {"r0.6"}},
        {"{ 3 4 add }", {0.3}, {"r0.3", "i7"}},
        {"{ 7 2 idiv }", {}, {"i3"}},
        {"{ -7 2 mod }", {}, {"i-1"}},
        {"{ 7 2 sub 3 mul }", {}, {"i15"}},
        {"{ 1 4 div }", {}, {"r0.25"}},
        {"{ 1 0 div }", {}, {"rinf"}},
        {"{ -5 abs 2.5 neg -2 neg }", {}, {"i5", "r-2.5", "i2"}},
        {"{ -2147483648 abs }", {}, {"i2147483648"}},
        {"{ 2 10 exp 100 log 1 ln }", {}, {"r1024", "r2", "r0"}},
        {"{ -1 sqrt }", {}, {"rnan"}},
        {"{ 1 1 atan 0 -1 atan -1 0 atan }", {}, {"r45", "r180", "r-90"}},
        {"{ 90 sin 60 cos }", {}, {"r1", "r0.5"}},
    });
}

TEST(PostScriptCalculator, IntegerOverflowGivesReals)
{
    check({
        {"{ 9223372036854775807 1 add }", {}, {"r9.2233720368547758e18"}},
        {"{ -9223372036854775807 2 sub }", {}, {"r-9.2233720368547758e18"}},
        {"{ 4611686018427387904 2 mul }", {}, {"r9.2233720368547758e18"}},
        {"{ -9223372036854775807 1 sub neg }", {}, {"r9.2233720368547758e18"}},
        {"{ -9223372036854775807 1 sub abs }", {}, {"r9.2233720368547758e18"}},
        {"{ -9223372036854775807 1 sub -1 idiv }", {}, {"r9.2233720368547758e18"}},
        {"{ -9223372036854775807 1 sub -1 mod }", {}, {"i0"}},
        {"{ 99999999999999999999 }", {}, {"r1e20"}},
        {"{ 7 0 idiv 7 0 mod }", {}, {"i0", "i0"}},
        // idiv with a divisor left in the register at the start of the run
        {"{ idiv }", {}, {"i0"}},
    });
}

TEST(PostScriptCalculator, Bitshift)
{
    check({
        {"{ 1 4 bitshift 16 -2 bitshift 5 0 bitshift }", {}, {"i16", "i4", "i5"}},
        {"{ -16 -2 bitshift }", {}, {"i1073741820"}},
        {"{ 1 63 bitshift }", {}, {"i-9223372036854775808"}},
        {"{ 1 64 bitshift 1 1000 bitshift 1 -32 bitshift }", {}, {"i0", "i0", "i0"}},
        {"{ 1 -9223372036854775807 1 sub bitshift }", {}, {"i0"}},
    });
}

TEST(PostScriptCalculator, Rounding)
{
    check({
        {"{ 2.5 round -2.5 round }", {}, {"r3", "r-3"}},
        {"{ -3.7 truncate 3.7 truncate }", {}, {"r-3", "r3"}},
        {"{ 5 round 5 ceiling 5 floor 5 truncate }", {}, {"i5", "i5", "i5", "i5"}},
        {"{ 3.2 ceiling -3.2 floor }", {}, {"r4", "r-4"}},
        {"{ 3.9 cvi -3.9 cvi 4 cvr 2.5 cvr }", {}, {"i3", "i-3", "r4", "r2.5"}},
        {"{ -1 sqrt cvi }", {}, {"rnan"}},
        {"{ 1e300 cvi }", {}, {"r1e300"}},
    });
}

TEST(PostScriptCalculator, StackOperators)
{
    check({
        {"{ 1 2 3 3 1 roll }", {}, {"i3", "i1", "i2"}},
        {"{ 1 2 3 3 -1 roll }", {}, {"i2", "i3", "i1"}},
        {"{ 1 2 3 3 100000000001 roll }", {}, {"i2", "i3", "i1"}},
        {"{ 1 2 3 4 1 roll }", {}, {"i1", "i2", "i3"}},
        {"{ 1 2 3 1 index }", {}, {"i1", "i2", "i3", "i2"}},
        {"{ 1 2 3 3 index }", {}, {"i1", "i2", "i3"}},
        {"{ 1 2 2 copy }", {}, {"i1", "i2", "i1", "i2"}},
        {"{ 1 2 3 copy }", {}, {"i1", "i2"}},
        {"{ 1 2 exch dup pop }", {}, {"i2", "i1"}},
        {"{ pop pop exch dup }", {}, {}},
    });
}

TEST(PostScriptCalculator, BooleansAndComparisons)
{
    check({
        {"{ 0.5 gt { 1 } { 0 } ifelse }", {0.7}, {"i1"}},
        {"{ 0.5 gt { 1 } { 0 } ifelse }", {0.3}, {"i0"}},
        {"{ dup 0.5 le { pop 0 } if }", {0.3}, {"i0"}},
        {"{ dup 0.5 le { pop 0 } if }", {0.7}, {"r0.7"}},
        {"{ 1 1.0 eq 1 2 ne true true eq 2 1 ge 1 2 lt }", {}, {"b1", "b1", "b1", "b1", "b1"}},
        {"{ true false and true false or true true xor }", {}, {"b0", "b1", "b0"}},
        {"{ 12 10 and 12 10 or 12 10 xor 5 not true not }", {}, {"i8", "i14", "i6", "i-6", "b0"}},
        {"{ not }", {0.3}, {"r0.3", "b1"}},
        // if and ifelse without their blocks run nothing
        {"{ true if 1 }", {}, {"i1"}},
    });
}

TEST(PostScriptCalculator, MissingOperandsUseTheRegisters)
{
    check({
        {"{ add }", {0.4}, {"r0.4"}},
        {"{ true and }", {0.3}, {"r0.3", "b0"}},
        {"{ mul }", {}, {"r0"}},
        {"{ foo 1 }", {}, {"i1"}},
    });
}

TEST(PostScriptCalculator, Tokens)
{
    check({
        {"{\t3\f4\radd\n}", {}, {"i7"}},
        {"{ 1.5e2 1E-2 2.5e+1 }", {}, {"r150", "r0.01", "r25"}},
        {"{ 1e 2 }", {}, {"i1", "i2"}},
        {"{ -.5 3-4 +3 5. }", {}, {"r-0.5", "i3", "i3", "r5"}},
        {"{ 1e999 -1e999 1e-999 }", {}, {"rinf", "r-inf", "r0"}},
        {"{ 3 % four 4 add }\n 4 add }", {}, {"i7"}},
        {"%!\n{ 2 }", {}, {"i2"}},
        {"{ 1 2add }", {}, {"i3"}},
        {"{ "
         "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"
         "a 1 }",
         {},
         {"i1"}},
        {"{ 1 } 2 3", {}, {"i1"}},
    });
}

// Programs that parse into no instructions: the inputs stay as they were.
TEST(PostScriptCalculator, RefusedPrograms)
{
    const std::string deep = std::string(200, '{') + std::string(200, '}');
    check({
        {"2 mul", {0.3}, {"r0.3"}},
        {"{ 2 mul", {0.3}, {"r0.3"}},
        {"{ 2 { 1 } { 2 } ", {0.3}, {"r0.3"}},
        {"{ 2 [ 3 ] mul }", {0.3}, {"r0.3"}},
        {"{ 2 (x) }", {0.3}, {"r0.3"}},
        {"", {0.3}, {"r0.3"}},
        {deep.c_str(), {0.3}, {"r0.3"}},
        // a block no if takes empties the block it stands in
        {"{ dup 1 gt { pop 1 } }", {0.3}, {"r0.3"}},
        {"{ 1 { 2 } { 3 } if }", {0.3}, {"r0.3"}},
    });
}

TEST(PostScriptCalculator, NestedBlocksWithinTheLimit)
{
    std::string text = "{ ";
    for (int i = 1; i < PostScriptProgram::kMaxBlockDepth; ++i)
        text += "true { ";
    text += "7 ";
    for (int i = 1; i < PostScriptProgram::kMaxBlockDepth; ++i)
        text += "} if ";
    text += "}";
    check({{text.c_str(), {}, {"i7"}}});
}

TEST(PostScriptCalculator, OverflowingTheStackStopsTheRun)
{
    PostScriptOperandStack stack;
    run("{ 1 1 copy 2 copy 4 copy 8 copy 16 copy 32 copy 64 copy 99 }", {}, &stack);
    EXPECT_TRUE(stack.overflowed());
    EXPECT_EQ(stack.count(), PostScriptOperandStack::kMaxOperands);
    EXPECT_EQ(stack.operandAt(stack.count() - 1).integer, 1);

    run("{ 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 20 copy 40 copy 80 copy { 5 } if }", {}, &stack);
    EXPECT_TRUE(stack.overflowed());
}
