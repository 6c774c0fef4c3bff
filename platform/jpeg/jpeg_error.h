// The failure every picture loader and writer of the program raises, and the memory limit they
// all keep.
#pragma once

#include <cstdint>
#include <stdexcept>

namespace platform {

// A picture file that cannot be opened, decoded or written; the message names the problem.
class EJpegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The most memory a decoded picture may take (4 bytes a pixel): a picture whose declared size
// needs more is refused with EJpegError before anything is allocated for it.
inline constexpr uint64_t MaxDecodedBytes = uint64_t{1} << 30;

} // namespace platform
