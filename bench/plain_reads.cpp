// The floor of bench/compare_table.sh: what any program that looks at each file must do at least,
// an open, one read of 8 KB (where a JPEG keeps its EXIF block) and a close per file named on the
// command line. Prints nothing; exits 1 when a file could not be read.
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    char buffer[8192];
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const int fd = ::open(argv[i], O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::read(fd, buffer, sizeof buffer) < 0)
            status = 1;
        if (fd >= 0)
            ::close(fd);
    }
    return status;
}
