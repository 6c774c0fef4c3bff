// Stable drive letters for mounted volumes and the memory of the letters volumes had before.
#include "platform/core/volume_letters.h"

#include <algorithm>

#include "platform/core/drive_scan.h"

namespace platform::detail {

namespace {

bool hasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

uint32_t bitOf(char letter) {
    return 1u << (letter - 'A');
}

} // namespace

std::string volumeKey(std::string_view device, std::string_view fsType, const VolumeFacts& facts) {
    std::string key;
    if (!facts.uuid.empty())
        key = "uuid " + facts.uuid;
    else if (isNetworkFileSystem(fsType) && !device.empty())
        key = "share " + std::string(device);
    else if (!facts.label.empty() && facts.size > 0)
        key = "label " + facts.label + " " + std::to_string(facts.size);
    // A line break or tab would split the memory file into other entries.
    return hasControlCharacter(key) ? std::string() : key;
}

std::vector<char> assignLetters(const std::vector<LetterRequest>& volumes,
                                const std::vector<HeldLetter>& held,
                                const std::map<std::string, char>& remembered, uint32_t taken) {
    std::vector<char> letters(volumes.size(), 0);
    uint32_t used = taken | bitOf('A') | bitOf('B') | bitOf('C');
    const auto free = [&](char letter) {
        return letter >= 'D' && letter <= 'Z' && (used & bitOf(letter)) == 0;
    };

    // Mounts that already hold a letter keep it, whatever appeared meanwhile.
    for (size_t i = 0; i < volumes.size(); ++i) {
        const auto it = std::find_if(held.begin(), held.end(), [&](const HeldLetter& h) {
            return h.identity == volumes[i].identity;
        });
        // Kept even when the letter is kept for a network drive since: it is this volume's.
        if (it != held.end() && it->letter >= 'D' && it->letter <= 'Z' &&
            (used & bitOf(it->letter) & ~taken) == 0) {
            letters[i] = it->letter;
            used |= bitOf(it->letter);
        }
    }
    // Returning volumes before strangers, so that a new card never takes the letter of one that
    // comes back at the same moment.
    for (size_t i = 0; i < volumes.size(); ++i) {
        if (letters[i] != 0 || volumes[i].key.empty())
            continue;
        const auto it = remembered.find(volumes[i].key);
        if (it != remembered.end() && free(it->second)) {
            letters[i] = it->second;
            used |= bitOf(it->second);
        }
    }
    for (size_t i = 0; i < volumes.size(); ++i) {
        if (letters[i] != 0)
            continue;
        for (char letter = 'D'; letter <= 'Z'; ++letter) {
            if (free(letter)) {
                letters[i] = letter;
                used |= bitOf(letter);
                break;
            }
        }
    }
    return letters;
}

std::map<std::string, char> LetterMemory::byKey() const {
    std::map<std::string, char> map;
    for (const auto& [key, letter] : entries)
        map[key] = letter;
    return map;
}

bool LetterMemory::remember(const std::string& key, char letter) {
    if (key.empty())
        return false;
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [&](const auto& entry) { return entry.first == key; });
    if (it != entries.end()) {
        if (it->second == letter && it + 1 == entries.end())
            return false;
        entries.erase(it);
    }
    entries.emplace_back(key, letter);
    if (entries.size() > kCapacity)
        entries.erase(entries.begin(), entries.begin() + (entries.size() - kCapacity));
    return true;
}

LetterMemory parseLetterMemory(std::string_view text) {
    LetterMemory memory;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.size() > 3 && line[0] >= 'D' && line[0] <= 'Z' && line[1] == ':' &&
            line[2] == '\t' && !hasControlCharacter(line.substr(3)))
            memory.remember(std::string(line.substr(3)), line[0]);
    }
    return memory;
}

std::string formatLetterMemory(const LetterMemory& memory) {
    std::string text;
    for (const auto& [key, letter] : memory.entries) {
        text += letter;
        text += ":\t";
        text += key;
        text += '\n';
    }
    return text;
}

} // namespace platform::detail
