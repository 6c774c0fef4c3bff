// Shared helpers of the EXIF reader tests: reading a record from bytes in memory.
#pragma once

#include "exif/exif.h"
#include "tests/support/jpeg_writer.h"

inline TExif ReadBytes(const lumo::test::Bytes& bytes) {
    TExif exif;
    MemorySource source(bytes);
    exif.Read(source);
    return exif;
}

// The record after a read that must fail; the failure itself is checked by the caller's
// EXPECT_THROW on this helper's second form.
inline void ReadBytesInto(TExif& exif, const lumo::test::Bytes& bytes) {
    MemorySource source(bytes);
    exif.Read(source);
}
