#pragma once
// The operators of the PostScript calculator functions (PDF FunctionType 4):
// their names, sorted byte-wise, and codes (a name's position in the table).
#include <cstdint>
#include <string_view>

// Operator codes; the order is the table's, so a code is its index.
enum PostScriptOperatorCode : int32_t {
    kPSAbs, kPSAdd, kPSAnd, kPSAtan, kPSBitshift, kPSCeiling, kPSCopy, kPSCos,
    kPSCvi, kPSCvr, kPSDiv, kPSDup, kPSEq, kPSExch, kPSExp, kPSFalse, kPSFloor,
    kPSGe, kPSGt, kPSIdiv, kPSIf, kPSIfelse, kPSIndex, kPSLe, kPSLn, kPSLog,
    kPSLt, kPSMod, kPSMul, kPSNe, kPSNeg, kPSNot, kPSOr, kPSPop, kPSRoll,
    kPSRound, kPSSin, kPSSqrt, kPSSub, kPSTrue, kPSTruncate, kPSXor,
    kPostScriptOperatorCount
};

// The operator's name for a code in the table, else an empty view.
std::string_view PostScriptOperatorName(int32_t code);

// The code of an operator name, found by binary search; -1 for any other name.
int32_t LookupPostScriptOperator(std::string_view name);
