#pragma once
// The operators of the PostScript calculator functions (PDF FunctionType 4):
// their names, sorted byte-wise, their codes (a name's position in the table)
// and what each does to the operand stack.
#include <cstdint>
#include <string_view>

class PostScriptOperandStack;

// Operator codes; the order is the table's, so a code is its index.
enum PostScriptOperatorCode : int32_t {
    kPSAbs,
    kPSAdd,
    kPSAnd,
    kPSAtan,
    kPSBitshift,
    kPSCeiling,
    kPSCopy,
    kPSCos,
    kPSCvi,
    kPSCvr,
    kPSDiv,
    kPSDup,
    kPSEq,
    kPSExch,
    kPSExp,
    kPSFalse,
    kPSFloor,
    kPSGe,
    kPSGt,
    kPSIdiv,
    kPSIf,
    kPSIfelse,
    kPSIndex,
    kPSLe,
    kPSLn,
    kPSLog,
    kPSLt,
    kPSMod,
    kPSMul,
    kPSNe,
    kPSNeg,
    kPSNot,
    kPSOr,
    kPSPop,
    kPSRoll,
    kPSRound,
    kPSSin,
    kPSSqrt,
    kPSSub,
    kPSTrue,
    kPSTruncate,
    kPSXor,
    kPostScriptOperatorCount
};

// The operand registers of one run of a block. An operator loads them from
// the stack only when the top has the type it wants; otherwise a register
// keeps what it held, so missing operands never stop a run.
struct PostScriptRegisters {
    int64_t leftInteger = 0;
    int64_t rightInteger = 0;
    bool leftBoolean = false;
    bool rightBoolean = false;
    double leftReal = 0;
    double rightReal = 0;
};

// The operator's name for a code in the table, else an empty view.
std::string_view PostScriptOperatorName(int32_t code);

// The code of an operator name, found by binary search; -1 for any other name.
int32_t LookupPostScriptOperator(std::string_view name);

// Performs the operator of code on the stack. if and ifelse need their blocks
// and are run by the program; they and codes outside the table do nothing here.
void RunPostScriptOperator(int32_t code, PostScriptOperandStack& stack, PostScriptRegisters& registers);
