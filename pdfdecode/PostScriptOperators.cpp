#include "pdfdecode/PostScriptOperators.h"

#include "pdfdecode/PostScriptOperandStack.h"

#include <array>
#include <cmath>
#include <limits>

namespace {

// Sorted byte-wise: the binary search depends on it.
constexpr std::array<std::string_view, kPostScriptOperatorCount> kOperatorNames
    = {"abs",   "add",  "and",   "atan", "bitshift", "ceiling", "copy", "cos",      "cvi",  "cvr", "div",
       "dup",   "eq",   "exch",  "exp",  "false",    "floor",   "ge",   "gt",       "idiv", "if",  "ifelse",
       "index", "le",   "ln",    "log",  "lt",       "mod",     "mul",  "ne",       "neg",  "not", "or",
       "pop",   "roll", "round", "sin",  "sqrt",     "sub",     "true", "truncate", "xor"};

constexpr bool isSorted()
{
    for (std::size_t i = 1; i < kOperatorNames.size(); ++i)
        if (!(kOperatorNames[i - 1] < kOperatorNames[i]))
            return false;
    return true;
}
static_assert(isSorted(), "operator names must stay in byte order");

// Degrees per radian as the calculator has always used it.
constexpr double kDegreesPerRadian = 57.2957795;

// Right shifts work on the low 32 bits, as PostScript integers have them.
constexpr int64_t kShiftedWordBits = 32;
constexpr int64_t kIntegerBits = 64;

using Stack = PostScriptOperandStack;
using Registers = PostScriptRegisters;

void loadLeftInteger(Stack& s, Registers& r) { s.PopInteger(r.leftInteger); }
void loadLeftReal(Stack& s, Registers& r) { s.PopNumber(r.leftReal); }
void loadLeftBoolean(Stack& s, Registers& r) { s.PopBoolean(r.leftBoolean); }
void loadIntegers(Stack& s, Registers& r)
{
    s.PopInteger(r.rightInteger);
    s.PopInteger(r.leftInteger);
}
void loadReals(Stack& s, Registers& r)
{
    s.PopNumber(r.rightReal);
    s.PopNumber(r.leftReal);
}
void loadBooleans(Stack& s, Registers& r)
{
    s.PopBoolean(r.rightBoolean);
    s.PopBoolean(r.leftBoolean);
}

template <typename IntegerOp, typename RealOp>
void arithmetic(Stack& s, Registers& r, IntegerOp integerOp, RealOp realOp)
{
    if (s.TopTwoAreIntegers()) {
        loadIntegers(s, r);
        int64_t result = 0;
        // An integer result that does not fit becomes a real, as in PostScript.
        if (integerOp(r.leftInteger, r.rightInteger, &result))
            s.PushReal(realOp(static_cast<double>(r.leftInteger), static_cast<double>(r.rightInteger)));
        else
            s.PushInteger(result);
        return;
    }
    loadReals(s, r);
    s.PushReal(realOp(r.leftReal, r.rightReal));
}

void push(Stack& s, int64_t value) { s.PushInteger(value); }
void push(Stack& s, bool value) { s.PushBoolean(value); }

// What a binary operator takes when the top two operands are not integers.
enum class Otherwise { Reals, Booleans, RealsOrBooleans };

template <Otherwise otherwise, typename Op> void binary(Stack& s, Registers& r, Op op)
{
    if (s.TopTwoAreIntegers()) {
        loadIntegers(s, r);
        push(s, op(r.leftInteger, r.rightInteger));
        return;
    }
    if constexpr (otherwise != Otherwise::Booleans) {
        if (otherwise == Otherwise::Reals || s.TopTwoAreNumbers()) {
            loadReals(s, r);
            push(s, op(r.leftReal, r.rightReal));
            return;
        }
    }
    if constexpr (otherwise != Otherwise::Reals) {
        loadBooleans(s, r);
        push(s, op(r.leftBoolean, r.rightBoolean));
    }
}

// and, or, xor: bitwise on integers, logical on booleans.
template <typename Op> void bitwise(Stack& s, Registers& r, Op op)
{
    binary<Otherwise::Booleans>(s, r, [op](auto a, auto b) { return decltype(a)(op(a, b)); });
}

template <typename Op> void realFunction(Stack& s, Registers& r, Op op)
{
    loadLeftReal(s, r);
    s.PushReal(op(r.leftReal));
}

// ceiling, floor, round, truncate: an integer stays as it is.
template <typename Op> void rounding(Stack& s, Registers& r, Op op)
{
    if (s.TopIsInteger())
        return;
    realFunction(s, r, op);
}

void absolute(Stack& s, Registers& r)
{
    if (!s.TopIsInteger()) {
        realFunction(s, r, [](double x) { return std::fabs(x); });
        return;
    }
    loadLeftInteger(s, r);
    const int64_t value = r.leftInteger;
    if (value == std::numeric_limits<int64_t>::min())
        s.PushReal(-static_cast<double>(value));
    else
        s.PushInteger(value < 0 ? -value : value);
}

void bitshift(Stack& s, Registers& r)
{
    loadIntegers(s, r);
    const int64_t value = r.leftInteger;
    const int64_t shift = r.rightInteger;
    if (shift == 0) {
        s.PushInteger(value);
    } else if (shift > 0) {
        s.PushInteger(shift >= kIntegerBits ? 0 : static_cast<int64_t>(static_cast<uint64_t>(value) << shift));
    } else {
        // -shift would overflow for the smallest integer: compare first.
        if (shift <= -kShiftedWordBits) {
            s.PushInteger(0);
            return;
        }
        const uint32_t word = static_cast<uint32_t>(value) >> static_cast<uint32_t>(-shift);
        s.PushInteger(static_cast<int32_t>(word));
    }
}

void convertToInteger(Stack& s, Registers& r)
{
    if (s.TopIsInteger())
        return;
    loadLeftReal(s, r);
    const double truncated = std::trunc(r.leftReal);
    // 2^63: the first value past the integers; NaN fails both comparisons.
    constexpr double kIntegerLimit = 9223372036854775808.0;
    if (truncated >= -kIntegerLimit && truncated < kIntegerLimit)
        s.PushInteger(static_cast<int64_t>(truncated));
    else
        s.PushReal(truncated);
}

void convertToReal(Stack& s, Registers& r)
{
    if (s.TopIsReal())
        return;
    realFunction(s, r, [](double x) { return x; });
}

void integerDivide(Stack& s, Registers& r)
{
    loadIntegers(s, r);
    const int64_t dividend = r.leftInteger;
    const int64_t divisor = r.rightInteger;
    if (divisor == 0)
        s.PushInteger(0);
    else if (divisor == -1 && dividend == std::numeric_limits<int64_t>::min())
        s.PushReal(-static_cast<double>(dividend));
    else
        s.PushInteger(dividend / divisor);
}

void modulo(Stack& s, Registers& r)
{
    loadIntegers(s, r);
    const int64_t divisor = r.rightInteger;
    // -1 divides everything; the smallest integer % -1 would trap.
    s.PushInteger(divisor == 0 || divisor == -1 ? 0 : r.leftInteger % divisor);
}

void negate(Stack& s, Registers& r)
{
    if (!s.TopIsInteger()) {
        realFunction(s, r, [](double x) { return -x; });
        return;
    }
    loadLeftInteger(s, r);
    const int64_t value = r.leftInteger;
    if (value == std::numeric_limits<int64_t>::min())
        s.PushReal(-static_cast<double>(value));
    else
        s.PushInteger(-value);
}

void logicalNot(Stack& s, Registers& r)
{
    if (s.TopIsBoolean()) {
        loadLeftBoolean(s, r);
        s.PushBoolean(!r.leftBoolean);
    } else if (s.TopIsInteger()) {
        loadLeftInteger(s, r);
        s.PushInteger(~r.leftInteger);
    } else {
        s.PushBoolean(!r.leftBoolean);
    }
}

void roll(Stack& s, Registers& r)
{
    loadIntegers(s, r);
    s.RollOperands(r.leftInteger, r.rightInteger);
}

double roundHalfAway(double x) { return x > 0 ? std::floor(x + 0.5) : std::ceil(x - 0.5); }
double truncateReal(double x) { return x > 0 ? std::floor(x) : std::ceil(x); }

using Handler = void (*)(Stack&, Registers&);

void doNothing(Stack&, Registers&) { }

constexpr std::array<Handler, kPostScriptOperatorCount> kHandlers = {
    /* abs */ absolute,
    /* add */
    [](Stack& s, Registers& r) {
        arithmetic(
            s, r, [](int64_t a, int64_t b, int64_t* c) { return __builtin_add_overflow(a, b, c); },
            [](double a, double b) { return a + b; });
    },
    /* and */ [](Stack& s, Registers& r) { bitwise(s, r, [](auto a, auto b) { return a & b; }); },
    /* atan */
    [](Stack& s, Registers& r) {
        loadReals(s, r);
        s.PushReal(std::atan2(r.leftReal, r.rightReal) * kDegreesPerRadian);
    },
    /* bitshift */ bitshift,
    /* ceiling */ [](Stack& s, Registers& r) { rounding(s, r, [](double x) { return std::ceil(x); }); },
    /* copy */
    [](Stack& s, Registers& r) {
        loadLeftInteger(s, r);
        s.CopyTopOperands(r.leftInteger);
    },
    /* cos */
    [](Stack& s, Registers& r) { realFunction(s, r, [](double x) { return std::cos(x / kDegreesPerRadian); }); },
    /* cvi */ convertToInteger,
    /* cvr */ convertToReal,
    /* div */
    [](Stack& s, Registers& r) {
        loadReals(s, r);
        s.PushReal(r.leftReal / r.rightReal);
    },
    /* dup */ [](Stack& s, Registers&) { s.IndexOperand(0); },
    /* eq */
    [](Stack& s, Registers& r) { binary<Otherwise::RealsOrBooleans>(s, r, [](auto a, auto b) { return a == b; }); },
    /* exch */ [](Stack& s, Registers&) { s.RollOperands(2, 1); },
    /* exp */
    [](Stack& s, Registers& r) {
        loadReals(s, r);
        s.PushReal(std::pow(r.leftReal, r.rightReal));
    },
    /* false */ [](Stack& s, Registers&) { s.PushBoolean(false); },
    /* floor */ [](Stack& s, Registers& r) { rounding(s, r, [](double x) { return std::floor(x); }); },
    /* ge */ [](Stack& s, Registers& r) { binary<Otherwise::Reals>(s, r, [](auto a, auto b) { return a >= b; }); },
    /* gt */ [](Stack& s, Registers& r) { binary<Otherwise::Reals>(s, r, [](auto a, auto b) { return a > b; }); },
    /* idiv */ integerDivide,
    /* if */ doNothing,
    /* ifelse */ doNothing,
    /* index */
    [](Stack& s, Registers& r) {
        loadLeftInteger(s, r);
        s.IndexOperand(r.leftInteger);
    },
    /* le */ [](Stack& s, Registers& r) { binary<Otherwise::Reals>(s, r, [](auto a, auto b) { return a <= b; }); },
    /* ln */ [](Stack& s, Registers& r) { realFunction(s, r, [](double x) { return std::log(x); }); },
    /* log */ [](Stack& s, Registers& r) { realFunction(s, r, [](double x) { return std::log10(x); }); },
    /* lt */ [](Stack& s, Registers& r) { binary<Otherwise::Reals>(s, r, [](auto a, auto b) { return a < b; }); },
    /* mod */ modulo,
    /* mul */
    [](Stack& s, Registers& r) {
        arithmetic(
            s, r, [](int64_t a, int64_t b, int64_t* c) { return __builtin_mul_overflow(a, b, c); },
            [](double a, double b) { return a * b; });
    },
    /* ne */
    [](Stack& s, Registers& r) { binary<Otherwise::RealsOrBooleans>(s, r, [](auto a, auto b) { return a != b; }); },
    /* neg */ negate,
    /* not */ logicalNot,
    /* or */ [](Stack& s, Registers& r) { bitwise(s, r, [](auto a, auto b) { return a | b; }); },
    /* pop */ [](Stack& s, Registers&) { s.PopOperand(); },
    /* roll */ roll,
    /* round */ [](Stack& s, Registers& r) { rounding(s, r, roundHalfAway); },
    /* sin */
    [](Stack& s, Registers& r) { realFunction(s, r, [](double x) { return std::sin(x / kDegreesPerRadian); }); },
    /* sqrt */ [](Stack& s, Registers& r) { realFunction(s, r, [](double x) { return std::sqrt(x); }); },
    /* sub */
    [](Stack& s, Registers& r) {
        arithmetic(
            s, r, [](int64_t a, int64_t b, int64_t* c) { return __builtin_sub_overflow(a, b, c); },
            [](double a, double b) { return a - b; });
    },
    /* true */ [](Stack& s, Registers&) { s.PushBoolean(true); },
    /* truncate */ [](Stack& s, Registers& r) { rounding(s, r, truncateReal); },
    /* xor */ [](Stack& s, Registers& r) { bitwise(s, r, [](auto a, auto b) { return a ^ b; }); },
};

} // namespace

std::string_view PostScriptOperatorName(int32_t code)
{
    if (code < 0 || code >= kPostScriptOperatorCount)
        return {};
    return kOperatorNames[static_cast<std::size_t>(code)];
}

int32_t LookupPostScriptOperator(std::string_view name)
{
    int32_t low = 0;
    int32_t high = kPostScriptOperatorCount - 1;
    while (low <= high) {
        const int32_t middle = (low + high) / 2;
        const int order = name.compare(kOperatorNames[static_cast<std::size_t>(middle)]);
        if (order == 0)
            return middle;
        if (order < 0)
            high = middle - 1;
        else
            low = middle + 1;
    }
    return -1;
}

void RunPostScriptOperator(int32_t code, PostScriptOperandStack& stack, PostScriptRegisters& registers)
{
    if (code < 0 || code >= kPostScriptOperatorCount)
        return;
    kHandlers[static_cast<std::size_t>(code)](stack, registers);
}
