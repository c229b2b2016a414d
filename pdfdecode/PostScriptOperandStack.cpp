#include "pdfdecode/PostScriptOperandStack.h"

#include <algorithm>

void PostScriptOperandStack::ResetOperandStack()
{
    m_operands.clear();
    m_operands.reserve(kMaxOperands);
    m_top = -1;
    m_overflow = false;
}

void PostScriptOperandStack::push(PostScriptOperand operand)
{
    if (count() >= kMaxOperands) {
        m_overflow = true;
        return;
    }
    m_operands.push_back(operand);
    ++m_top;
}

void PostScriptOperandStack::PushReal(double value)
{
    PostScriptOperand operand;
    operand.tag = kPSRealOperand;
    operand.real = value;
    push(operand);
}

void PostScriptOperandStack::PushInteger(int64_t value)
{
    PostScriptOperand operand;
    operand.tag = kPSIntegerOperand;
    operand.integer = value;
    push(operand);
}

void PostScriptOperandStack::PushBoolean(bool value)
{
    PostScriptOperand operand;
    operand.tag = kPSBooleanOperand;
    operand.boolean = value ? 1 : 0;
    push(operand);
}

void PostScriptOperandStack::PopNumber(double& out)
{
    if (!TopTypeIsEither(kPSIntegerOperand, kPSRealOperand))
        return;
    const PostScriptOperand& operand = topOperand();
    out = operand.tag == kPSIntegerOperand ? static_cast<double>(operand.integer) : operand.real;
    PopOperand();
}

void PostScriptOperandStack::PopInteger(int64_t& out)
{
    if (!TopIsInteger())
        return;
    out = topOperand().integer;
    PopOperand();
}

void PostScriptOperandStack::PopBoolean(bool& out)
{
    if (!TopIsBoolean())
        return;
    out = topOperand().boolean != 0;
    PopOperand();
}

void PostScriptOperandStack::PopOperand()
{
    if (IsOperandStackEmpty())
        return;
    m_operands.pop_back();
    --m_top;
}

bool PostScriptOperandStack::TopIsInteger() const
{
    return !IsOperandStackEmpty() && topOperand().tag == kPSIntegerOperand;
}

bool PostScriptOperandStack::TopIsReal() const { return !IsOperandStackEmpty() && topOperand().tag == kPSRealOperand; }

bool PostScriptOperandStack::TopIsBoolean() const
{
    return !IsOperandStackEmpty() && topOperand().tag == kPSBooleanOperand;
}

bool PostScriptOperandStack::TopTwoAreIntegers() const
{
    return count() >= 2 && m_operands[m_operands.size() - 1].tag == kPSIntegerOperand
        && m_operands[m_operands.size() - 2].tag == kPSIntegerOperand;
}

bool PostScriptOperandStack::TopTwoAreNumbers() const
{
    return count() >= 2 && m_operands[m_operands.size() - 1].tag != kPSBooleanOperand
        && m_operands[m_operands.size() - 2].tag != kPSBooleanOperand;
}

bool PostScriptOperandStack::TopTypeIsEither(int32_t a, int32_t b) const
{
    return !IsOperandStackEmpty() && (topOperand().tag == a || topOperand().tag == b);
}

void PostScriptOperandStack::CopyTopOperands(int64_t n)
{
    if (n <= 0 || n > count())
        return;
    const std::size_t first = m_operands.size() - static_cast<std::size_t>(n);
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i)
        push(m_operands[first + i]);
}

void PostScriptOperandStack::IndexOperand(int64_t n)
{
    if (n < 0 || n >= count())
        return;
    push(m_operands[m_operands.size() - 1 - static_cast<std::size_t>(n)]);
}

void PostScriptOperandStack::RollOperands(int64_t n, int64_t j)
{
    if (n <= 0 || n > count() || j == 0)
        return;
    // Reduced first: a count of any size costs one rotation.
    const int64_t shift = ((j % n) + n) % n;
    const auto groupStart = m_operands.end() - n;
    std::rotate(groupStart, m_operands.end() - shift, m_operands.end());
}

void PostScriptOperandStack::ReverseOperandStack() { std::reverse(m_operands.begin(), m_operands.end()); }

void PostScriptOperandStack::ClearOperandStack()
{
    m_operands.clear();
    m_top = -1;
}
