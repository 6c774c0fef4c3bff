#include "thumbs/core/remove_all.h"

std::string RemoveAll(std::string_view part, std::string_view text) {
    std::string result(text);
    if (part.empty())
        return result;
    for (size_t at = result.find(part); at != std::string::npos; at = result.find(part))
        result.erase(at, part.size());
    return result;
}
