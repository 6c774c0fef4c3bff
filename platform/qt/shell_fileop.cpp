// SHFileOperation: move, copy, rename and delete of files and folders with the shell's own
// confirmations, progress window and error boxes. Nothing is replaced without a yes, and a move
// across volumes removes its source only after a complete copy. The operation itself works on
// values it owns, on a worker thread (file_op_worker.h): a share that stops answering holds the
// worker, never the window.
#include "platform/qt/shell.h"

#include <cerrno>
#include <memory>
#include <vector>

#include <dirent.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/file_tree.h"
#include "platform/core/host_path.h"
#include "platform/core/winerror.h"
#include "platform/qt/file_op_worker.h"
#include "platform/qt/path_text.h"
#include "platform/qt/shell_fileop.h"
#include "platform/qt/shell_internal.h"
#include "platform/qt/ui.h"

namespace platform {

namespace {

std::vector<std::string> splitList(const std::string& list) {
    std::vector<std::string> items;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find('\0', start);
        if (end == std::string::npos)
            end = list.size();
        if (end == start)
            break; // the empty item that ends the list
        items.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

std::string baseName(const std::string& hostPath) {
    return hostPath.substr(hostPath.rfind('/') + 1);
}
std::string parentOf(const std::string& hostPath) {
    const size_t slash = hostPath.rfind('/');
    return slash == 0 ? "/" : hostPath.substr(0, slash);
}
std::string join(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}
bool exists(const std::string& hostPath) {
    struct stat st;
    return ::lstat(hostPath.c_str(), &st) == 0;
}
bool isFolder(const std::string& hostPath) {
    struct stat st;
    return ::stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
bool isSymlink(const std::string& hostPath) {
    struct stat st;
    return ::lstat(hostPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}
// Whether two host paths name one folder, also when links lead there by different ways.
bool sameFolder(const std::string& a, const std::string& b) {
    struct stat first, second;
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           S_ISDIR(first.st_mode) && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}
bool inside(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           (folder == "/" || path[folder.size()] == '/');
}
QString qs(const std::string& text) {
    return displayText(text); // names need not be UTF-8
}

// "name - Copy.jpg", "name (2).jpg": a free name in folder made from name and a suffix.
std::string freeName(const std::string& folder, const std::string& name,
                     const std::string& suffix) {
    const size_t dot = name.rfind('.');
    const bool hasExt = dot != std::string::npos && dot > 0 && !isFolder(join(folder, name));
    const std::string stem = hasExt ? name.substr(0, dot) : name;
    const std::string ext = hasExt ? name.substr(dot) : std::string();
    for (int n = 1;; ++n) {
        std::string candidate = stem + suffix;
        if (n > 1 || suffix.empty())
            candidate += " (" + std::to_string(suffix.empty() ? n + 1 : n) + ")";
        candidate += ext;
        if (!exists(join(folder, candidate)))
            return candidate;
    }
}

uint32_t replaceFile(const std::string& source, const std::string& target, bool move,
                     detail::CopyObserver* observer) {
    if (move)
        return detail::moveOnto(source, target, observer);
    // The new content is complete under a temporary name of its own before it takes the old
    // file's place; a file of the user's that happens to carry such a name is never touched.
    std::string temp;
    const int fd = detail::makeTemporaryFile(parentOf(target), "replace", baseName(target), temp);
    if (fd < 0)
        return errorFromErrno(errno);
    ::close(fd);
    ::unlink(temp.c_str());
    if (const uint32_t code = detail::copyTree(source, temp, false, observer))
        return code;
    if (observer->stopRequested()) {
        detail::removeTree(temp);
        return ERROR_CANCELLED;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        detail::removeTree(temp);
        return errorFromErrno(err);
    }
    return ERROR_SUCCESS;
}

// Puts source where target already is: a file replaces a file, a folder merges into a folder.
uint32_t replaceInto(const std::string& source, const std::string& target, bool move,
                     detail::CopyObserver* observer) {
    // A link to a folder is an item of its own, on either side: merging it would move the entries
    // of the folder it points to, or put entries into it, and it may lie anywhere.
    const bool sourceFolder = isFolder(source) && !isSymlink(source);
    if (sourceFolder != (isFolder(target) && !isSymlink(target)))
        return ERROR_ALREADY_EXISTS;
    if (!sourceFolder)
        return replaceFile(source, target, move, observer);
    std::vector<std::string> names;
    if (const int err = detail::listEntryNames(source, names))
        return errorFromErrno(err);
    for (const std::string& name : names) {
        const std::string from = join(source, name);
        const std::string to = join(target, name);
        const uint32_t code = exists(to) ? replaceInto(from, to, move, observer)
                              : move     ? detail::moveTree(from, to, observer)
                                         : detail::copyTree(from, to, false, observer);
        if (code != ERROR_SUCCESS)
            return code;
    }
    if (observer->stopRequested())
        return ERROR_CANCELLED;
    if (move && ::rmdir(source.c_str()) != 0)
        return errorFromErrno(errno);
    return ERROR_SUCCESS;
}

// The operation itself, on whatever thread runs it; everything of the window goes through the
// session.
class Operation {
public:
    Operation(const detail::FileOpRequest& request, detail::FileOpSession& session)
        : op_(request), session_(session) {}

    detail::FileOpOutcome run() {
        outcome_.code = dispatch();
        return outcome_;
    }

private:
    int dispatch() {
        sources_ = splitList(op_.from);
        if (sources_.empty())
            return fail(ERROR_INVALID_PARAMETER, {});
        switch (op_.func) {
        case FO_DELETE:
            return deleteAll();
        case FO_RENAME:
            return rename();
        case FO_COPY:
        case FO_MOVE:
            return transfer(op_.func == FO_MOVE);
        default:
            return ERROR_INVALID_PARAMETER;
        }
    }

    bool confirmations() const { return (op_.flags & FOF_NOCONFIRMATION) == 0; }

    // copyAt: where a move that kept (part of) its source has left its complete copy.
    int fail(uint32_t code, const std::string& name, const std::string& copyAt = {}) {
        setLastError(code);
        outcome_.failed = true;
        outcome_.failedItem = name;
        outcome_.copyAt = copyAt;
        return static_cast<int>(code);
    }

    std::optional<detail::HostPath> resolve(const std::string& path) {
        auto host = detail::resolveForAccess(path);
        if (host && !host->isRoot && !exists(host->path)) {
            setLastError(detail::errorForPath(host->path, ENOENT));
            return std::nullopt;
        }
        return host;
    }

    bool step(int done) {
        if (!session_.startItem(static_cast<size_t>(done))) {
            stopped();
            return false;
        }
        return true;
    }

    // Cancel in the progress window: what was done stays, the item under way was taken back.
    int stopped() {
        outcome_.aborted = true;
        setLastError(ERROR_CANCELLED);
        return ERROR_CANCELLED;
    }
    bool cancelledByUser(uint32_t code) const {
        return code == ERROR_CANCELLED && session_.stopRequested();
    }

    // What the progress counts: the content of what is copied; a rename within a volume is one
    // step however much it holds.
    void measure(bool move, const detail::HostPath& destination) {
        struct stat target;
        const bool haveTarget = ::stat(destination.path.c_str(), &target) == 0 ||
                                ::stat(parentOf(destination.path).c_str(), &target) == 0;
        for (const std::string& source : sources_) {
            const auto host = detail::resolveForAccess(source);
            struct stat st;
            const bool sameVolume = host && haveTarget && ::lstat(host->path.c_str(), &st) == 0 &&
                                    st.st_dev == target.st_dev;
            const bool measured = host && !(move && sameVolume);
            const detail::CopyTotals totals =
                measured
                    ? detail::measureCopy(host->path, [this] { return !session_.stopRequested(); })
                    : detail::CopyTotals{0, 1};
            if (!session_.addItem(totals))
                return;
        }
    }

    int deleteAll() {
        std::vector<detail::HostPath> items;
        for (const std::string& source : sources_) {
            auto host = resolve(source);
            if (!host)
                return fail(lastError(), source);
            if (host->isRoot)
                return fail(ERROR_ACCESS_DENIED, source);
            items.push_back(*host);
        }
        const bool toTrash = (op_.flags & FOF_ALLOWUNDO) != 0;
        if (confirmations()) {
            const bool folder = items.size() == 1 && isFolder(items[0].path);
            const QString what = items.size() == 1
                                     ? QStringLiteral("'%1'").arg(qs(baseName(items[0].path)))
                                     : QStringLiteral("these %1 items").arg(items.size());
            const QString text =
                toTrash
                    ? QStringLiteral("Are you sure you want to move %1 to the Trash?").arg(what)
                    : QStringLiteral("Are you sure you want to permanently delete %1?").arg(what);
            const QString caption = items.size() > 1
                                        ? QStringLiteral("Confirm Multiple File Delete")
                                    : folder ? QStringLiteral("Confirm Folder Delete")
                                             : QStringLiteral("Confirm File Delete");
            if (session_.ask(text, caption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
                outcome_.aborted = true;
                return ERROR_CANCELLED;
            }
        }
        for (size_t i = 0; i < items.size(); ++i)
            session_.addItem({0, 1});
        for (size_t i = 0; i < items.size(); ++i) {
            if (!step(static_cast<int>(i)))
                return ERROR_CANCELLED;
            const bool folder = isFolder(items[i].path) && !isSymlink(items[i].path);
            const uint32_t code = toTrash ? detail::moveToTrash(items[i].path, &session_)
                                          : detail::removeTree(items[i].path, &session_);
            if (cancelledByUser(code))
                return stopped();
            if (code != ERROR_SUCCESS)
                return fail(code, sources_[i]);
            session_.announce(folder ? SHCNE_RMDIR : SHCNE_DELETE, sources_[i]);
        }
        return ERROR_SUCCESS;
    }

    int rename() {
        const auto targets = splitList(op_.to);
        if (targets.empty())
            return fail(ERROR_INVALID_PARAMETER, sources_[0]);
        const auto source = resolve(sources_[0]);
        if (!source)
            return fail(lastError(), sources_[0]);
        if (source->isRoot)
            return fail(ERROR_ACCESS_DENIED, sources_[0]);
        std::string targetPath = targets[0];
        if (targetPath.find_first_of("\\/:") == std::string::npos) {
            // A bare new name stays in the source's folder.
            const size_t cut = sources_[0].find_last_of("\\/", sources_[0].find_last_not_of("\\/"));
            targetPath = sources_[0].substr(0, cut + 1) + targetPath;
        }
        while (targetPath.size() > 3 && (targetPath.back() == '\\' || targetPath.back() == '/'))
            targetPath.pop_back();
        const size_t cut = targetPath.find_last_of("\\/");
        const auto folder = detail::resolveForAccess(targetPath.substr(0, cut + 1));
        if (!folder || cut == std::string::npos)
            return fail(ERROR_PATH_NOT_FOUND, targetPath);
        const std::string newName = targetPath.substr(cut + 1);
        // A rename gives the item a new name in its own folder. A name that leads to another
        // folder would make it a move, which the caller did not ask for: it is refused, as the
        // shell refuses it.
        if (newName.empty() || newName == "." || newName == ".." ||
            !sameFolder(folder->path, parentOf(source->path)))
            return fail(ERROR_INVALID_NAME, targetPath);
        const std::string target = join(folder->path, newName);
        // A name that differs only in case names the same entry, as the program sees it.
        const auto existing = detail::resolveForAccess(targetPath);
        if (existing && exists(existing->path) && existing->path != source->path)
            return fail(ERROR_ALREADY_EXISTS, targetPath);
        if (target == source->path)
            return ERROR_SUCCESS;
        const bool folderItem = isFolder(source->path);
        const uint32_t code = detail::moveTree(source->path, target);
        if (code != ERROR_SUCCESS)
            return fail(code, sources_[0]);
        // The new name is part of the announced rename, not a folder made by someone else.
        session_.announce(folderItem ? SHCNE_RENAMEFOLDER : SHCNE_RENAMEITEM, sources_[0],
                          fromHostPath(target));
        return ERROR_SUCCESS;
    }

    int transfer(bool move) {
        const auto targets = splitList(op_.to);
        if (targets.empty())
            return fail(ERROR_INVALID_PARAMETER, sources_[0]);
        const auto destination = detail::resolveForAccess(targets[0]);
        if (!destination)
            return fail(lastError(), targets[0]);
        bool intoFolder = isFolder(destination->path);
        if (!intoFolder && sources_.size() > 1) {
            // Several items go into a folder of the destination's name.
            if (::mkdir(destination->path.c_str(), 0777) != 0)
                return fail(detail::errorForPath(destination->path, errno), targets[0]);
            intoFolder = true;
        }
        if (session_.showsProgress())
            measure(move, *destination);
        for (size_t i = 0; i < sources_.size(); ++i) {
            if (!step(static_cast<int>(i)))
                return ERROR_CANCELLED;
            const auto source = resolve(sources_[i]);
            if (!source)
                return fail(lastError(), sources_[i]);
            if (source->isRoot)
                return fail(ERROR_ACCESS_DENIED, sources_[i]);
            const std::string name = baseName(source->path);
            std::string target = intoFolder ? join(destination->path, name) : destination->path;
            if (target == source->path) {
                if (move)
                    continue;
                target = join(parentOf(target), freeName(parentOf(target), name, " - Copy"));
            }
            if (inside(target, source->path))
                return fail(ERROR_INVALID_PARAMETER, sources_[i]);
            const bool folder = isFolder(source->path);
            uint32_t code = ERROR_SUCCESS;
            if (exists(target)) {
                if (op_.flags & FOF_RENAMEONCOLLISION) {
                    target =
                        join(parentOf(target), freeName(parentOf(target), baseName(target), ""));
                } else {
                    const int answer =
                        confirmations() ? confirmReplace(baseName(target), folder) : IDYES;
                    if (answer != IDYES) {
                        outcome_.aborted = true;
                        if (answer == IDCANCEL)
                            return ERROR_CANCELLED;
                        continue;
                    }
                    if (session_.stopRequested())
                        return stopped();
                    code = replaceInto(source->path, target, move, &session_);
                    if (cancelledByUser(code))
                        return stopped();
                    if (code != ERROR_SUCCESS)
                        return fail(code, sources_[i]);
                    announce(move, folder, sources_[i], target);
                    continue;
                }
            }
            // Cancel may have come while a call on a share held the worker: nothing more starts.
            if (session_.stopRequested())
                return stopped();
            code = move ? detail::moveTree(source->path, target, &session_)
                        : detail::copyTree(source->path, target, false, &session_);
            if (cancelledByUser(code))
                return stopped();
            if (code != ERROR_SUCCESS)
                return fail(code == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : code, sources_[i],
                            move && exists(target) ? fromHostPath(target) : std::string());
            announce(move, folder, sources_[i], target);
        }
        return ERROR_SUCCESS;
    }

    int confirmReplace(const std::string& name, bool folder) {
        const QString text =
            folder ? QStringLiteral(
                         "This folder already contains a folder named '%1'.\n\nIf the files "
                         "in the existing folder have the same name as files in the folder "
                         "you are moving or copying, they will be replaced. Do you still "
                         "wish to move or copy the folder?")
                         .arg(qs(name))
                   : QStringLiteral("This folder already contains a file named '%1'.\n\nWould you "
                                    "like to replace the existing file with this one?")
                         .arg(qs(name));
        return session_.ask(text,
                            folder ? QStringLiteral("Confirm Folder Replace")
                                   : QStringLiteral("Confirm File Replace"),
                            MB_YESNOCANCEL | MB_ICONQUESTION);
    }

    void announce(bool move, bool folder, const std::string& source,
                  const std::string& targetHost) {
        const std::string target = fromHostPath(targetHost);
        if (move)
            session_.announce(folder ? SHCNE_RMDIR : SHCNE_DELETE, source);
        session_.announce(folder ? SHCNE_MKDIR : SHCNE_CREATE, target);
    }

    const detail::FileOpRequest op_;
    detail::FileOpSession& session_;
    detail::FileOpOutcome outcome_;
    std::vector<std::string> sources_;
};

} // namespace

namespace detail {

FileOpOutcome runFileOperation(const FileOpRequest& request, FileOpSession& session) {
    return Operation(request, session).run();
}

QString fileOpFailureText(unsigned func, const FileOpOutcome& outcome) {
    static const char* const kVerbs[] = {"", "move", "copy", "delete", "rename"};
    QString text =
        QStringLiteral("Cannot %1 %2: %3")
            .arg(QLatin1String(kVerbs[func <= FO_RENAME ? func : 0]), qs(outcome.failedItem),
                 qs(systemMessage(static_cast<uint32_t>(outcome.code))));
    if (!outcome.copyAt.empty())
        text += QStringLiteral("\n\nA complete copy is at %1; what changed while it was "
                               "made is still at %2.")
                    .arg(qs(outcome.copyAt), qs(outcome.failedItem));
    return text;
}

QString fileOpFailureCaption(unsigned func) {
    static const char* const kCaptions[] = {"", "Moving", "Copying", "Deleting", "Renaming"};
    return QStringLiteral("Error %1 File or Folder")
        .arg(QLatin1String(kCaptions[func <= FO_RENAME ? func : 0]));
}

} // namespace detail

int shFileOperation(ShFileOpStruct& op) {
    QWidget* owner = op.owner != nullptr ? op.owner : activeWindow();
    const detail::FileOpRequest request{op.func, op.from, op.to, op.flags};
    auto outcome = std::make_shared<detail::FileOpOutcome>();
    const bool finished = detail::runFileWork(owner, op.func, (op.flags & FOF_SILENT) != 0,
                                              [request, outcome](detail::FileOpSession& session) {
                                                  *outcome =
                                                      detail::runFileOperation(request, session);
                                              });
    if (!finished) {
        // Cancelled while the worker was stuck on a share that stopped answering.
        op.anyOperationsAborted = true;
        return ERROR_CANCELLED;
    }
    op.anyOperationsAborted = outcome->aborted;
    if (outcome->failed && (op.flags & FOF_NOERRORUI) == 0) {
        const uint32_t error = lastError();
        messageBox(owner, detail::fileOpFailureText(op.func, *outcome),
                   detail::fileOpFailureCaption(op.func), MB_OK | MB_ICONERROR);
        setLastError(error);
    }
    return outcome->code;
}

} // namespace platform
