// Measures how long Setup.exe takes to show its wizard beside how long a
// trivial program (plain_window.exe, one window and nothing else) takes to
// show its window, started the same way in the same run.  Both are timed
// from the process start until the window is shown: for Setup, the wizard
// with its last control made, as the user sees it.  Setup starts from a
// distribution without the splash program, whose 4 seconds are by design.
// Each round starts both, in turns; the ratios of the rounds and their
// median are printed.  Run by hand through scripts/bench-install.
//
//   start_bench.exe [rounds]     (3 rounds, each the mean of 5 starts of each)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "driver/kit.h"

namespace {

constexpr DWORD LIMIT_MS = 30000;
constexpr int STARTS_PER_ROUND = 5;

double now_ms() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// From the start of the program until `shown` holds for its process, in ms;
// -1 when it does not within the limit.  The program is ended afterwards.
double time_to_show(const std::string& program, const std::string& folder,
                    const std::function<bool(DWORD)>& shown) {
    double start = now_ms();
    Program started = start_program(program, folder, "");
    if (!started.started()) return -1;
    DWORD idle = WaitForInputIdle(started.process(), LIMIT_MS);
    double spent = now_ms() - start;
    if (idle != 0 || !shown(started.id())) { std::printf("not shown at idle\n"); return -1; }
    kill_program(started);
    return spent;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    SetupIni ini;
    ini.name = "KitStartBench";
    Distribution dist(ini);
    std::string plain = program_folder() + "plain_window.exe";
    auto plain_shown = [](DWORD process) {
        HWND window = find_window(process, "Plain window", "");
        return window && IsWindowVisible(window);
    };
    auto wizard_shown = [&](DWORD process) {
        HWND wizard = find_window(process, ini.title(), "");
        return wizard && IsWindowVisible(wizard) && find_control(wizard, INSTALL_BUTTON);
    };

    std::printf("start-up, mean of %d starts a round; times in ms\n", STARTS_PER_ROUND);
    std::printf("  round  plain window  Setup wizard  ratio\n");
    std::vector<double> ratios;
    bool failed = false;
    for (int round = 1; round <= rounds; ++round) {
        double plain_total = 0, setup_total = 0;
        for (int start = 0; start < STARTS_PER_ROUND; ++start) {
            double p = time_to_show(plain, "", plain_shown);
            double s = time_to_show(dist.path("Setup.exe"), dist.path(), wizard_shown);
            failed = failed || p < 0 || s < 0;
            plain_total += p;
            setup_total += s;
        }
        double p = plain_total / STARTS_PER_ROUND, s = setup_total / STARTS_PER_ROUND;
        ratios.push_back(s / p);
        std::printf("  %5d  %12.0f  %12.0f  %5.2f\n", round, p, s, s / p);
    }
    std::printf("  median ratio: wizard shown %.2f\n", median(ratios));
    return failed;
}
