// lumograph-table: prints the image table's row of each picture named on the command line, one
// line per file with the 29 column texts separated by TAB, as the main window would show them.
#include "browser/core/image_table.h"
#include "platform/drives.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why a host path cannot be listed, or empty when it is a readable regular file.
std::string Unreadable(const std::string& hostPath) {
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::strerror(errno);
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular ? std::string() : "not a regular file";
}

// A text goes out byte for byte, except that TAB, CR and LF would break the line's columns.
void AppendCell(std::string& out, const std::string& text) {
    for (char c : text)
        out.push_back(c == '\t' || c == '\r' || c == '\n' ? ' ' : c);
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
        const std::string argument = argv[i];
        const std::filesystem::path absolute = (current / argument).lexically_normal();
        std::string problem = error ? error.message() : Unreadable(absolute.string());
        const std::string programPath =
            problem.empty() ? platform::fromHostPath(absolute.string()) : std::string();
        if (problem.empty() && programPath.empty())
            problem = "not on any drive";
        if (!problem.empty()) {
            std::fprintf(stderr, "lumograph-table: %s: %s\n", argument.c_str(), problem.c_str());
            status = 1;
            continue;
        }
        const auto row = ImageRowTexts(absolute.filename().string(), programPath);
        for (size_t column = 0; column < row.size(); ++column) {
            if (column > 0)
                out.push_back('\t');
            AppendCell(out, row[column]);
        }
        out.push_back('\n');
        if (out.size() >= FlushThreshold && !Flush(out))
            status = 1;
    }
    if (!Flush(out) || std::fflush(stdout) != 0)
        status = 1;
    return status;
}
