// lumograph-table: prints the image table's row of each picture named on the command line, one
// line per file with the 29 column texts separated by TAB, as the main window would show them.
// A folder prints the header line and then the rows of the pictures the table lists for it;
// "--report FILE" prints the properties report of one picture, a line per entry. Arguments are
// host paths taken exactly as given: the kernel resolves them (links, "..", a backslash is just a
// byte of a name), and the current folder is never asked for.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "browser/core/picture_files.h"
#include "browser/core/picture_texts.h"
#include "browser/core/row_texts.h"
#include "platform/core/drives.h"
#include "platform/core/file_source.h"
#include "platform/core/host_entry.h"
#include "platform/jpeg/jpeg_header.h"

namespace {

// Why an argument cannot be listed, or empty when it is a readable regular file (or, where
// folders are welcome, a readable folder whose resolved path is known).
std::string Unreadable(const platform::HostEntry& entry, bool folderAllowed) {
    switch (entry.kind) {
    case platform::HostEntryKind::RegularFile:
        return {};
    case platform::HostEntryKind::Folder:
        if (!folderAllowed)
            break;
        if (entry.resolved.empty())
            return "the folder's own path cannot be found";
        return {};
    case platform::HostEntryKind::Unreadable:
        return entry.problem;
    case platform::HostEntryKind::Other:
        break;
    }
    return folderAllowed ? "neither a regular file nor a folder" : "not a regular file";
}

// A text goes out byte for byte, except that TAB, CR and LF would break the line's columns.
void AppendCell(std::string& out, const std::string& text) {
    const auto breaksLine = [](char c) {
        return c == '\t' || c == '\r' || c == '\n';
    };
    // Nearly every text goes out whole.
    if (std::none_of(text.begin(), text.end(), breaksLine)) {
        out += text;
        return;
    }
    for (char c : text)
        out.push_back(breaksLine(c) ? ' ' : c);
}

void AppendRow(std::string& out, const std::array<std::string, ImageTableColumns>& row) {
    for (size_t column = 0; column < row.size(); ++column) {
        if (column > 0)
            out.push_back('\t');
        AppendCell(out, row[column]);
    }
    out.push_back('\n');
}

void AppendHeaders(std::string& out) {
    for (size_t column = 0; column < ImageTableHeaders.size(); ++column) {
        if (column > 0)
            out.push_back('\t');
        out += ImageTableHeaders[column];
    }
    out.push_back('\n');
}

// The last name of a host path, as the row and the report show it.
std::string NameOf(const std::string& hostPath) {
    return hostPath.substr(hostPath.rfind('/') + 1);
}

// The report lines of the open picture, its pixel size taken from the picture itself. False
// (with a message) when the picture cannot be read, as the properties command would fail.
bool AppendReport(std::string& out, const std::string& argument, platform::FileSource& file) {
    platform::JpegFrameSize size;
    try {
        size = platform::readJpegFrameSize(file, argument);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lumograph-table: %s: %s\n", argument.c_str(), e.what());
        return false;
    }
    for (const std::string& line :
         OpenPictureReportLines(NameOf(argument), file, size.width, size.height)) {
        AppendCell(out, line);
        out.push_back('\n');
    }
    return true;
}

// False when the table could not be written.
bool Flush(std::string& out) {
    const bool written =
        out.empty() || std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
    if (!written)
        std::perror("lumograph-table: writing the table");
    out.clear();
    return written;
}

// The rows of a folder's pictures: the folder's program path decides which entries the table
// lists, and each row is read from the entry itself.
std::string AppendFolder(std::string& out, const std::string& folder) {
    // A backslash separates the names of a program path: a folder whose path holds one has no
    // program path, and listing another folder instead would be wrong.
    const std::string programPath =
        folder.find('\\') == std::string::npos ? platform::fromHostPath(folder) : std::string();
    if (programPath.empty())
        return "the folder has no path on any drive";
    const std::string listed = programPath.back() == '\\' ? programPath : programPath + '\\';
    const std::string prefix = folder == "/" ? folder : folder + '/';
    AppendHeaders(out);
    for (const platform::FindData& entry : PictureFiles(listed))
        AppendRow(out, HostImageRowTexts(entry.name, prefix + entry.name));
    return {};
}

} // namespace

int main(int argc, char** argv) {
    constexpr size_t FlushThreshold = size_t{1} << 20;
    std::string out;
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const bool report = std::strcmp(argv[i], "--report") == 0;
        if (report && ++i >= argc) {
            std::fprintf(stderr, "lumograph-table: --report needs a file\n");
            status = 1;
            break;
        }
        const std::string argument = argv[i];
        // Opened once: what the argument names is learnt from the descriptor the row is read from.
        platform::FileSource file;
        const platform::HostEntry entry = platform::openHostEntry(argument, file);
        std::string problem = Unreadable(entry, !report);
        if (problem.empty()) {
            if (report) {
                if (!AppendReport(out, argument, file))
                    status = 1;
            } else if (entry.kind == platform::HostEntryKind::Folder) {
                problem = AppendFolder(out, entry.resolved);
            } else {
                AppendRow(out, OpenImageRowTexts(NameOf(argument), file));
            }
        }
        if (!problem.empty()) {
            std::fprintf(stderr, "lumograph-table: %s: %s\n", argument.c_str(), problem.c_str());
            status = 1;
        }
        if (out.size() >= FlushThreshold && !Flush(out))
            status = 1;
    }
    if (!Flush(out) || std::fflush(stdout) != 0)
        status = 1;
    return status;
}
