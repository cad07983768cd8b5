// The window's memory over many big-shop runs, each stored in a history in a temporary folder
// as real use does: the main process's resident size after the first run and after the
// others, against a growth budget, and the proportional size of every process of the window
// (the main one and the web engine's helpers) when fresh and after the runs. Those shares also
// depend on the other programs that map the same libraries at the time.
// Usage: tamsel-window-soak [--runs N]   (N more runs after the first; default 50)
// Exits 1 when the window fails, 2 when the growth is over budget.

#include "main_form.h"
#include "market_simulator.h"
#include "recording_platform.h"
#include "web_engine_setup.h"
#include "window_helpers.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QWebEngineView>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace tamsel::app;
using namespace tamsel::app::testing;

namespace {

constexpr double GrowthBudgetMiB = 5.0;

// A "Name:  N kB" line of a /proc file, in KiB; -1 when missing.
long procKiB(const std::string& path, const std::string& name)
{
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line))
        if (line.starts_with(name + ':'))
            return std::strtol(line.c_str() + name.size() + 1, nullptr, 10);
    return -1;
}

// The whole of a /proc file: its size shows as 0, so it is read to its end.
std::string procText(const std::string& path)
{
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

double mib(long kib)
{
    return static_cast<double>(kib) / 1024.0;
}

double residentMiB()
{
    return mib(procKiB("/proc/self/status", "VmRSS"));
}

// The allocator's share of the resident size: what the program holds and what it keeps free.
std::string heapText()
{
    const struct mallinfo2 heap = mallinfo2();
    char text[128];
    std::snprintf(text, sizeof text, "malloc: in use %.1f MiB, free in its arenas %.1f MiB, mmapped %.1f MiB",
                  static_cast<double>(heap.uordblks + heap.hblkhd) / 1048576.0,
                  static_cast<double>(heap.fordblks) / 1048576.0, static_cast<double>(heap.hblkhd) / 1048576.0);
    return text;
}

pid_t parentOf(pid_t pid)
{
    // The command name in parentheses may hold spaces: the fields follow its last ')'.
    const std::string stat = procText("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos)
        return 0;
    std::istringstream fields(stat.substr(nameEnd + 1));
    std::string state;
    pid_t parent = 0;
    fields >> state >> parent;
    return parent;
}

bool descendsFrom(pid_t pid, pid_t ancestor)
{
    for (pid_t at = parentOf(pid); at > 1; at = parentOf(at))
        if (at == ancestor)
            return true;
    return false;
}

std::vector<std::string> commandLine(pid_t pid)
{
    std::istringstream text(procText("/proc/" + std::to_string(pid) + "/cmdline"));
    std::vector<std::string> arguments;
    for (std::string argument; std::getline(text, argument, '\0');)
        arguments.push_back(argument);
    return arguments;
}

bool isZygote(const std::vector<std::string>& arguments)
{
    return std::ranges::find(arguments, "--type=zygote") != arguments.end();
}

// A web engine helper's role. The zygotes' children keep their parent's command line: the
// sandboxed zygote forks the renderers, the other one utility processes.
std::string helperRole(pid_t pid)
{
    const std::vector<std::string> arguments = commandLine(pid);
    const std::vector<std::string> parentArguments = commandLine(parentOf(pid));
    const auto unsandboxed = [](const std::vector<std::string>& of) {
        return std::ranges::find(of, "--no-zygote-sandbox") != of.end();
    };
    if (isZygote(parentArguments))
        return unsandboxed(parentArguments) ? "utility" : "renderer";
    if (isZygote(arguments))
        return unsandboxed(arguments) ? "zygote, no sandbox" : "zygote";
    for (const std::string& argument : arguments)
        if (argument.starts_with("--type="))
            return argument.substr(7);
    return arguments.empty() ? "?" : arguments.front().substr(arguments.front().rfind('/') + 1);
}

// Every process of the window by its proportional set size, the main process's heap besides.
void printBreakdown(const char* moment)
{
    const pid_t self = getpid();
    const long mainPss = procKiB("/proc/self/smaps_rollup", "Pss");
    long total = mainPss;
    std::printf("PSS %s:\n  main process            %7.1f MiB (RSS %.1f MiB)\n", moment, mib(mainPss),
                residentMiB());
    std::printf("    %s\n", heapText().c_str());
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const pid_t pid = static_cast<pid_t>(std::stol(name));
        if (pid == self || !descendsFrom(pid, self))
            continue;
        const long pss = procKiB("/proc/" + name + "/smaps_rollup", "Pss");
        if (pss < 0)
            continue;
        total += pss;
        std::printf("  %-23s %7.1f MiB (pid %d)\n", helperRole(pid).c_str(), mib(pss), static_cast<int>(pid));
    }
    std::printf("  all processes           %7.1f MiB\n", mib(total));
}

}  // namespace

int main(int argc, char** argv)
{
    int moreRuns = 50;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            moreRuns = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: tamsel-window-soak [--runs N]\n");
            return 1;
        }
    }

    // The simulator's log of requests would grow in this process as the window's memory does.
    tamsel::sim::MarketSimulatorOptions quiet;
    quiet.keptRequests = 0;
    tamsel::sim::MarketSimulator simulator(std::move(quiet));
    const std::string host = "127.0.0.1:" + std::to_string(simulator.start());
    prepareWebEngine();
    int qtArgumentCount = 1;
    QApplication application(qtArgumentCount, argv);
    QTemporaryDir folder;
    RecordingPlatform platform;
    TMainForm form(simulatedHosts(host), platform, folder.filePath(QStringLiteral("history.sqlite3")).toStdString());

    // The window's web views start loading in its constructor; their ends come through the loop.
    int pagesLoading = 0;
    for (QWebEngineView* view : form.findChildren<QWebEngineView*>()) {
        ++pagesLoading;
        QObject::connect(view, &QWebEngineView::loadFinished, [&pagesLoading] { --pagesLoading; });
    }
    form.show();
    if (!QTest::qWaitForWindowExposed(&form) || !waitUntil([&] { return pagesLoading == 0; }, 60000))
        return 1;
    printBreakdown("fresh, pages loaded");

    auto& btnSearch = control<QPushButton>(form, "btnSearch");
    const QAbstractItemModel& storedRuns = *control<QTableView>(form, "historyList").model();
    QTest::keyClicks(&control<QLineEdit>(form, "txtID"), QStringLiteral("big-shop"));
    // A run counts once its grids stand and the history tab lists it, and the window has come to
    // rest after it: the figures are what the window holds while it waits for the user.
    const auto run = [&](int number) {
        QTest::mouseClick(&btnSearch, Qt::LeftButton);
        if (!waitUntil([&] { return btnSearch.isEnabled() && storedRuns.rowCount() == number; }, 300000))
            return false;
        bool idle = false;
        const QMetaObject::Connection resting = QObject::connect(
            QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, [&idle] { idle = true; });
        const bool rested = waitUntil([&] { return idle; }, 60000);
        QObject::disconnect(resting);
        return rested;
    };
    if (!run(1))
        return 1;
    const double afterFirst = residentMiB();
    std::printf("RSS after the first big-shop run: %.1f MiB (%s)\n", afterFirst, heapText().c_str());
    for (int number = 2; number <= moreRuns + 1; ++number) {
        if (!run(number))
            return 1;
        if ((number - 1) % 10 == 0)
            std::printf("  after %d more: %.1f MiB (%s)\n", number - 1, residentMiB(), heapText().c_str());
    }
    const double afterMore = residentMiB();
    const double growth = afterMore - afterFirst;
    std::printf("RSS after %d more: %.1f MiB; growth %.1f MiB (budget %.1f MiB)%s\n", moreRuns, afterMore, growth,
                GrowthBudgetMiB, growth < GrowthBudgetMiB ? "" : ": OVER BUDGET");
    printBreakdown("after the runs");
    return growth < GrowthBudgetMiB ? 0 : 2;
}
