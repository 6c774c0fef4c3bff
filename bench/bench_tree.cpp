// Directory tree timings, offscreen: expanding a folder of 5,000 sub-folders (children, look-ahead
// for expand buttons, icons, sort, first layout), OpenPath eight levels down, the look-ahead into
// and the listing of a folder of 50,000 sub-folders, and how busy the window is while it follows
// folders made by another program (one burst of 200 in the open folder; 20 in an open folder of
// 50,000; one folder made next to an open folder of 50,000) and how often the windows are told
// the folder changed (dir_changes, which should stay 0: the selected folder is still there).
#include <chrono>
#include <thread>

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "dirtree/mav_dir_tree.h"
#include "platform/core/drives.h"

namespace {

constexpr int WideFolderCount = 5000;
constexpr int DeepLevels = 8;
constexpr int SiblingsPerLevel = 20;
constexpr int ManyFolderCount = 50000;

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
        root.mkpath(QStringLiteral("burst"));
        root.mkpath(QStringLiteral("lookahead"));
        platform::setDriveMap(
            {platform::DriveInfo{'C', temp.path().toStdString(), platform::DRIVE_FIXED, "", true}});
    }
    QString deepPath = QStringLiteral("C:\\deep");

    std::string host(const QString& relative) const {
        return temp.filePath(relative).toStdString();
    }

    // "many" with 50,000 sub-folders, and "lookahead\\big" a link to it; made on first use.
    void MakeMany() {
        if (manyMade)
            return;
        const std::string many = host(QStringLiteral("many"));
        ::mkdir(many.c_str(), 0777);
        for (int i = 0; i < ManyFolderCount; ++i)
            ::mkdir((many + "/sub " + std::to_string(100000 + i)).c_str(), 0777);
        [[maybe_unused]] const int linked =
            ::symlink(many.c_str(), host(QStringLiteral("lookahead/big")).c_str());
        manyMade = true;
    }

private:
    QTemporaryDir temp;
    bool manyMade = false;
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

// Expanding a folder whose one sub-folder holds 50,000 sub-folders: the look-ahead for that
// sub-folder's expand button stops at its first entry.
void BM_ExpandBesideFolderOf50000(benchmark::State& state) {
    Folders().MakeMany();
    TMavDirTree21 tree;
    tree.resize(300, 600);
    tree.show();
    for (auto _ : state) {
        state.PauseTiming();
        tree.Reload();
        tree.OpenPath(QStringLiteral("C:\\"));
        QTreeWidgetItem* parent = ChildNamed(tree.currentItem(), QStringLiteral("lookahead"));
        QApplication::processEvents();
        state.ResumeTiming();

        parent->setExpanded(true);
        QApplication::processEvents();
        QTreeWidgetItem* big = ChildNamed(parent, QStringLiteral("big"));
        if (!big || big->childIndicatorPolicy() != QTreeWidgetItem::ShowIndicator)
            state.SkipWithError("the look-ahead found no sub-folder");
    }
}
BENCHMARK(BM_ExpandBesideFolderOf50000)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ExpandFolderOf50000(benchmark::State& state) {
    Folders().MakeMany();
    TMavDirTree21 tree;
    tree.resize(300, 600);
    tree.show();
    for (auto _ : state) {
        state.PauseTiming();
        tree.Reload();
        tree.OpenPath(QStringLiteral("C:\\"));
        QTreeWidgetItem* many = ChildNamed(tree.currentItem(), QStringLiteral("many"));
        QApplication::processEvents();
        state.ResumeTiming();

        many->setExpanded(true);
        QApplication::processEvents();
        if (many->childCount() != ManyFolderCount)
            state.SkipWithError("the folder was not listed in full");
    }
}
BENCHMARK(BM_ExpandFolderOf50000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The time the window's thread spends working rather than waiting for events: from each wake-up
// to the next wait (the dispatcher may run several times between two waits), and the thread's
// processor time over the same span, which also holds what runs right after a wait (the folder
// watcher's reading and the timers).
class BusyClock {
public:
    BusyClock() {
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        clock.start();
        cpuStart = ThreadCpu();
        awake = QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [this] {
            if (waiting)
                since = clock.nsecsElapsed();
            waiting = false;
        });
        blocking = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [this] {
            if (!waiting)
                busy += clock.nsecsElapsed() - since;
            waiting = true;
        });
    }
    ~BusyClock() {
        QObject::disconnect(awake);
        QObject::disconnect(blocking);
    }
    double Seconds() const {
        return double(busy + (waiting ? 0 : clock.nsecsElapsed() - since)) / 1e9;
    }
    double CpuSeconds() const { return ThreadCpu() - cpuStart; }

private:
    static double ThreadCpu() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
    }

    QElapsedTimer clock;
    double cpuStart = 0;
    bool waiting = false;
    qint64 since = 0;
    qint64 busy = 0;
    QMetaObject::Connection awake, blocking;
};

// Runs the window's events until shown() holds and then for one more second, so that work that
// follows (a second message, a rebuild) is counted too; bounded by twenty seconds. False when
// shown() never held.
template <typename Shown> bool WaitUntilShown(Shown shown) {
    QElapsedTimer total, after;
    total.start();
    bool seen = false;
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start(50);
    while (total.elapsed() < 20000) {
        loop.exec(); // waits for events, at most until the next tick
        if (!seen && shown()) {
            seen = true;
            after.start();
        }
        if (seen && after.elapsed() > 1000)
            return true;
    }
    return seen;
}

// Another program makes count folders in a folder, at once.
void MakeFoldersElsewhere(const std::string& folder, int count, int iteration) {
    std::thread([&] {
        for (int i = 0; i < count; ++i)
            ::mkdir(
                (folder + "/new " + std::to_string(iteration) + "-" + std::to_string(i)).c_str(),
                0777);
    }).join();
}

// Shows tree with path open, counting the folder changes it tells in dirChanges.
void ShowTreeAt(TMavDirTree21& tree, const QString& path, int& dirChanges) {
    tree.resize(300, 600);
    tree.show();
    tree.OnDirChange = [&dirChanges](QObject*, const QString&) {
        ++dirChanges;
    };
    tree.OpenPath(path);
}

void FollowFoldersMadeElsewhere(benchmark::State& state, const QString& openFolder,
                                const QString& hostFolder, int count) {
    const std::string folder = Folders().host(hostFolder);
    TMavDirTree21 tree;
    int dirChanges = 0;
    ShowTreeAt(tree, openFolder, dirChanges);
    int iteration = 0;
    for (auto _ : state) {
        dirChanges = 0;
        const int before = tree.currentItem()->childCount();
        BusyClock busy;
        MakeFoldersElsewhere(folder, count, iteration++);
        const bool shown = WaitUntilShown([&] {
            return tree.currentItem() && tree.currentItem()->childCount() >= before + count;
        });
        state.SetIterationTime(busy.Seconds());
        state.counters["dir_changes"] = dirChanges;
        state.counters["cpu_ms"] = busy.CpuSeconds() * 1000;
        if (!shown)
            state.SkipWithError("the new folders were not shown");
    }
}

void BM_Burst200FoldersInTheOpenFolder(benchmark::State& state) {
    FollowFoldersMadeElsewhere(state, QStringLiteral("C:\\burst"), QStringLiteral("burst"), 200);
}
BENCHMARK(BM_Burst200FoldersInTheOpenFolder)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

void BM_Burst20FoldersInAnOpenFolderOf50000(benchmark::State& state) {
    Folders().MakeMany();
    FollowFoldersMadeElsewhere(state, QStringLiteral("C:\\many"), QStringLiteral("many"), 20);
}
BENCHMARK(BM_Burst20FoldersInAnOpenFolderOf50000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

// The open folder of 50,000 sub-folders is selected; another program makes one folder next to it
// (and removes it again between the iterations, untimed).
void BM_FolderMadeBesideAnOpenFolderOf50000(benchmark::State& state) {
    Folders().MakeMany();
    TMavDirTree21 tree;
    int dirChanges = 0;
    ShowTreeAt(tree, QStringLiteral("C:\\many"), dirChanges);
    const auto shows = [&tree](const QString& name) {
        QTreeWidgetItem* root = tree.Root();
        QTreeWidgetItem* c = root && root->childCount() > 0 ? root->child(0) : nullptr;
        for (int i = 0; c && i < c->childCount(); ++i) {
            if (c->child(i)->text(0) == name)
                return true;
        }
        return false;
    };
    int iteration = 0;
    for (auto _ : state) {
        const QString name = QStringLiteral("beside %1").arg(iteration++);
        const std::string host = Folders().host(name);
        dirChanges = 0;
        BusyClock busy;
        std::thread([&host] { ::mkdir(host.c_str(), 0777); }).join();
        const bool shown = WaitUntilShown([&] { return shows(name); });
        state.SetIterationTime(busy.Seconds());
        state.counters["dir_changes"] = dirChanges;
        state.counters["cpu_ms"] = busy.CpuSeconds() * 1000;
        if (!shown)
            state.SkipWithError("the new folder was not shown");
        ::rmdir(host.c_str());
        WaitUntilShown([&] { return !shows(name); });
    }
    if (tree.SelectedPath() != QStringLiteral("C:\\many\\") || !tree.currentItem() ||
        tree.currentItem()->childCount() < ManyFolderCount)
        state.SkipWithError("the open folder was not kept");
}
BENCHMARK(BM_FolderMadeBesideAnOpenFolderOf50000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own event dispatcher tells when it waits and wakes, which the busy clock counts.
    qputenv("QT_NO_GLIB", "1");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
