// The directory tree's node-path rules as plain functions: drive captions, node paths, the match
// keys OpenPath walks with, and the folder filter built from FolderType.
#pragma once

#include <cstdint>

#include <QString>
#include <QStringList>

#include "dirtree/mav_dir_tree.h"

// The caption of a drive node: " (C:)  " followed by the part of the drive's display name before
// its first "(" ("Local Disk (C:)" gives " (C:)  Local Disk ").
QString DriveCaption(QChar letter, const QString& displayName);

// The path of a node from the captions on its way down: captions[0] is the root (adds nothing),
// captions[1] the drive (characters 3 and 4 of its caption and a backslash), deeper captions are
// folder names joined with backslashes. {"My Computer", " (C:)  Local Disk ", "Windows"} gives
// "C:\Windows"; the drive alone gives "C:\"; the root alone gives "".
QString NodePathOf(const QStringList& captions);

// What OpenPath compares a path part with: for a drive (level 1) its letter, colon and backslash,
// for a folder its caption and a backslash.
QString NodeMatchKey(int level, const QString& caption);

// A folder path taken apart at each backslash, each part keeping its backslash:
// "C:\Windows\System32\" gives "C:\", "Windows\", "System32\". Text after the last backslash is
// a part of its own.
QStringList PathParts(const QString& path);

// The attribute mask of the folders the tree lists, built from a FolderType set; the directory bit
// is always in it. The windows' [ftReadOnly, ftDirectory, ftArchive, ftNormal] gives 0xB1.
uint32_t FolderFilterMask(TFileType folderType);
// True for a directory entry (not "." or "..") whose read-only, hidden, system, directory, archive
// and normal bits are all in the mask.
bool FolderPassesFilter(uint32_t attributes, const QString& name, uint32_t mask);
