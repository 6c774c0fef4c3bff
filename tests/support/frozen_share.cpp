// A private sshd and an sshfs mount of its folder, for tests of a share that stops answering.
#include "tests/support/frozen_share.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace lumo::test {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kSshd = "/usr/sbin/sshd";

// The first program of that name on the PATH (or the path itself when it has a slash).
std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return ::access(name.c_str(), X_OK) == 0 ? name : std::string();
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr && *path != '\0' ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// Starts argv[0] (a full path) with standard input from /dev/null and its output appended to log.
// A server (tied) is ended by the kernel when the thread that started it ends, so that a test that
// dies leaves no sshd or sshfs behind (through setpriv, which becomes the program itself).
pid_t Spawn(const std::vector<std::string>& args, const std::string& log, bool tied = false) {
    std::vector<char*> argv;
    static const std::string setpriv = FindProgram("setpriv");
    const std::vector<std::string> tie{setpriv, "--pdeathsig", "KILL", "--"};
    if (tied && !setpriv.empty())
        for (const std::string& a : tie)
            argv.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits up to limit for the child to end; true when it did (and was reaped).
bool WaitForExit(pid_t pid, std::chrono::milliseconds limit, int* status = nullptr) {
    const auto end = Clock::now() + limit;
    for (;;) {
        int st = 0;
        const pid_t done = ::waitpid(pid, &st, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD)) {
            if (status != nullptr)
                *status = st;
            return true;
        }
        if (Clock::now() >= end)
            return false;
        std::this_thread::sleep_for(20ms);
    }
}

// Runs a short command to its end (at most limit); true when it exited with 0.
bool Run(const std::vector<std::string>& args, const std::string& log,
         std::chrono::milliseconds limit = 10s) {
    const pid_t pid = Spawn(args, log);
    if (pid < 0)
        return false;
    int status = 0;
    if (!WaitForExit(pid, limit, &status)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Ends a child of ours: politely, then for sure.
void EndChild(pid_t pid, std::chrono::milliseconds politeness) {
    if (pid <= 0)
        return;
    if (WaitForExit(pid, politeness))
        return;
    ::kill(pid, SIGTERM);
    if (WaitForExit(pid, 2s))
        return;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// A TCP port on 127.0.0.1 that nobody listens on just now.
int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = -1;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool Listening(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// A mount point as /proc/self/mountinfo writes it: space, tab, newline and backslash in octal.
std::string Unescape(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            out += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// True when an sshfs mount sits on mountPoint (read from the mount table, never from the mount).
bool SshfsMountedOn(const std::string& mountPoint) {
    std::ifstream table("/proc/self/mountinfo");
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string id, parent, device, root, point;
        fields >> id >> parent >> device >> root >> point;
        const auto dash = line.find(" - ");
        if (dash == std::string::npos || Unescape(point) != mountPoint)
            continue;
        std::istringstream rest(line.substr(dash + 3));
        std::string type;
        rest >> type;
        if (type == "fuse.sshfs")
            return true;
    }
    return false;
}

std::string Tail(const std::string& path) {
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.size() > 600)
        text = "..." + text.substr(text.size() - 600);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

} // namespace

FrozenShare::FrozenShare(const std::string& mountPoint) : mountPoint_(mountPoint) {
    if (!start())
        stop();
}

FrozenShare::~FrozenShare() {
    stop();
}

bool FrozenShare::start() {
    const std::string keygen = FindProgram("ssh-keygen");
    const std::string sshfs = FindProgram("sshfs");
    const bool root = ::geteuid() == 0;
    if (::access(kSshd, X_OK) != 0 || keygen.empty()) {
        reason_ = "no OpenSSH server here (/usr/sbin/sshd, ssh-keygen: package openssh-server)";
        return false;
    }
    if (sshfs.empty()) {
        reason_ = "no sshfs here (package sshfs)";
        return false;
    }
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        reason_ = "no FUSE here (/dev/fuse cannot be opened)";
        return false;
    }
    if (!root && FindProgram("fusermount3").empty()) {
        reason_ = "no fusermount3 here (package fuse3)";
        return false;
    }

    std::string pattern = std::filesystem::temp_directory_path().string() + "/lumo-share-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        reason_ = "cannot make a temporary folder for the share";
        return false;
    }
    work_ = pattern;
    served_ = work_ + "/served";
    const std::string log = work_ + "/log";
    std::error_code ec;
    std::filesystem::create_directories(served_, ec);
    std::filesystem::create_directories(mountPoint_, ec);

    for (const char* key : {"host_key", "client_key"}) {
        if (!Run({keygen, "-q", "-t", "ed25519", "-N", "", "-f", work_ + "/" + key}, log)) {
            reason_ = "ssh-keygen failed: " + Tail(log);
            return false;
        }
    }
    if (root)
        ::mkdir("/run/sshd", 0755); // sshd's privilege separation wants it

    // A port found free may be taken before sshd binds it: try a few.
    int port = -1;
    for (int attempt = 0; attempt < 3 && sshd_ < 0; ++attempt) {
        port = FreePort();
        if (port < 0)
            break;
        const std::string config = work_ + "/sshd_config";
        {
            std::ofstream out(config, std::ios::trunc);
            out << "ListenAddress 127.0.0.1\n"
                << "HostKey " << work_ << "/host_key\n"
                << "AuthorizedKeysFile " << work_ << "/client_key.pub\n"
                << "StrictModes no\nUsePAM no\nPasswordAuthentication no\n"
                << "KbdInteractiveAuthentication no\nPidFile none\nLogLevel ERROR\n"
                << "Subsystem sftp internal-sftp\n"
                << (root ? "PermitRootLogin yes\n" : "");
        }
        const pid_t pid =
            Spawn({kSshd, "-D", "-e", "-f", config, "-p", std::to_string(port)}, log, true);
        if (pid < 0)
            continue;
        const auto end = Clock::now() + 5s;
        bool up = false;
        while (!(up = Listening(port)) && Clock::now() < end && !WaitForExit(pid, 50ms)) {
        }
        if (up)
            sshd_ = pid;
        else
            EndChild(pid, 0ms);
    }
    if (sshd_ < 0) {
        reason_ = "the private sshd did not start: " + Tail(log);
        return false;
    }

    // No ServerAliveInterval and no reconnect: a stopped sshfs must hang, not fail.
    sshfs_ = Spawn({sshfs, "-f", "-F", "/dev/null", "-o",
                    "IdentityFile=" + work_ +
                        "/client_key,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,"
                        "BatchMode=yes,LogLevel=ERROR,dir_cache=no,port=" +
                        std::to_string(port),
                    "127.0.0.1:" + served_, mountPoint_},
                   log, true);
    if (sshfs_ < 0) {
        reason_ = "sshfs could not be started";
        return false;
    }
    const auto end = Clock::now() + 10s;
    while (!SshfsMountedOn(mountPoint_)) {
        if (WaitForExit(sshfs_, 50ms)) {
            sshfs_ = -1;
            reason_ = "sshfs could not mount the share: " + Tail(log);
            return false;
        }
        if (Clock::now() >= end) {
            reason_ = "sshfs did not mount the share within 10 s: " + Tail(log);
            return false;
        }
    }
    mounted_ = true;
    return true;
}

void FrozenShare::freeze() {
    if (sshfs_ > 0 && !frozen_ && ::kill(sshfs_, SIGSTOP) == 0)
        frozen_ = true;
}

void FrozenShare::thaw() {
    if (sshfs_ > 0 && frozen_) {
        ::kill(sshfs_, SIGCONT);
        frozen_ = false;
    }
}

void FrozenShare::stop() {
    thaw();
    const std::string log = work_.empty() ? std::string("/dev/null") : work_ + "/log";
    if (sshfs_ > 0 || mounted_) {
        // Lazily: a call of the test still inside the share must not keep the mount busy.
        if (const std::string fusermount = FindProgram("fusermount3");
            fusermount.empty() || !Run({fusermount, "-u", "-z", mountPoint_}, log))
            Run({FindProgram("umount"), "-l", mountPoint_}, log);
    }
    EndChild(sshfs_, 5s); // sshfs ends by itself once unmounted
    sshfs_ = -1;
    mounted_ = false;
    EndChild(sshd_, 0ms);
    sshd_ = -1;
    if (!work_.empty()) {
        std::error_code ec; // nothing sensible to do when clean-up fails
        std::filesystem::remove_all(work_, ec);
        work_.clear();
    }
}

} // namespace lumo::test
