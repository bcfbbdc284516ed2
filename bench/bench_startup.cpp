// SPDX-License-Identifier: MIT
// Start-up as a user feels it: from spawning the horodex process to the X
// server mapping its window, on a private Xvfb. Each iteration then closes the
// window as a window manager would and waits for the process to end.
#include <benchmark/benchmark.h>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{

using Clock = std::chrono::steady_clock;

pid_t spawn(const std::vector<std::string>& args, const std::vector<std::string>& env)
{
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
    return pid;
}

// Waits for the child for at most `ms` milliseconds; kills it after that.
int reap(pid_t pid, int ms)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        usleep(1000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class VirtualDisplay
{
public:
    VirtualDisplay()
    {
        int fds[2];
        if (pipe(fds) != 0) return;
        fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        m_xvfb = spawn({ "Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp", "-screen", "0",
                           "1280x800x24" },
            currentEnvironment());
        close(fds[1]);
        std::string number;
        pollfd pfd { fds[0], POLLIN, 0 };
        char c = 0;
        while (m_xvfb > 0 && poll(&pfd, 1, 20000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (number.empty()) return;
        m_name = ":" + number;
        // Qt warns on every start without a private runtime directory.
        char dir[] = "/tmp/horodex-bench-XXXXXX";
        if (mkdtemp(dir)) m_runtimeDir = dir;

        m_conn = xcb_connect(m_name.c_str(), nullptr);
        if (xcb_connection_has_error(m_conn)) return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
        // MapNotify for every top-level window arrives on the root.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_conn, m_root, XCB_CW_EVENT_MASK, &mask);
        m_protocols = atom("WM_PROTOCOLS");
        m_delete = atom("WM_DELETE_WINDOW");
        m_ready = true;
    }

    ~VirtualDisplay()
    {
        if (m_conn) xcb_disconnect(m_conn);
        if (!m_runtimeDir.empty()) rmdir(m_runtimeDir.c_str());
        if (m_xvfb > 0) {
            kill(m_xvfb, SIGTERM);
            reap(m_xvfb, 5000);
        }
    }

    bool ready() const { return m_ready; }

    std::vector<std::string> appEnvironment() const
    {
        std::vector<std::string> env;
        for (const std::string& e : currentEnvironment()) {
            if (e.rfind("DISPLAY=", 0) != 0 && e.rfind("WAYLAND_DISPLAY=", 0) != 0
                && e.rfind("QT_QPA_PLATFORM=", 0) != 0)
                env.push_back(e);
        }
        env.push_back("DISPLAY=" + m_name);
        env.push_back("QT_QPA_PLATFORM=xcb");
        if (!std::getenv("XDG_RUNTIME_DIR") && !m_runtimeDir.empty())
            env.push_back("XDG_RUNTIME_DIR=" + m_runtimeDir);
        return env;
    }

    // The next top-level window mapped within `ms` milliseconds, or 0.
    xcb_window_t waitForMappedWindow(int ms)
    {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
        pollfd pfd { xcb_get_file_descriptor(m_conn), POLLIN, 0 };
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_conn)) {
                xcb_window_t mapped = 0;
                if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                    const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                    if (map->event == m_root && !map->override_redirect) mapped = map->window;
                }
                std::free(event);
                if (mapped) return mapped;
            }
            const auto left
                = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0 || xcb_connection_has_error(m_conn)) return 0;
            poll(&pfd, 1, int(left));
        }
    }

    void closeWindow(xcb_window_t window)
    {
        xcb_client_message_event_t message;
        std::memset(&message, 0, sizeof message);
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = m_protocols;
        message.data.data32[0] = m_delete;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_conn, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
        xcb_flush(m_conn);
    }

private:
    static std::vector<std::string> currentEnvironment()
    {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) env.emplace_back(*e);
        return env;
    }

    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_conn, xcb_intern_atom(m_conn, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }

    pid_t m_xvfb = -1;
    std::string m_name;
    std::string m_runtimeDir;
    xcb_connection_t* m_conn = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_protocols = XCB_ATOM_NONE;
    xcb_atom_t m_delete = XCB_ATOM_NONE;
    bool m_ready = false;
};

// Starts the program, waits for its window and closes it; the time to the window in `shown`.
bool launchOnce(VirtualDisplay& display, const std::vector<std::string>& command,
    const std::vector<std::string>& env, double& shown, double& closed, std::string& error)
{
    const Clock::time_point start = Clock::now();
    const pid_t pid = spawn(command, env);
    if (pid < 0) {
        error = "cannot start " + command.front();
        return false;
    }
    const xcb_window_t window = display.waitForMappedWindow(20000);
    const Clock::time_point mapped = Clock::now();
    if (!window) {
        kill(pid, SIGKILL);
        reap(pid, 5000);
        error = "no window was shown within 20 s";
        return false;
    }
    display.closeWindow(window);
    const int code = reap(pid, 20000);
    shown = std::chrono::duration<double>(mapped - start).count();
    closed = std::chrono::duration<double>(Clock::now() - mapped).count();
    if (code != 0) {
        error = command.front() + " ended with code " + std::to_string(code) + " after its window was closed";
        return false;
    }
    return true;
}

void BM_StartToFirstWindow(benchmark::State& state, const std::vector<std::string>& command)
{
    static VirtualDisplay display;
    if (!display.ready()) {
        state.SkipWithError("Xvfb could not be started (apt-get install xvfb)");
        return;
    }
    const std::vector<std::string> env = display.appEnvironment();
    double shown = 0, closed = 0, closeTotal = 0;
    std::string error;
    // One untimed start fills the page cache and fontconfig's cache, as any earlier run would have.
    if (!launchOnce(display, command, env, shown, closed, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        if (!launchOnce(display, command, env, shown, closed, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        state.SetIterationTime(shown);
        closeTotal += closed;
    }
    state.counters["close_to_exit_ms"]
        = benchmark::Counter(closeTotal * 1000, benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK_CAPTURE(BM_StartToFirstWindow, horodex, std::vector<std::string> { HORODEX_EXE })
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
#ifdef HORODEX_TAPE_EXE
// The tape with the example EDL of a reel loaded.
BENCHMARK_CAPTURE(BM_StartToFirstWindow, horodex_tape_with_edl,
    std::vector<std::string> { HORODEX_TAPE_EXE, "--rate", "25", HORODEX_TAPE_EDL })
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
#endif

BENCHMARK_MAIN();
