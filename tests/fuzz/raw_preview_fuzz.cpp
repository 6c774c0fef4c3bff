// Fuzz target: arbitrary bytes as a raw file through the CR2 preview walk. It must never crash,
// leak, hang or read outside its data, and a preview it finds must lie inside the data.
#include "thumbs/core/raw_preview.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "bytes/byte_source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource source({data, size});
    const auto preview = FindRawPreview(source);
    if (preview &&
        (preview->Bytes.Offset > size || preview->Bytes.Length > size - preview->Bytes.Offset))
        std::abort();
    const auto bytes = ReadRawPreview(source);
    if (bytes.has_value() != preview.has_value() || (bytes && bytes->size() > size))
        std::abort();
    return 0;
}
