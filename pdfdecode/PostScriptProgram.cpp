#include "pdfdecode/PostScriptProgram.h"

#include "pdfdecode/PostScriptOperators.h"

#include <charconv>
#include <limits>
#include <string_view>

namespace {

bool isWhiteSpace(char c) { return c == 0 || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' '; }

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNumberStart(char c) { return isDigit(c) || c == '-' || c == '+' || c == '.'; }
bool isExponentMark(char c) { return c == 'e' || c == 'E'; }

// Skips white space and "%" comments (which run to the end of the line).
void skipSpaceAndComments(PostScriptProgram& program)
{
    while (program.position < program.length) {
        const char c = program.text[program.position];
        if (c == '%') {
            while (program.position < program.length && program.text[program.position] != '\n'
                   && program.text[program.position] != '\r')
                ++program.position;
        } else if (isWhiteSpace(c)) {
            ++program.position;
        } else {
            return;
        }
    }
}

// An exponent mark belongs to the number when digits stand before it and
// after it (behind an optional sign): "1.5e2" is one number, "1e" is not.
bool exponentFollows(const PostScriptProgram& program, uint64_t at, bool sawDigit)
{
    if (!sawDigit || !isExponentMark(program.text[at]))
        return false;
    uint64_t next = at + 1;
    if (next < program.length && (program.text[next] == '+' || program.text[next] == '-'))
        ++next;
    return next < program.length && isDigit(program.text[next]);
}

// The extent of a number: digits, signs and points, and one exponent.
std::string_view scanNumber(PostScriptProgram& program, bool& isReal)
{
    const uint64_t start = program.position;
    bool sawDigit = false;
    bool sawExponent = false;
    isReal = false;
    while (program.position < program.length) {
        const char c = program.text[program.position];
        if (isDigit(c)) {
            sawDigit = true;
        } else if (c == '.') {
            isReal = true;
        } else if (!sawExponent && exponentFollows(program, program.position, sawDigit)) {
            sawExponent = true;
            isReal = true;
            ++program.position; // the mark; a sign after it is taken below
            continue;
        } else if (c != '-' && c != '+') {
            break;
        }
        ++program.position;
    }
    return {program.text + start, static_cast<std::size_t>(program.position - start)};
}

// Text to double without the locale, as strtod would read its longest valid
// prefix; out-of-range values become infinities or zero.
double readReal(std::string_view text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        const std::string_view read(text.data(), static_cast<std::size_t>(end - text.data()));
        const std::size_t mark = read.find_first_of("eE");
        const bool tiny = mark != std::string_view::npos && mark + 1 < read.size() && read[mark + 1] == '-';
        const double magnitude = tiny ? 0.0 : std::numeric_limits<double>::infinity();
        return read.starts_with('-') ? -magnitude : magnitude;
    }
    return value;
}

void readNumber(std::string_view text, bool isReal, PostScriptToken& token)
{
    // from_chars takes no plus sign.
    if (text.starts_with('+'))
        text.remove_prefix(1);
    if (!isReal) {
        int64_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        (void)end;
        if (error != std::errc::result_out_of_range) {
            token.kind = kPSIntegerInstruction;
            token.integer = value; // 0 when no digits were read, as atoi gives
            return;
        }
        // Too large for an integer: a real, as in PostScript.
    }
    token.kind = kPSRealInstruction;
    token.real = readReal(text);
}

} // namespace

int32_t NextPostScriptToken(PostScriptProgram& program, PostScriptToken& token)
{
    token = PostScriptToken();
    skipSpaceAndComments(program);
    if (program.position >= program.length)
        return kPSTokenEnd;
    const char c = program.text[program.position];
    if (c == '{' || c == '}') {
        ++program.position;
        return c == '{' ? kPSTokenOpenBrace : kPSTokenCloseBrace;
    }
    if (isLetter(c)) {
        const uint64_t start = program.position;
        while (program.position < program.length && isLetter(program.text[program.position]))
            ++program.position;
        token.kind = kPSOperatorInstruction;
        token.operatorCode
            = LookupPostScriptOperator({program.text + start, static_cast<std::size_t>(program.position - start)});
        return kPSTokenOperator;
    }
    if (isNumberStart(c)) {
        bool isReal = false;
        const std::string_view text = scanNumber(program, isReal);
        readNumber(text, isReal, token);
        return token.kind == kPSRealInstruction ? kPSTokenReal : kPSTokenInteger;
    }
    return kPSTokenRefused;
}

void ParsePostScriptProgram(PostScriptProgram& program)
{
    ClearPostScriptProgram(program);
    program.position = 0;
    PostScriptToken token;
    if (NextPostScriptToken(program, token) != kPSTokenOpenBrace)
        return;
    if (!ParsePostScriptBlock(program, program.instructions))
        ClearPostScriptProgram(program);
}

namespace {

enum class Conditional { Taken, Malformed, Refused };

// After a "{" inside a block: reads that block, an optional second one and
// the if or ifelse that must follow them.
Conditional parseConditional(PostScriptProgram& program, int depth, PostScriptInstruction& conditional)
{
    if (depth >= PostScriptProgram::kMaxBlockDepth)
        return Conditional::Refused;
    conditional.kind = kPSOperatorInstruction;
    PostScriptToken token;
    for (auto* target : {&conditional.thenBlock, &conditional.elseBlock}) {
        if (!ParsePostScriptBlock(program, *target, depth + 1))
            return Conditional::Refused;
        const int32_t wanted = target == &conditional.thenBlock ? kPSIf : kPSIfelse;
        const int32_t code = NextPostScriptToken(program, token);
        if (code == kPSTokenOperator && token.operatorCode == wanted) {
            conditional.operatorCode = wanted;
            return Conditional::Taken;
        }
        if (code == kPSTokenEnd || code == kPSTokenRefused)
            return Conditional::Refused;
        if (code != kPSTokenOpenBrace)
            break;
    }
    return Conditional::Malformed;
}

} // namespace

bool ParsePostScriptBlock(PostScriptProgram& program, std::vector<PostScriptInstruction>& block, int depth)
{
    PostScriptToken token;
    for (;;) {
        switch (NextPostScriptToken(program, token)) {
        case kPSTokenCloseBrace:
            return true;
        case kPSTokenInteger:
        case kPSTokenReal:
        case kPSTokenOperator:
            block.push_back(std::move(token));
            break;
        case kPSTokenOpenBrace: {
            PostScriptInstruction conditional;
            switch (parseConditional(program, depth, conditional)) {
            case Conditional::Taken:
                block.push_back(std::move(conditional));
                break;
            case Conditional::Malformed:
                // A block that no if or ifelse takes empties the block it stands in.
                block.clear();
                return true;
            case Conditional::Refused:
                return false;
            }
            break;
        }
        default:
            return false; // the text ended inside the block, or a stray byte
        }
    }
}

bool ExecutePostScriptBlock(const PostScriptProgram& program, PostScriptOperandStack& stack,
                            const std::vector<PostScriptInstruction>& block)
{
    PostScriptRegisters registers;
    for (const PostScriptInstruction& instruction : block) {
        switch (instruction.kind) {
        case kPSIntegerInstruction:
            stack.PushInteger(instruction.integer);
            break;
        case kPSRealInstruction:
            stack.PushReal(instruction.real);
            break;
        case kPSOperatorInstruction:
            if (instruction.operatorCode == kPSIf || instruction.operatorCode == kPSIfelse) {
                // An if has an empty else-block: nothing runs when false.
                stack.PopBoolean(registers.leftBoolean);
                if (!ExecutePostScriptBlock(program, stack,
                                            registers.leftBoolean ? instruction.thenBlock : instruction.elseBlock))
                    return false;
            } else {
                RunPostScriptOperator(instruction.operatorCode, stack, registers);
            }
            break;
        default:
            break;
        }
        if (stack.overflowed())
            return false;
    }
    return true;
}

bool RunPostScriptProgram(const PostScriptProgram& program, PostScriptOperandStack& stack)
{
    return ExecutePostScriptBlock(program, stack, program.instructions);
}

void ClearPostScriptProgram(PostScriptProgram& program)
{
    for (PostScriptInstruction& instruction : program.instructions)
        DestroyPostScriptInstruction(instruction);
    program.instructions.clear();
}

void DestroyPostScriptInstruction(PostScriptInstruction& instruction)
{
    instruction.thenBlock.clear();
    instruction.elseBlock.clear();
}
