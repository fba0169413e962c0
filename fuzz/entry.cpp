// One libFuzzer target: READER names its reader in readers.cpp.
#include <cstddef>

void READER(const char* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    READER(reinterpret_cast<const char*>(data), size);
    return 0;
}
