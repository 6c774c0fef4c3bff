// Directory tree timings, offscreen: expanding a folder of 5,000 sub-folders (children, look-ahead
// for expand buttons, icons, sort, first layout) and OpenPath eight levels down.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "dirtree/mav_dir_tree.h"
#include "platform/core/drives.h"

namespace {

constexpr int WideFolderCount = 5000;
constexpr int DeepLevels = 8;
constexpr int SiblingsPerLevel = 20;

// C: is a temporary folder holding "wide" (5,000 sub-folders, every tenth with one of its own)
// and a chain of eight levels under "deep", each level with twenty siblings.
class TreeBenchFolders {
public:
    TreeBenchFolders() {
        QDir root(temp.path());
        for (int i = 0; i < WideFolderCount; ++i) {
            const QString name = QStringLiteral("wide/folder %1").arg(i, 5, 10, QLatin1Char('0'));
            root.mkpath(i % 10 == 0 ? name + QStringLiteral("/inner") : name);
        }
        QString level = QStringLiteral("deep");
        for (int depth = 0; depth < DeepLevels; ++depth) {
            for (int sibling = 0; sibling < SiblingsPerLevel; ++sibling)
                root.mkpath(level + QStringLiteral("/s%1").arg(sibling));
            level += QStringLiteral("/level%1").arg(depth);
            root.mkpath(level);
            deepPath += QStringLiteral("\\level%1").arg(depth);
        }
        platform::setDriveMap(
            {platform::DriveInfo{'C', temp.path().toStdString(), platform::DRIVE_FIXED, "", true}});
    }
    QString deepPath = QStringLiteral("C:\\deep");

private:
    QTemporaryDir temp;
};

TreeBenchFolders& Folders() {
    static TreeBenchFolders folders;
    return folders;
}

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* node, const QString& caption) {
    for (int i = 0; i < node->childCount(); ++i) {
        if (node->child(i)->text(0) == caption)
            return node->child(i);
    }
    return nullptr;
}

void BM_ExpandFolderOf5000(benchmark::State& state) {
    Folders();
    TMavDirTree21 tree;
    tree.resize(300, 600);
    tree.show();
    for (auto _ : state) {
        state.PauseTiming();
        tree.Reload();
        tree.OpenPath(QStringLiteral("C:\\"));
        QTreeWidgetItem* wide = ChildNamed(tree.currentItem(), QStringLiteral("wide"));
        QApplication::processEvents();
        state.ResumeTiming();

        wide->setExpanded(true);
        QApplication::processEvents(); // layout and paint of the new rows
        if (wide->childCount() != WideFolderCount)
            state.SkipWithError("the folder was not listed in full");
    }
}
BENCHMARK(BM_ExpandFolderOf5000)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_OpenPathEightLevels(benchmark::State& state) {
    const QString path = Folders().deepPath;
    TMavDirTree21 tree;
    tree.resize(300, 600);
    tree.show();
    for (auto _ : state) {
        state.PauseTiming();
        tree.Reload();
        QApplication::processEvents();
        state.ResumeTiming();

        tree.OpenPath(path);
        QApplication::processEvents();
        if (tree.currentItem()->text(0) != QStringLiteral("level%1").arg(DeepLevels - 1))
            state.SkipWithError("OpenPath did not reach the folder");
    }
}
BENCHMARK(BM_OpenPathEightLevels)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
