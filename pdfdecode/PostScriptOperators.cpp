#include "pdfdecode/PostScriptOperators.h"

#include <array>

namespace {

// Sorted byte-wise: the binary search depends on it.
constexpr std::array<std::string_view, kPostScriptOperatorCount> kOperatorNames = {
    "abs", "add", "and", "atan", "bitshift", "ceiling", "copy", "cos",
    "cvi", "cvr", "div", "dup", "eq", "exch", "exp", "false", "floor",
    "ge", "gt", "idiv", "if", "ifelse", "index", "le", "ln", "log",
    "lt", "mod", "mul", "ne", "neg", "not", "or", "pop", "roll",
    "round", "sin", "sqrt", "sub", "true", "truncate", "xor"};

constexpr bool isSorted()
{
    for (std::size_t i = 1; i < kOperatorNames.size(); ++i)
        if (!(kOperatorNames[i - 1] < kOperatorNames[i]))
            return false;
    return true;
}
static_assert(isSorted(), "operator names must stay in byte order");

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
