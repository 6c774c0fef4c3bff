#include "widgets/navigation.h"

bool TBackHistory::Record(const QString& selectedPath) {
    BackFwdIndex = static_cast<int>(BackFwdList.size());
    if (!BackFwdList.isEmpty() &&
        QString::localeAwareCompare(BackFwdList.last().toLower(), selectedPath.toLower()) == 0)
        return false;
    BackFwdList.append(selectedPath);
    BackFwdIndex = static_cast<int>(BackFwdList.size());
    return true;
}

QString TBackHistory::BackTarget() const {
    if (BackFwdIndex < 1 || BackFwdIndex > BackFwdList.size())
        return {};
    return BackFwdList.at(BackFwdIndex - 1);
}

void TBackHistory::StepBack() {
    --BackFwdIndex;
    if (BackFwdIndex < 1) {
        BackFwdIndex = 0;
        BackFwdList.clear();
    }
}

QStringList DirectoryLevels(const QString& folder) {
    // Only drive paths have levels: "X:" followed by a backslash or nothing.
    if (folder.size() < 2 || !folder.at(0).isLetter() || folder.at(1) != QLatin1Char(':') ||
        (folder.size() > 2 && folder.at(2) != QLatin1Char('\\')))
        return {};
    QStringList levels{folder.left(2) + QLatin1Char('\\')};
    QString path = folder.left(2);
    const QStringList parts = folder.mid(3).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        path += QLatin1Char('\\') + part;
        levels.append(path);
    }
    return levels;
}

QString ParentFolder(const QString& folder) {
    const QStringList levels = DirectoryLevels(folder);
    if (levels.size() < 2)
        return {};
    return levels.at(levels.size() - 2);
}
