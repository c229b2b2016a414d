// The calculator fed arbitrary program text: parsed, then run on a few inputs
// taken from the text's first bytes.
#include "pdfdecode/PostScriptProgram.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    PostScriptProgram program(reinterpret_cast<const char*>(data), size);
    ParsePostScriptProgram(program);
    PostScriptOperandStack stack;
    for (std::size_t i = 0; i < size && i < 4; ++i)
        stack.PushReal(data[i] / 255.0);
    RunPostScriptProgram(program, stack);
    return 0;
}
