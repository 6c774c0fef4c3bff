// The translation of program paths to host paths and back: drive-letter paths taken apart, names
// matched without regard to case where the exact spelling is missing, and the drive that holds a
// host path.
#include <algorithm>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

#include "platform/core/drives.h"
#include "platform/core/host_path.h"
#include "platform/core/network_wait.h"
#include "platform/core/winerror.h"

namespace platform {

namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string joinHost(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.back() != '/')
        path += '/';
    path += name;
    return path;
}

// The only entry of folder whose name equals name without regard to case; empty when there is
// none or more than one.
std::string uniqueCaseMatch(const std::string& folder, std::string_view name) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return {};
    std::string match;
    int matches = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (detail::equalsNoCase(entry->d_name, name)) {
            match = entry->d_name;
            ++matches;
        }
    }
    ::closedir(dir);
    return matches == 1 ? match : std::string();
}

struct ParsedPath {
    DriveInfo drive;
    std::vector<std::string_view> components; // "." and ".." already resolved
};

std::optional<ParsedPath> parse(std::string_view programPath) {
    if (programPath.size() < 2 || !detail::isLetter(programPath[0]) || programPath[1] != ':')
        return std::nullopt;
    auto drive = driveInfo(programPath[0]);
    if (!drive)
        return std::nullopt;
    ParsedPath parsed{*drive, {}};
    size_t pos = 2;
    while (pos < programPath.size()) {
        while (pos < programPath.size() && detail::isSeparator(programPath[pos]))
            ++pos;
        size_t end = pos;
        while (end < programPath.size() && !detail::isSeparator(programPath[end]))
            ++end;
        const std::string_view component = programPath.substr(pos, end - pos);
        pos = end;
        if (component.empty() || component == ".")
            continue;
        if (component == "..") {
            // Lexically, and never above the drive's root.
            if (!parsed.components.empty())
                parsed.components.pop_back();
            continue;
        }
        parsed.components.push_back(component);
    }
    return parsed;
}

std::string exactPathOf(const ParsedPath& parsed) {
    std::string exact = parsed.drive.hostRoot;
    for (std::string_view component : parsed.components)
        exact = joinHost(exact, component);
    return exact;
}

std::string caseMatchedPath(const ParsedPath& parsed, const std::string& exact) {
    struct stat st;
    if (::lstat(exact.c_str(), &st) == 0)
        return exact;
    // Walk the components and fall back to a case-insensitive match where the exact name is
    // missing; once a folder is missing the rest cannot exist either.
    std::string host = parsed.drive.hostRoot;
    bool exists = true;
    for (std::string_view component : parsed.components) {
        const std::string candidate = joinHost(host, component);
        if (exists && ::lstat(candidate.c_str(), &st) != 0) {
            const std::string match = uniqueCaseMatch(host, component);
            if (!match.empty()) {
                host = joinHost(host, match);
                continue;
            }
            exists = false;
        }
        host = candidate;
    }
    return host;
}

// The host path, with names matched without regard to case where needed. On a share that does
// not answer the exact spelling stands.
std::string hostPathOf(const ParsedPath& parsed) {
    std::string exact = exactPathOf(parsed);
    if (parsed.components.empty())
        return exact;
    auto matched = detail::boundedCall<std::string>(
        exact, [parsed = parsed, exact] { return caseMatchedPath(parsed, exact); });
    return matched ? std::move(*matched) : exact;
}

} // namespace

bool isNetworkPath(std::string_view programPath) {
    const auto parsed = parse(programPath);
    return parsed && detail::networkRootOf(exactPathOf(*parsed)).has_value();
}

std::optional<std::string> toHostPath(std::string_view programPath) {
    const auto parsed = parse(programPath);
    if (!parsed)
        return std::nullopt;
    return hostPathOf(*parsed);
}

std::string fromHostPath(std::string_view hostPath) {
    if (hostPath.empty() || hostPath.front() != '/')
        return {};
    std::vector<std::string_view> components;
    size_t pos = 0;
    while (pos < hostPath.size()) {
        while (pos < hostPath.size() && hostPath[pos] == '/')
            ++pos;
        size_t end = hostPath.find('/', pos);
        if (end == std::string_view::npos)
            end = hostPath.size();
        const std::string_view component = hostPath.substr(pos, end - pos);
        pos = end;
        if (component.empty() || component == ".")
            continue;
        if (component == "..") {
            if (!components.empty())
                components.pop_back();
            continue;
        }
        components.push_back(component);
    }
    const bool trailing = hostPath.back() == '/' && !components.empty();

    const DriveInfo* best = nullptr;
    size_t bestDepth = 0;
    const auto all = drives();
    for (const DriveInfo& drive : all) {
        std::vector<std::string_view> rootParts;
        std::string_view root = drive.hostRoot;
        size_t p = 0;
        while (p < root.size()) {
            while (p < root.size() && root[p] == '/')
                ++p;
            size_t e = root.find('/', p);
            if (e == std::string_view::npos)
                e = root.size();
            if (e > p)
                rootParts.push_back(root.substr(p, e - p));
            p = e;
        }
        if (rootParts.size() > components.size() ||
            !std::equal(rootParts.begin(), rootParts.end(), components.begin()))
            continue;
        if (best == nullptr || rootParts.size() > bestDepth) {
            best = &drive;
            bestDepth = rootParts.size();
        }
    }
    if (best == nullptr)
        return {};
    std::string result{best->letter, ':', '\\'};
    for (size_t i = bestDepth; i < components.size(); ++i) {
        result += components[i];
        if (i + 1 < components.size())
            result += '\\';
    }
    if (trailing && components.size() > bestDepth)
        result += '\\';
    return result;
}

namespace detail {

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

std::optional<HostPath> resolveForAccess(std::string_view programPath) {
    const auto parsed = parse(programPath);
    if (!parsed) {
        setLastError(ERROR_PATH_NOT_FOUND);
        return std::nullopt;
    }
    if (!parsed->drive.ready) {
        setLastError(ERROR_NOT_READY);
        return std::nullopt;
    }
    return HostPath{hostPathOf(*parsed), parsed->drive, parsed->components.empty()};
}

std::optional<HostPath> exactHostPath(std::string_view programPath) {
    const auto parsed = parse(programPath);
    if (!parsed)
        return std::nullopt;
    return HostPath{exactPathOf(*parsed), parsed->drive, parsed->components.empty()};
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

bool lessNoCase(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(lower(a[i]));
        const auto cb = static_cast<unsigned char>(lower(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

} // namespace detail

} // namespace platform
