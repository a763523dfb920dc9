#include "replay/headless_browser.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tackedit {

namespace {

// A page of a race with many boats takes seconds on a busy machine; a browser
// that says nothing for this long has stopped.
constexpr auto kAnswerCeiling = std::chrono::seconds(120);

std::runtime_error SystemError(const std::string& what)
{
    return std::runtime_error(what + ": " + std::strerror(errno));
}

} // namespace

std::optional<std::string> FindProgram(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return ::access(name.c_str(), X_OK) == 0 ? std::optional(name) : std::nullopt;
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    for (std::size_t at = 0; at <= folders.size();) {
        std::size_t end = folders.find(':', at);
        if (end == std::string::npos)
            end = folders.size();
        std::string folder = folders.substr(at, end - at);
        at = end + 1;
        if (folder.empty())
            folder = ".";
        const std::string full = folder + "/" + name;
        struct stat info{};
        if (::stat(full.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(full.c_str(), X_OK) == 0)
            return full;
    }
    return std::nullopt;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::vector<std::pair<int, int>>& fds)
{
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    bool given[3] = {false, false, false};
    // Copies above every child number: a dup2 onto a number another one still
    // needs would lose it, and one onto itself would keep close-on-exec.
    std::vector<int> high;
    for (const auto& [child, ours] : fds) {
        high.push_back(::fcntl(ours, F_DUPFD_CLOEXEC, 10));
        posix_spawn_file_actions_adddup2(&actions, high.back(), child);
        if (child < 3)
            given[child] = true;
    }
    for (int fd = 0; fd < 3; ++fd)
        if (!given[fd])
            posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    // Our caller may hold SIGPIPE blocked or SIGINT caught; the child starts clean.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const int failed = posix_spawn(&pid_, args[0], &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    for (const int fd : high)
        if (fd >= 0)
            ::close(fd);
    if (failed != 0) {
        pid_ = -1;
        errno = failed;
        throw SystemError("cannot start " + argv[0]);
    }
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other) {
        Kill();
        pid_ = std::exchange(other.pid_, -1);
    }
    return *this;
}

void ChildProcess::Kill()
{
    if (pid_ <= 0)
        return;
    ::kill(-pid_, SIGKILL);
    ::kill(pid_, SIGKILL);
    Wait();
}

bool ChildProcess::WaitFor(int ms)
{
    for (int waited = 0; pid_ > 0; waited += 20) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            ::kill(-pid_, SIGKILL);
            pid_ = -1;
            break;
        }
        if (waited >= ms)
            return false;
        ::usleep(20000);
    }
    return true;
}

int ChildProcess::Wait()
{
    if (pid_ <= 0)
        return -1;
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    // What it started may outlive it (a browser's helpers): they go with it.
    ::kill(-pid_, SIGKILL);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

HeadlessBrowser::HeadlessBrowser(const std::string& program, const std::string& profile_dir, int width, int height,
                                 std::function<bool()> cancelled)
    : cancelled_(std::move(cancelled))
{
    int commands[2], answers[2];
    if (::pipe2(commands, O_CLOEXEC) != 0)
        throw SystemError("cannot make a pipe");
    if (::pipe2(answers, O_CLOEXEC) != 0) {
        ::close(commands[0]);
        ::close(commands[1]);
        throw SystemError("cannot make a pipe");
    }
    to_browser_ = commands[1];
    from_browser_ = answers[0];
    std::vector<std::string> argv = {program, "--headless=new", "--remote-debugging-pipe", "--disable-gpu",
                                     "--hide-scrollbars", "--mute-audio", "--no-first-run",
                                     "--no-default-browser-check", "--disable-extensions",
                                     "--force-device-scale-factor=1", "--user-data-dir=" + profile_dir,
                                     "--window-size=" + std::to_string(width) + "," + std::to_string(height)};
    // Chromium refuses to run its sandbox as root.
    if (::geteuid() == 0)
        argv.push_back("--no-sandbox");
    argv.push_back("about:blank");
    try {
        process_ = ChildProcess(argv, {{3, commands[0]}, {4, answers[1]}});
    } catch (...) {
        ::close(commands[0]);
        ::close(answers[1]);
        Close();
        throw;
    }
    ::close(commands[0]);
    ::close(answers[1]);
    try {
        const nlohmann::json target = Call("Target.createTarget", {{"url", "about:blank"}}, false);
        const nlohmann::json attached = Call("Target.attachToTarget",
                                             {{"targetId", target.at("targetId")}, {"flatten", true}}, false);
        session_ = attached.at("sessionId").get<std::string>();
        Call("Emulation.setDeviceMetricsOverride",
             {{"width", width}, {"height", height}, {"deviceScaleFactor", 1}, {"mobile", false}});
    } catch (...) {
        Close();
        throw;
    }
}

HeadlessBrowser::~HeadlessBrowser() { Close(); }

void HeadlessBrowser::Quit()
{
    if (to_browser_ >= 0) {
        const std::string text = nlohmann::json({{"id", ++next_id_}, {"method", "Browser.close"}}).dump();
        if (::write(to_browser_, text.c_str(), text.size() + 1) > 0)
            process_.WaitFor(5000);
    }
    Close();
}

void HeadlessBrowser::Close()
{
    if (to_browser_ >= 0)
        ::close(to_browser_);
    if (from_browser_ >= 0)
        ::close(from_browser_);
    to_browser_ = from_browser_ = -1;
    process_.Kill();
}

nlohmann::json HeadlessBrowser::Call(const std::string& method, const nlohmann::json& params, bool on_page)
{
    const int id = ++next_id_;
    nlohmann::json message = {{"id", id}, {"method", method}, {"params", params}};
    if (on_page)
        message["sessionId"] = session_;
    std::string text = message.dump();
    text.push_back('\0');
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(to_browser_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR && !cancelled_())
            continue;
        if (n < 0)
            throw std::runtime_error(errno == EINTR ? "cancelled" : "chromium stopped: " + std::string(std::strerror(errno)));
        done += static_cast<std::size_t>(n);
    }
    const auto asked = std::chrono::steady_clock::now();
    for (;;) {
        // Events and answers to nothing we wait for pass by.
        for (std::size_t end; (end = buffer_.find('\0')) != std::string::npos;) {
            nlohmann::json answer = nlohmann::json::parse(buffer_.begin(), buffer_.begin() + end, nullptr, false);
            buffer_.erase(0, end + 1);
            if (!answer.is_object() || answer.value("id", -1) != id)
                continue;
            if (answer.contains("error"))
                throw std::runtime_error("chromium: " + method + ": " +
                                         answer["error"].value("message", answer["error"].dump()));
            return answer.value("result", nlohmann::json::object());
        }
        if (cancelled_())
            throw std::runtime_error("cancelled");
        if (std::chrono::steady_clock::now() - asked > kAnswerCeiling)
            throw std::runtime_error("chromium did not answer " + method + " within " +
                                     std::to_string(kAnswerCeiling.count()) + " s");
        pollfd wait{from_browser_, POLLIN, 0};
        const int ready = ::poll(&wait, 1, 1000);
        if (ready < 0 && errno != EINTR)
            throw SystemError("cannot read from chromium");
        if (ready <= 0)
            continue;
        char chunk[65536];
        const ssize_t n = ::read(from_browser_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error("chromium stopped while asked " + method);
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

nlohmann::json HeadlessBrowser::Evaluate(const std::string& expression)
{
    const nlohmann::json result = Call("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true},
                                                            {"awaitPromise", true}});
    if (result.contains("exceptionDetails")) {
        const nlohmann::json& details = result["exceptionDetails"];
        std::string text = details.value("text", "");
        if (details.contains("exception"))
            text = details["exception"].value("description", text);
        throw std::runtime_error("the replay page: " + text.substr(0, text.find('\n')));
    }
    return result.value("result", nlohmann::json::object()).value("value", nlohmann::json());
}

void HeadlessBrowser::Open(const std::string& url)
{
    Call("Page.navigate", {{"url", url}});
    const auto started = std::chrono::steady_clock::now();
    while (!Evaluate("!!(document.body && document.body.dataset.ready === '1' && window.tackeditVideo)")
                .get<bool>()) {
        if (cancelled_())
            throw std::runtime_error("cancelled");
        if (std::chrono::steady_clock::now() - started > kAnswerCeiling)
            throw std::runtime_error("the replay page did not get ready within " +
                                     std::to_string(kAnswerCeiling.count()) + " s");
        ::usleep(50000);
    }
}

std::string HeadlessBrowser::Screenshot(int quality)
{
    const nlohmann::json shot = Call("Page.captureScreenshot", {{"format", "jpeg"}, {"quality", quality},
                                                                {"captureBeyondViewport", false},
                                                                {"optimizeForSpeed", true}});
    const auto bytes = DecodeBase64(shot.value("data", ""));
    if (!bytes || bytes->empty())
        throw std::runtime_error("chromium gave no picture");
    return *bytes;
}

std::optional<std::string> DecodeBase64(const std::string& text)
{
    std::string out;
    out.reserve(text.size() / 4 * 3);
    std::uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        int v;
        if (c >= 'A' && c <= 'Z')
            v = c - 'A';
        else if (c >= 'a' && c <= 'z')
            v = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            v = c - '0' + 52;
        else if (c == '+')
            v = 62;
        else if (c == '/')
            v = 63;
        else if (c == '=')
            break;
        else
            return std::nullopt;
        bits = (bits << 6) | static_cast<std::uint32_t>(v);
        if (++count == 4) {
            out.push_back(static_cast<char>(bits >> 16));
            out.push_back(static_cast<char>(bits >> 8));
            out.push_back(static_cast<char>(bits));
            bits = 0;
            count = 0;
        }
    }
    if (count == 3) {
        out.push_back(static_cast<char>(bits >> 10));
        out.push_back(static_cast<char>(bits >> 2));
    } else if (count == 2) {
        out.push_back(static_cast<char>(bits >> 4));
    } else if (count == 1) {
        return std::nullopt;
    }
    return out;
}

} // namespace tackedit
