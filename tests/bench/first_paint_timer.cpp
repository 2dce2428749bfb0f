// The time from starting a program to its first window's first pixels on the
// X display, told by the X server itself: every top-level window gets a
// Damage object as it is made, and the clock stops at the first damage of one
// that is mapped. Two programs are started one after the other, RUNS times
// each, so that both meet the same moments of a busy machine.
//
//   kelvo_first_paint_timer RUNS PROGRAM [ARGS...] -- BASELINE [ARGS...]
//
// An argument "%home%" becomes a new empty folder for each start, removed
// after it. Prints a markdown table (median, min-max, PROGRAM against
// BASELINE) and the processor time each used until then, which a busy machine
// disturbs less; exits 1 when a start could not be measured.

#include "Median.h"

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <poll.h>
#include <set>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(30);
const std::string kHomePlaceholder = "%home%";

struct Command {
    std::vector<std::string> args;
};

struct Connection {
    xcb_connection_t* x = nullptr;
    xcb_window_t root = 0;
    uint8_t damageEvent = 0;
};

std::optional<Connection> Connect() {
    Connection c;
    int screenNumber = 0;
    c.x = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c.x)) {
        std::fprintf(stderr, "first_paint_timer: cannot open the display\n");
        return std::nullopt;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c.x));
    for (int n = 0; n < screenNumber; ++n)
        xcb_screen_next(&screens);
    c.root = screens.data->root;
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(c.x, &xcb_damage_id);
    if (!damage || !damage->present) {
        std::fprintf(stderr, "first_paint_timer: the display has no DAMAGE extension\n");
        return std::nullopt;
    }
    c.damageEvent = damage->first_event;
    // The extension answers nothing before its version is asked.
    free(xcb_damage_query_version_reply(
        c.x, xcb_damage_query_version(c.x, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
        nullptr));
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c.x, c.root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c.x);
    return c;
}

bool IsInputOutput(xcb_connection_t* x, xcb_window_t window) {
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> attributes(
        xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, window), nullptr), &free);
    return attributes && attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT;
}

// The top-level windows made since the start, and which of them are mapped.
class Watch {
public:
    explicit Watch(const Connection& c) : c_(c) {}

    // True at the first damage of a mapped InputOutput top-level window.
    bool Painted(const xcb_generic_event_t& event) {
        const uint8_t type = event.response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            const auto& created = reinterpret_cast<const xcb_create_notify_event_t&>(event);
            if (created.parent == c_.root && IsInputOutput(c_.x, created.window)) {
                const xcb_damage_damage_t damage = xcb_generate_id(c_.x);
                xcb_damage_create(c_.x, damage, created.window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                xcb_flush(c_.x);
                watched_.insert(created.window);
            }
        } else if (type == XCB_MAP_NOTIFY) {
            const auto& shown = reinterpret_cast<const xcb_map_notify_event_t&>(event);
            if (watched_.count(shown.window))
                mapped_.insert(shown.window);
        } else if (type == c_.damageEvent + XCB_DAMAGE_NOTIFY) {
            const auto& damaged = reinterpret_cast<const xcb_damage_notify_event_t&>(event);
            return mapped_.count(damaged.drawable) > 0;
        }
        return false;
    }

private:
    const Connection& c_;
    std::set<xcb_window_t> watched_;
    std::set<xcb_window_t> mapped_;
};

// A fresh folder for each "%home%"; removed by the caller.
std::vector<std::string> WithHome(const Command& command, const std::string& home) {
    std::vector<std::string> args = command.args;
    std::replace(args.begin(), args.end(), kHomePlaceholder, home);
    return args;
}

pid_t Start(const std::vector<std::string>& args) {
    const pid_t child = fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        std::fprintf(stderr, "first_paint_timer: cannot run %s: %s\n", argv[0],
                     std::strerror(errno));
        _exit(127);
    }
    return child;
}

void Drain(xcb_connection_t* x) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(x))
        free(event);
}

struct Measured {
    double toPaint;   // ms from the fork to the first paint
    double processor; // ms of processor time, user and system, until killed there
};

double Milliseconds(const timeval& time) {
    return time.tv_sec * 1e3 + time.tv_usec / 1e3;
}

// Nothing when the program ended, or took too long, before a paint.
std::optional<Measured> TimeFirstPaint(const Connection& c, const Command& command) {
    char folder[] = "/tmp/first-paint-XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("first_paint_timer: mkdtemp");
        return std::nullopt;
    }
    const std::string home = std::string(folder) + "/";
    Drain(c.x);
    Watch watch(c);
    const Clock::time_point started = Clock::now();
    const pid_t child = Start(WithHome(command, home));
    std::optional<double> elapsed;
    pollfd display{xcb_get_file_descriptor(c.x), POLLIN, 0};
    while (!elapsed && Clock::now() - started < kPatience) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c.x)) {
            if (!elapsed && watch.Painted(*event))
                elapsed = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
            free(event);
        }
        if (elapsed || waitpid(child, nullptr, WNOHANG) == child)
            break;
        poll(&display, 1, 10);
    }
    if (!elapsed)
        std::fprintf(stderr, "first_paint_timer: %s showed no window\n", command.args[0].c_str());
    kill(child, SIGKILL);
    rusage usage{};
    wait4(child, nullptr, 0, &usage);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (!elapsed)
        return std::nullopt;
    return Measured{*elapsed, Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime)};
}

std::string Name(const Command& command) {
    return std::filesystem::path(command.args[0]).filename().string();
}

} // namespace

int main(int argc, char* argv[]) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const auto separator = std::find(args.begin(), args.end(), "--");
    if (args.size() < 4 || separator == args.end() || separator == args.begin() + 1 ||
        separator + 1 == args.end()) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM [ARGS...] -- BASELINE [ARGS...]\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(args[0].c_str());
    const Command commands[] = {{{args.begin() + 1, separator}}, {{separator + 1, args.end()}}};
    std::optional<Connection> c = Connect();
    if (!c || runs < 1)
        return 1;
    std::vector<double> times[2];
    std::vector<double> processor[2];
    for (int run = 0; run < runs; ++run) {
        for (int which = 0; which < 2; ++which) {
            const std::optional<Measured> start = TimeFirstPaint(*c, commands[which]);
            if (!start)
                return 1;
            times[which].push_back(start->toPaint);
            processor[which].push_back(start->processor);
        }
    }
    using kelvo::bench::Median;
    std::printf("| program | median ms | min-max ms | ratio | processor ms | ratio |\n"
                "|---|---:|---:|---:|---:|---:|\n");
    for (int which = 0; which < 2; ++which) {
        const auto [low, high] = std::minmax_element(times[which].begin(), times[which].end());
        std::printf("| %s | %.1f | %.1f-%.1f | %.2f | %.1f | %.2f |\n",
                    Name(commands[which]).c_str(), Median(times[which]), *low, *high,
                    Median(times[which]) / Median(times[1]), Median(processor[which]),
                    Median(processor[which]) / Median(processor[1]));
    }
    xcb_disconnect(c->x);
    return 0;
}
