// The folder rules of the browser windows that need no widget: the Back history and the folder
// levels the hidden directory list box gives "Up one level".
#pragma once

#include <QString>
#include <QStringList>

// BackFwdList / BackFwdIndex: the folders left by pressing on nodes of the tree. Back visits them
// from the newest; the list is emptied only when Back has used up the last one.
class TBackHistory {
public:
    // BackFwdLstUpdate: records the folder being left unless it repeats the newest entry
    // (without regard to case). Returns whether anything was recorded.
    bool Record(const QString& selectedPath);
    // True while Back has something to visit (BtnBack enabled).
    bool CanGoBack() const { return BackFwdIndex >= 1; }
    // The entry Back opens now; empty when there is none.
    QString BackTarget() const;
    // After Back has opened BackTarget(): one step down; below 1 the history is emptied.
    void StepBack();

    QStringList BackFwdList;
    int BackFwdIndex = 0;
};

// The entries a directory list box shows for a folder: the drive root with its backslash, then
// each level down to the folder, without trailing backslashes ("C:\", "C:\Photos",
// "C:\Photos\2008"). The folder's own entry is the last; its index is the folder's level.
QStringList DirectoryLevels(const QString& folder);

// "Up one level": the parent of a folder as the list box gives it ("C:\Photos\2008\" ->
// "C:\Photos", "C:\Photos" -> "C:\"); empty for a drive root or a path that is no drive path.
QString ParentFolder(const QString& folder);
