#pragma once
// The operand stack of the PostScript calculator: booleans, integers and
// reals. Capped, so that a program copying its operands over and over cannot
// grow it without end; a push onto a full stack is refused and remembered.
#include <cstdint>
#include <vector>

enum PostScriptOperandTag : int32_t { kPSBooleanOperand = 0, kPSIntegerOperand = 1, kPSRealOperand = 2 };

struct PostScriptOperand {
    double real = 0;
    int32_t tag = kPSBooleanOperand;
    int64_t integer = 0;
    uint8_t boolean = 0;
};

class PostScriptOperandStack {
public:
    // Calculator functions are meant for a handful of values; the PDF
    // standard's own limit for them is 100.
    static constexpr int64_t kMaxOperands = 100;

    PostScriptOperandStack() { ResetOperandStack(); }

    // Empties the stack, clears the overflow mark and reserves the full room.
    void ResetOperandStack();

    void PushReal(double value);
    void PushInteger(int64_t value);
    void PushBoolean(bool value);

    // Each pops only when the top has a matching type (an integer counts as a
    // number) and leaves the stack and out untouched otherwise.
    void PopNumber(double& out);
    void PopInteger(int64_t& out);
    void PopBoolean(bool& out);
    void PopOperand();

    bool TopIsInteger() const;
    bool TopIsReal() const;
    bool TopIsBoolean() const;
    bool TopTwoAreIntegers() const;
    bool TopTwoAreNumbers() const;
    bool TopTypeIsEither(int32_t a, int32_t b) const;
    bool HasTooFewOperands(int64_t n) const { return count() < n; }
    bool IsOperandStackEmpty() const { return m_top < 0; }

    // copy, index and roll: counts outside the stack leave it unchanged.
    void CopyTopOperands(int64_t n);
    void IndexOperand(int64_t n);
    void RollOperands(int64_t n, int64_t j);
    void ReverseOperandStack();
    void ClearOperandStack();

    int64_t count() const { return m_top + 1; }
    // True once a push was refused because the stack was full.
    bool overflowed() const { return m_overflow; }
    const PostScriptOperand& operandAt(int64_t index) const { return m_operands[static_cast<std::size_t>(index)]; }

private:
    // By value: the operand may be one of the stack's own.
    void push(PostScriptOperand operand);
    const PostScriptOperand& topOperand() const { return m_operands.back(); }

    std::vector<PostScriptOperand> m_operands;
    int64_t m_top = -1;
    bool m_overflow = false;
};
