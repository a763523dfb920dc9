#pragma once

// Outside programs the video drives: a child process of its own, and headless
// Chromium spoken to over the DevTools pipe (no websocket, no node).

#include <nlohmann/json.hpp>

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace tackedit {

// The program's full path as PATH finds it; nullopt when it is not there.
std::optional<std::string> FindProgram(const std::string& name);

// A child started in a process group of its own: a Ctrl+C on the terminal
// reaches us alone, and we end it with everything it started.
class ChildProcess {
public:
    ChildProcess() = default;
    // `fds`: each pair puts our descriptor (second) at the child's (first); the
    // child's 0, 1 and 2 are /dev/null unless given. Raises std::runtime_error.
    ChildProcess(const std::vector<std::string>& argv, const std::vector<std::pair<int, int>>& fds);
    ChildProcess(ChildProcess&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ~ChildProcess() { Kill(); }

    bool Running() const { return pid_ > 0; }
    // Kills the process group and reaps the child.
    void Kill();
    // Waits for the child; its exit status, or -1 when a signal ended it.
    int Wait();
    // Waits at most `ms` milliseconds for the child to end; false when it still runs.
    bool WaitFor(int ms);

private:
    pid_t pid_ = -1;
};

// Reads the replay page in headless Chromium at a fixed window size. Every
// wait ends when `cancelled` says so (checked at least once a second) or after
// a generous ceiling; both raise std::runtime_error.
class HeadlessBrowser {
public:
    HeadlessBrowser(const std::string& program, const std::string& profile_dir, int width, int height,
                    std::function<bool()> cancelled);
    ~HeadlessBrowser();
    HeadlessBrowser(const HeadlessBrowser&) = delete;
    HeadlessBrowser& operator=(const HeadlessBrowser&) = delete;

    // Opens the address and waits until the page says it is ready.
    void Open(const std::string& url);
    // The value of a script in the page; a script that throws raises its message.
    nlohmann::json Evaluate(const std::string& expression);
    // The viewport as JPEG bytes.
    std::string Screenshot(int quality);
    // Asks the browser to end and waits a little for it: its helpers end as
    // they should, and the work they did counts as ours.
    void Quit();
    // Ends it at once.
    void Close();

private:
    nlohmann::json Call(const std::string& method, const nlohmann::json& params, bool on_page = true);

    ChildProcess process_;
    int to_browser_ = -1, from_browser_ = -1;
    std::string session_, buffer_;
    int next_id_ = 0;
    std::function<bool()> cancelled_;
};

// Standard base64 to bytes; nullopt on a character outside it.
std::optional<std::string> DecodeBase64(const std::string& text);

} // namespace tackedit
