// lumograph-table: prints the image table's row of each picture named on the command line, one
// line per file with the 29 column texts separated by TAB, as the main window would show them.
// A folder prints the header line and then the rows of the pictures the table lists for it;
// "--report FILE" prints the properties report of one picture, a line per entry.
#include <array>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include "browser/core/picture_files.h"
#include "browser/core/picture_texts.h"
#include "browser/core/row_texts.h"
#include "platform/core/drives.h"
#include "platform/core/host_entry.h"
#include "platform/qt/jpeg.h"

namespace {

enum class Kind { File, Folder };

// Why a host path cannot be listed, or empty when it is a readable regular file (or, where
// folders are welcome, a readable folder).
std::string Unreadable(const std::string& hostPath, bool folderAllowed, Kind& kind) {
    const platform::HostEntry entry = platform::probeHostEntry(hostPath);
    switch (entry.kind) {
    case platform::HostEntryKind::RegularFile:
        kind = Kind::File;
        return {};
    case platform::HostEntryKind::Folder:
        if (!folderAllowed)
            break;
        kind = Kind::Folder;
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
    for (char c : text)
        out.push_back(c == '\t' || c == '\r' || c == '\n' ? ' ' : c);
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

// The report lines of one picture, its pixel size taken from the picture itself. False (with a
// message) when the picture cannot be read, as the properties command would fail.
bool AppendReport(std::string& out, const std::string& argument, const std::string& programPath) {
    platform::JpegSize size;
    try {
        size = platform::jpegSize(programPath);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lumograph-table: %s: %s\n", argument.c_str(), e.what());
        return false;
    }
    for (const std::string& line : PictureReportLines(programPath, size.width, size.height)) {
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

} // namespace

int main(int argc, char** argv) {
    constexpr size_t FlushThreshold = size_t{1} << 20;
    std::string out;
    int status = 0;
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    for (int i = 1; i < argc; ++i) {
        const bool report = std::strcmp(argv[i], "--report") == 0;
        if (report && ++i >= argc) {
            std::fprintf(stderr, "lumograph-table: --report needs a file\n");
            status = 1;
            break;
        }
        const std::string argument = argv[i];
        const std::filesystem::path absolute = (current / argument).lexically_normal();
        Kind kind = Kind::File;
        std::string problem =
            error ? error.message() : Unreadable(absolute.string(), !report, kind);
        const std::string programPath =
            problem.empty() ? platform::fromHostPath(absolute.string()) : std::string();
        if (problem.empty() && programPath.empty())
            problem = "not on any drive";
        if (!problem.empty()) {
            std::fprintf(stderr, "lumograph-table: %s: %s\n", argument.c_str(), problem.c_str());
            status = 1;
            continue;
        }
        if (report) {
            if (!AppendReport(out, argument, programPath))
                status = 1;
        } else if (kind == Kind::Folder) {
            const std::string folder =
                programPath.back() == '\\' ? programPath : programPath + '\\';
            AppendHeaders(out);
            for (const std::string& name : PictureFileNames(folder))
                AppendRow(out, ImageRowTexts(name, folder + name));
        } else {
            AppendRow(out, ImageRowTexts(absolute.filename().string(), programPath));
        }
        if (out.size() >= FlushThreshold && !Flush(out))
            status = 1;
    }
    if (!Flush(out) || std::fflush(stdout) != 0)
        status = 1;
    return status;
}
