// Fuzz target: arbitrary bytes through the EXIF reader. Reading may fail with EInOutError; it
// must never crash, leak, hang or read outside its data.
#include "exif/exif.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource source({data, size});
    TExif exif;
    try {
        exif.Read(source);
    } catch (const EInOutError&) {
        // The documented outcome of a damaged file.
    }
    return 0;
}
