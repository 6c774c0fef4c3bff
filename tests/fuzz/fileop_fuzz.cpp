// Fuzz target: the shell's file operations (move, copy, delete, rename) with hostile program
// paths — any bytes from 0x01 to 0xFF, backslashes, slashes, dots — on a small tree of
// temporary folders. Whatever an operation does or refuses, nothing outside the tree may change:
// a folder and a file beside it that the tree reaches only through links, and the folders that
// hold the tree. A rename, done or refused, leaves every entry in the folder that held it.
// Failing operations are expected; a change outside, an entry renamed into another folder, a
// crash or a hang is not.
//
// Input: one byte choosing the operation and its flags, then the source path, a NUL, and the
// destination path; both are names below the drive's root "C:\", except the new name of a rename
// with the flag 0x40, which is given alone. One letter of either drive lies on a second file
// system when the machine has one (/dev/shm), so moves also copy.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/drives.h"
#include "platform/qt/shell.h"

namespace fs = std::filesystem;

namespace {

// The links from the drives to folders outside them, by their path below the drive's root.
struct Link {
    char drive;
    std::vector<const char*> path;
    const char* target; // below the sandbox's root
};
const std::vector<Link> kFolderLinks = {
    {'C', {"album", "link"}, "outside/folder"},
    {'E', {"card", "sub"}, "outside"},
    {'E', {"card", "album"}, "outside/folder"},
};

// A folder holding the drives' roots and what lies outside them.
struct Sandbox {
    fs::path root;  // holds "c", "data" (the desktop's trash) and "outside"
    fs::path other; // the second file system's folder, holds "e"

    static fs::path makeTemporary(const fs::path& base) {
        std::string pattern = (base / "lumo-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("fileop_fuzz: temporary folder");
            std::abort();
        }
        return pattern;
    }

    Sandbox() {
        root = makeTemporary(fs::temp_directory_path());
        other = makeTemporary(fs::exists("/dev/shm") ? fs::path("/dev/shm") : root);
        fs::create_directories(root / "outside/folder");
        std::ofstream(root / "outside/victim.jpg") << "outside";
        std::ofstream(root / "outside/folder/inner.jpg") << "outside too";
        ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        platform::setDriveMap({{'C', (root / "c").string(), platform::DRIVE_FIXED, "", true},
                               {'E', (other / "e").string(), platform::DRIVE_REMOVABLE, "", true}});
    }
    ~Sandbox() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
        fs::remove_all(other, ignored);
    }

    // The tree every input starts from: pictures and folders with awkward names, and links that
    // lead outside, some named like real folders of the other drive.
    void reset() const {
        std::error_code ignored;
        fs::remove_all(root / "c", ignored);
        fs::remove_all(root / "data", ignored);
        fs::remove_all(other / "e", ignored);
        fs::create_directories(root / "data");
        fs::create_directories(root / "c/album/sub");
        fs::create_directories(root / "c/caf\xE9");
        fs::create_directories(other / "e/card");
        std::ofstream(root / "c/a.jpg") << "a";
        std::ofstream(root / "c/album/b.JPG") << "b";
        std::ofstream(root / "c/album/sub/c.jpg") << "c";
        std::ofstream(root / "c/caf\xE9/d\\e.jpg") << "d";
        std::ofstream(root / "c/.hidden.jpg") << "h";
        std::ofstream(other / "e/card/f.jpg") << "f";
        for (const Link& link : kFolderLinks) {
            fs::path at = link.drive == 'C' ? root / "c" : other / "e";
            for (const char* name : link.path)
                at /= name;
            fs::create_directory_symlink(root / link.target, at);
        }
        fs::create_symlink(root / "outside/victim.jpg", root / "c/victim.jpg");
    }
};

// Everything below a folder as text: names, kinds, sizes, contents and link targets.
void describe(const fs::path& folder, std::string& out) {
    std::error_code error;
    std::vector<fs::path> entries;
    for (const auto& entry : fs::directory_iterator(folder, error))
        entries.push_back(entry.path());
    std::sort(entries.begin(), entries.end());
    for (const fs::path& entry : entries) {
        out += entry.string() + "\n";
        const auto status = fs::symlink_status(entry, error);
        if (fs::is_symlink(status)) {
            out += " -> " + fs::read_symlink(entry, error).string() + "\n";
        } else if (fs::is_directory(status)) {
            describe(entry, out);
        } else {
            std::ifstream in(entry, std::ios::binary);
            out += std::string(std::istreambuf_iterator<char>(in), {}) + "\n";
        }
    }
}

// What must never change: the folder outside the drives, and the folders that hold the drives
// (their own names only; what the drives hold is the operations' to change).
std::string outsideOfTheTree(const Sandbox& box) {
    std::string text;
    describe(box.root / "outside", text);
    std::error_code error;
    for (const fs::path& holder : {box.root, box.other}) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(holder, error))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        for (const std::string& name : names)
            text += holder.string() + " holds " + name + "\n";
    }
    return text;
}

// How many entries each folder of the drives holds, by the folder's identity, which a rename keeps
// (links are not followed).
std::map<std::pair<dev_t, ino_t>, size_t> entriesPerFolder(const Sandbox& box) {
    std::map<std::pair<dev_t, ino_t>, size_t> counts;
    std::vector<fs::path> folders{box.root / "c", box.other / "e"};
    while (!folders.empty()) {
        const fs::path folder = std::move(folders.back());
        folders.pop_back();
        struct stat st;
        if (::lstat(folder.c_str(), &st) != 0)
            continue;
        size_t& count = counts[{st.st_dev, st.st_ino}];
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(folder, error)) {
            ++count;
            if (fs::is_directory(entry.symlink_status(error)))
                folders.push_back(entry.path());
        }
    }
    return counts;
}

// The names of a path below a drive's root as the drive map reads them: either separator, empty
// and "." names left out, ".." taking one name back but never above the root. ASCII letters in
// lower case (the names of the tree match without regard to case).
std::vector<std::string> namesOf(const std::string& bytes) {
    std::vector<std::string> names;
    std::string name;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        const char c = i < bytes.size() ? bytes[i] : '\\';
        if (c != '\\' && c != '/') {
            name.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
            continue;
        }
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
        name.clear();
    }
    return names;
}

// Whether a path leads through a link to a folder outside (or, as a destination, names one):
// the user then chose the outside as the place to act on, which is allowed. Such inputs are left
// out, so that only operations that must not reach the outside are tried. Naming a link as a
// source (it is moved, copied as a link or deleted itself) and the link to a file are kept.
bool reachesOutside(char drive, const std::vector<std::string>& names, bool destination) {
    for (const Link& link : kFolderLinks) {
        if (link.drive != drive || names.size() < link.path.size() ||
            (names.size() == link.path.size() && !destination))
            continue;
        if (std::equal(link.path.begin(), link.path.end(), names.begin(),
                       [](const char* a, const std::string& b) { return b == a; }))
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Sandbox box;
    static const std::string untouched = [] {
        box.reset();
        return outsideOfTheTree(box);
    }();
    if (size < 2)
        return 0;
    const uint8_t choice = data[0];
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t cut = rest.find('\0');
    const std::string fromBytes = rest.substr(0, cut);
    const std::string toBytes = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
    if (toBytes.find('\0') != std::string::npos)
        return 0; // one destination only

    const unsigned func = platform::FO_MOVE + (choice & 0x3);
    // A new name given alone stays in the source's folder, which the source's check covers.
    const bool bareName = func == platform::FO_RENAME && (choice & 0x40);
    const char fromDrive = (choice & 0x10) ? 'E' : 'C';
    const char toDrive = (choice & 0x20) ? 'E' : 'C';
    if (reachesOutside(fromDrive, namesOf(fromBytes), false) ||
        (!bareName && reachesOutside(toDrive, namesOf(toBytes), true)))
        return 0;
    const std::string from = std::string{fromDrive, ':', '\\'} + fromBytes;
    const std::string to = bareName ? toBytes : std::string{toDrive, ':', '\\'} + toBytes;
    box.reset();
    const auto foldersBefore = entriesPerFolder(box);

    platform::ShFileOpStruct op;
    op.func = func;
    op.from = from + '\0' + '\0';
    op.to = op.func == platform::FO_DELETE ? std::string() : to + '\0' + '\0';
    op.flags = platform::FOF_NOCONFIRMATION | platform::FOF_NOERRORUI | platform::FOF_SILENT;
    // The trash of the second file system would lie at its top, outside the sandbox.
    if ((choice & 0x40) && !(choice & 0x10))
        op.flags |= platform::FOF_ALLOWUNDO;
    if (choice & 0x80)
        op.flags |= platform::FOF_RENAMEONCOLLISION;
    platform::shFileOperation(op);

    if (outsideOfTheTree(box) != untouched) {
        std::fprintf(stderr, "fileop_fuzz: operation %u from \"%s\" to \"%s\" changed:\n%s\n",
                     op.func, from.c_str(), to.c_str(), outsideOfTheTree(box).c_str());
        std::abort();
    }
    if (op.func == platform::FO_RENAME && entriesPerFolder(box) != foldersBefore) {
        std::fprintf(stderr, "fileop_fuzz: rename of \"%s\" to \"%s\" left its folder\n",
                     from.c_str(), to.c_str());
        std::abort();
    }
    return 0;
}
