#include "Common UI Code/KLVDataHolder.h"

std::unique_ptr<KLVDataHolder> KLVDataHolder::dataHolderWithData(void* data)
{
    return std::make_unique<KLVDataHolder>(data);
}
