// Display names and type names of files, folders, drives and "My Computer".
#include "platform/qt/shell.h"

#include <map>

#include "platform/core/drives.h"
#include "platform/core/files.h"
#include "platform/qt/path_text.h"
#include "platform/qt/shell_internal.h"

namespace platform {

namespace detail {

char driveRootLetter(std::string_view path) {
    if (path.size() < 2 || path[1] != ':')
        return 0;
    const char c = path[0];
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
        return 0;
    for (char rest : path.substr(2)) {
        if (rest != '\\' && rest != '/')
            return 0;
    }
    return static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
}

std::string lowerExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    std::string ext(name.substr(dot));
    for (char& c : ext)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext;
}

std::string entryName(std::string_view programPath) {
    std::string_view trimmed = programPath;
    while (!trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/'))
        trimmed.remove_suffix(1);
    if (const auto host = toHostPath(trimmed)) {
        const size_t slash = host->rfind('/');
        return host->substr(slash == std::string::npos ? 0 : slash + 1);
    }
    const size_t cut = trimmed.find_last_of("\\/");
    return std::string(cut == std::string_view::npos ? trimmed : trimmed.substr(cut + 1));
}

bool isPictureExtension(const std::string& ext) {
    static const char* const kPictures[] = {
        ".jpg", ".jpeg", ".jpe", ".jfif", ".png", ".gif", ".bmp", ".tif", ".tiff", ".cr2",  ".crw",
        ".nef", ".arw",  ".dng", ".orf",  ".rw2", ".raf", ".pef", ".srw", ".webp", ".heic", ".ico"};
    for (const char* picture : kPictures) {
        if (ext == picture)
            return true;
    }
    return false;
}

} // namespace detail

namespace {

QString kindOfDrive(unsigned type) {
    switch (type) {
    case DRIVE_REMOVABLE:
        return QStringLiteral("Removable Disk");
    case DRIVE_REMOTE:
        return QStringLiteral("Network Drive");
    case DRIVE_CDROM:
        return QStringLiteral("CD Drive");
    default:
        return QStringLiteral("Local Disk");
    }
}

QString typeOfExtension(const std::string& ext) {
    static const std::map<std::string, QString> kTypes = {
        {".jpg", QStringLiteral("JPEG Image")},
        {".jpeg", QStringLiteral("JPEG Image")},
        {".jpe", QStringLiteral("JPEG Image")},
        {".jfif", QStringLiteral("JPEG Image")},
        {".png", QStringLiteral("PNG Image")},
        {".gif", QStringLiteral("GIF Image")},
        {".bmp", QStringLiteral("Bitmap Image")},
        {".tif", QStringLiteral("TIFF Image")},
        {".tiff", QStringLiteral("TIFF Image")},
        {".cr2", QStringLiteral("CR2 Raw Image")},
        {".txt", QStringLiteral("Text Document")},
        {".chm", QStringLiteral("Compiled HTML Help file")},
        {".htm", QStringLiteral("HTML Document")},
        {".html", QStringLiteral("HTML Document")},
        {".pdf", QStringLiteral("PDF Document")},
        {".zip", QStringLiteral("Compressed (zipped) Folder")},
        {".exe", QStringLiteral("Application")},
        {".ini", QStringLiteral("Configuration Settings")},
    };
    if (ext.empty())
        return QStringLiteral("File");
    if (const auto it = kTypes.find(ext); it != kTypes.end())
        return it->second;
    return QString::fromStdString(ext.substr(1)).toUpper() + QStringLiteral(" File");
}

} // namespace

QString shellDisplayName(std::string_view path) {
    if (path == kMyComputerPath)
        return QStringLiteral("My Computer");
    if (const char letter = detail::driveRootLetter(path)) {
        if (!driveInfo(letter))
            return {};
        return QString::fromStdString(driveDisplayName(letter));
    }
    if (getFileAttributes(path) == INVALID_FILE_ATTRIBUTES)
        return {};
    return displayText(detail::entryName(path));
}

QString shellTypeName(std::string_view path) {
    if (path == kMyComputerPath)
        return QStringLiteral("System Folder");
    if (const char letter = detail::driveRootLetter(path)) {
        const auto drive = driveInfo(letter);
        return drive ? kindOfDrive(drive->type) : QString();
    }
    const uint32_t attributes = getFileAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {};
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return QStringLiteral("File Folder");
    return typeOfExtension(detail::lowerExtension(detail::entryName(path)));
}

} // namespace platform
