#pragma once
// The program of a PostScript calculator function: its text, tokenized and
// parsed once into a tree of instructions (the blocks of if and ifelse hang
// below their operator), then run on an operand stack once per evaluation.
// A text that is not one complete block, holds a byte no token starts with or
// nests its blocks too deeply yields an empty program.
#include "pdfdecode/PostScriptOperandStack.h"

#include <cstdint>
#include <vector>

enum PostScriptInstructionKind : int32_t {
    kPSIntegerInstruction = 1,
    kPSRealInstruction = 2,
    kPSOperatorInstruction = 3,
};

struct PostScriptInstruction {
    double real = 0;
    int64_t integer = 0;
    std::vector<PostScriptInstruction> thenBlock;
    std::vector<PostScriptInstruction> elseBlock;
    int32_t kind = 0;
    int32_t operatorCode = -1;
};

// The tokenizer fills the same record.
using PostScriptToken = PostScriptInstruction;

// What NextPostScriptToken answers.
enum PostScriptTokenCode : int32_t {
    kPSTokenRefused = -1, // a byte no token starts with; the position stays on it
    kPSTokenEnd = 0, // the text is used up
    kPSTokenInteger = 1,
    kPSTokenReal = 2,
    kPSTokenOperator = 3,
    kPSTokenOpenBrace = 4,
    kPSTokenCloseBrace = 5,
};

struct PostScriptProgram {
    // Blocks deeper than this refuse the program: far beyond any real
    // function, and it bounds the recursion of parsing, running and freeing.
    static constexpr int kMaxBlockDepth = 100;

    // text is not copied and need not end in a zero byte; it must outlive the
    // program (the function that owns both keeps it).
    PostScriptProgram(const char* text, uint64_t length) : text(text), length(length) { }

    const char* text;
    std::vector<PostScriptInstruction> instructions;
    uint64_t position = 0;
    uint64_t length;
};

// Reads the text into the top-level block; anything after its closing brace
// is ignored.
void ParsePostScriptProgram(PostScriptProgram& program);

// Reads one token at the program's position and moves past it.
int32_t NextPostScriptToken(PostScriptProgram& program, PostScriptToken& token);

// Reads instructions up to the closing brace of the current block, depth
// being that block's nesting level (1 for the top-level block). False when
// the program must be refused.
bool ParsePostScriptBlock(PostScriptProgram& program, std::vector<PostScriptInstruction>& block, int depth = 1);

// Runs the block's instructions on the stack. False when the run stopped
// because the stack overflowed.
bool ExecutePostScriptBlock(const PostScriptProgram& program, PostScriptOperandStack& stack,
                            const std::vector<PostScriptInstruction>& block);
bool RunPostScriptProgram(const PostScriptProgram& program, PostScriptOperandStack& stack);

void ClearPostScriptProgram(PostScriptProgram& program);
void DestroyPostScriptInstruction(PostScriptInstruction& instruction);
