#pragma once
// Benchmarks that time other programs: a program run to its end, by its wall time and peak
// memory, and medians of runs taken by turns.

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace bench {

struct Run {
    double seconds = 0;   // wall
    double cpu = 0;       // user and system, the program's and its children's
    double megabytes = 0; // peak resident
    int status = 0;
};

// Runs a program to its end with its output thrown away; wall time, CPU time and peak memory as
// GNU time reports them (a process started from this large one would inherit its peak).
inline Run runProgram(const std::vector<std::string>& program, const std::string& memoryFile) {
    std::vector<std::string> args = {"/usr/bin/time", "-f", "%U %S %M", "-o", memoryFile};
    args.insert(args.end(), program.begin(), program.end());
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    Run run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        run.status = -1;
        return run;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    run.seconds = double(t.nsecsElapsed()) / 1e9;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    posix_spawn_file_actions_destroy(&actions);
    QFile memory(QString::fromStdString(memoryFile));
    if (memory.open(QIODevice::ReadOnly)) {
        // "Command exited with non-zero status N" may come first; the figure is the last line.
        const QList<QByteArray> lines = memory.readAll().trimmed().split('\n');
        const QList<QByteArray> figures = lines.back().simplified().split(' ');
        if (figures.size() == 3) {
            run.cpu = figures[0].toDouble() + figures[1].toDouble();
            run.megabytes = figures[2].toDouble() / 1024.0;
        }
    }
    return run;
}

// Every run of each program (five unless said), taken by turns: turn i of one program ran
// beside turn i of the others, under the same load.
inline std::vector<std::vector<Run>> turns(const std::vector<std::vector<std::string>>& programs,
                                           const std::string& memoryFile, int times = 5) {
    std::vector<std::vector<Run>> runs(programs.size());
    for (int i = 0; i < times; ++i) {
        for (size_t p = 0; p < programs.size(); ++p)
            runs[p].push_back(runProgram(programs[p], memoryFile));
    }
    return runs;
}

// The median over the turns of a's figure against b's in the same turn.
template <typename Figure>
double ratioByTurns(const std::vector<Run>& a, const std::vector<Run>& b, Figure figure) {
    std::vector<double> ratios;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        ratios.push_back(figure(b[i]) > 0 ? figure(a[i]) / figure(b[i]) : 0);
    std::sort(ratios.begin(), ratios.end());
    return ratios.empty() ? 0 : ratios[ratios.size() / 2];
}

// The one-minute load average, as the kernel gives it.
inline double loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').value(0).toDouble() : -1;
}

// The median run of each program (by wall time, with the median CPU time beside it), and the
// largest peak memory of its runs.
inline std::vector<Run> mediansOf(std::vector<std::vector<Run>> runs) {
    std::vector<Run> out;
    for (auto& r : runs) {
        std::vector<double> cpu;
        for (const Run& x : r)
            cpu.push_back(x.cpu);
        std::sort(cpu.begin(), cpu.end());
        std::sort(r.begin(), r.end(), [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
        Run m = r[r.size() / 2];
        m.cpu = cpu[cpu.size() / 2];
        for (const Run& x : r)
            m.megabytes = std::max(m.megabytes, x.megabytes);
        out.push_back(m);
    }
    return out;
}

// Medians of runs of each program (five unless said), taken by turns.
inline std::vector<Run> medians(const std::vector<std::vector<std::string>>& programs,
                         const std::string& memoryFile, int times = 5) {
    return mediansOf(turns(programs, memoryFile, times));
}

} // namespace bench
