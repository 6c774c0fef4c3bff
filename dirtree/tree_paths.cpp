// The directory tree's node-path rules.
#include "dirtree/tree_paths.h"

#include <array>

#include "platform/core/files.h"

QString DriveCaption(QChar letter, const QString& displayName) {
    const qsizetype bracket = displayName.indexOf(QLatin1Char('('));
    const QString name = bracket < 0 ? QString() : displayName.left(bracket);
    return QStringLiteral(" (") + letter + QStringLiteral(":)  ") + name;
}

QString NodePathOf(const QStringList& captions) {
    QString result;
    for (qsizetype level = captions.size() - 1; level >= 1; --level) {
        if (level == 1) {
            result = captions[level].mid(2, 2) + QLatin1Char('\\') + result;
        } else if (result.isEmpty()) {
            result = captions[level];
        } else {
            result = captions[level] + QLatin1Char('\\') + result;
        }
    }
    return result;
}

QString NodeMatchKey(int level, const QString& caption) {
    return (level == 1 ? caption.mid(2, 2) : caption) + QLatin1Char('\\');
}

QStringList PathParts(const QString& path) {
    QStringList parts;
    qsizetype start = 0;
    while (start < path.size()) {
        const qsizetype slash = path.indexOf(QLatin1Char('\\'), start);
        const qsizetype end = slash < 0 ? path.size() : slash + 1;
        parts.append(path.mid(start, end - start));
        start = end;
    }
    return parts;
}

uint32_t FolderFilterMask(TFileType folderType) {
    // One attribute bit per member, in member order; ftNormal, the seventh, adds nothing. The
    // bits are the component's historical ones: the windows' setting comes out as 0xB1, which
    // admits read-only, archive and normal folders and rejects hidden and system ones.
    constexpr std::array<uint32_t, 6> bits = {
        platform::FILE_ATTRIBUTE_READONLY, platform::FILE_ATTRIBUTE_HIDDEN,
        platform::FILE_ATTRIBUTE_SYSTEM,   platform::FILE_ATTRIBUTE_DIRECTORY,
        platform::FILE_ATTRIBUTE_ARCHIVE,  platform::FILE_ATTRIBUTE_NORMAL,
    };
    uint32_t mask = platform::FILE_ATTRIBUTE_DIRECTORY;
    for (std::size_t member = 0; member < bits.size(); ++member) {
        if (folderType & (1u << member))
            mask |= bits[member];
    }
    return mask;
}

bool FolderPassesFilter(uint32_t attributes, const QString& name, uint32_t mask) {
    constexpr uint32_t considered = 0xB7; // read-only, hidden, system, directory, archive, normal
    if (!(attributes & platform::FILE_ATTRIBUTE_DIRECTORY))
        return false;
    if ((attributes & considered) & ~mask)
        return false;
    return name != QLatin1String(".") && name != QLatin1String("..");
}
