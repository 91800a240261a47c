#include "cli/progress.h"

#include <algorithm>
#include <ostream>

namespace cli {

namespace {

constexpr int kGapsBeforeStall = 4;

std::string twoDigits(long long n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

} // namespace

std::string durationText(std::chrono::seconds s) {
    const long long total = std::max<long long>(0, s.count());
    const long long h = total / 3600, m = total / 60 % 60, sec = total % 60;
    if (h > 0) return std::to_string(h) + ":" + twoDigits(m) + ":" + twoDigits(sec);
    return std::to_string(m) + ":" + twoDigits(sec);
}

std::string progressLine(const results::DumpProgress& p, std::chrono::seconds elapsed) {
    std::string line = std::to_string(p.written) + "/" + std::to_string(p.total) + " dumps, " +
                       durationText(elapsed) + " elapsed";
    if (p.written >= p.total) return line;
    if (p.written == 0) return line + ", estimating the rest";
    // The dumps come at a steady pace: one resolution or one run each.
    const auto rest =
        elapsed * static_cast<long long>(p.total - p.written) / static_cast<long long>(p.written);
    return line + ", about " + durationText(rest) + " to go";
}

WaitResult waitForGame(platform::RunningProgram& game, const std::string& mainFolder,
                       std::ostream& err, const WaitOptions& options,
                       const std::function<void()>& pause, const core::GameProfile& profile) {
    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    auto lastDump = start;
    clock::duration longestGap{0};
    WaitResult result;
    std::string shownLine;
    std::size_t shownWidth = 0;
    bool first = true;

    auto show = [&](const std::string& line) {
        if (options.terminal) {
            // Blanks wipe what a longer line left.
            err << '\r' << line
                << std::string(shownWidth > line.size() ? shownWidth - line.size() : 0, ' ');
            shownWidth = line.size();
        } else {
            err << line << '\n';
        }
        err.flush();
        shownLine = line;
    };

    for (;;) {
        const bool running = game.running();
        const auto now = clock::now();
        if (auto p = results::dumpProgress(mainFolder, profile)) {
            if (p->written != result.last.written) {
                longestGap = std::max(longestGap, now - lastDump);
                lastDump = now;
            }
            const bool changed = first || !(*p == result.last);
            result.last = *p;
            const auto line =
                progressLine(*p, std::chrono::duration_cast<std::chrono::seconds>(now - start));
            if (options.terminal ? line != shownLine : changed) show(line);
            first = false;
        }
        if (!running) {
            result.gameEnded = true;
            break;
        }
        const auto limit =
            std::max<clock::duration>(options.stallFloor, kGapsBeforeStall * longestGap);
        if (now - lastDump > limit) {
            result.quiet = std::chrono::duration_cast<std::chrono::seconds>(now - lastDump);
            break;
        }
        pause();
        if (options.interrupted && options.interrupted() && game.running()) {
            result.interrupted = true;
            break;
        }
    }
    if (options.terminal && shownWidth > 0) err << '\n';
    err.flush();
    return result;
}

} // namespace cli
