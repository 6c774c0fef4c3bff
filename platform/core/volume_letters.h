// Drive letters that stay put: a mounted volume keeps its letter for as long as it is mounted, a
// new one takes the first free letter, and a volume seen before gets its old letter back when it
// is free. Plain functions over value structs (internal to platform/); the drive map keeps the
// state and the memory file between calls.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform::detail {

// What is known of a mounted volume beyond the mount table.
struct VolumeFacts {
    std::string uuid;  // the file system's UUID (or FAT serial); empty when unknown
    std::string label; // volume label; empty when it has none
    uint64_t size = 0; // total bytes; 0 when unknown
    bool removable = false;
};

// The name under which a volume's letter is remembered: its UUID; the source of a network file
// system; else its label and size. Empty when nothing tells this volume from another one.
std::string volumeKey(std::string_view device, std::string_view fsType, const VolumeFacts& facts);

// A volume mounted now. identity tells one mount from another (a card pulled and another one
// mounted at the same place is a new volume); key is its volumeKey.
struct LetterRequest {
    std::string identity;
    std::string key;
};
// A letter given earlier and the identity of the mount that holds it.
struct HeldLetter {
    char letter = 0;
    std::string identity;
};

// Letters for volumes, in their order: a volume whose identity holds a letter keeps it; then new
// volumes with a remembered letter that is free get it back; then the others take the first free
// letter from D:. Letters whose bit is set in taken (bit 0 is A:) are never given: C:, connected
// network drives and letters kept for network drives that come back at start. 0 when no letter
// is left.
std::vector<char> assignLetters(const std::vector<LetterRequest>& volumes,
                                const std::vector<HeldLetter>& held,
                                const std::map<std::string, char>& remembered, uint32_t taken);

// The remembered letters, most recently used last, one "E:<tab>key" line each.
struct LetterMemory {
    std::vector<std::pair<std::string, char>> entries; // key, letter; oldest first

    std::map<std::string, char> byKey() const;
    // Records key -> letter as the most recent entry; true when that changed anything. Keeps at
    // most kCapacity entries, forgetting the oldest.
    bool remember(const std::string& key, char letter);
    static constexpr size_t kCapacity = 64;
};
LetterMemory parseLetterMemory(std::string_view text);
std::string formatLetterMemory(const LetterMemory& memory);

} // namespace platform::detail
