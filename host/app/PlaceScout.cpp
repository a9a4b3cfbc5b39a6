#include "host/app/PlaceScout.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "host/app/VoyageSources.h"

extern char** environ;

namespace {

// Where the scout's places arrive in its process.
constexpr int kScoutFd = 3;

}  // namespace

std::unique_ptr<PlaceScout> PlaceScout::Start(const std::string& program,
                                              const HostOptions& options) {
    ErrorOr<VoyageSources> sources = VoyageSources::OpenFeedAlone(options);
    if (!sources) {
        return nullptr;
    }
    // The scout must not take the user's profile: the window holds it, and
    // saves it at the end.
    std::string profileCopy = (std::filesystem::temp_directory_path() /
                               ("plotrex-scout-" + std::to_string(getpid()) + ".ini"))
                                  .string();
    std::error_code ec;
    std::filesystem::remove(profileCopy, ec);
    if (std::filesystem::exists(options.profilePath, ec)) {
        std::filesystem::copy_file(options.profilePath, profileCopy, ec);
        if (ec) {
            return nullptr;
        }
    }
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return nullptr;
    }
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, "PLOTREX_SCOUT_", 14) != 0) {
            environment.emplace_back(*entry);
        }
    }
    environment.push_back(std::string(kFdVariable) + "=" + std::to_string(kScoutFd));
    environment.push_back(std::string(kProfileVariable) + "=" + profileCopy);
    std::vector<std::string> arguments{program};
    arguments.insert(arguments.end(), options.arguments.begin(), options.arguments.end());
    auto pointers = [](std::vector<std::string>& texts) {
        std::vector<char*> list;
        for (std::string& text : texts) {
            list.push_back(text.data());
        }
        list.push_back(nullptr);
        return list;
    };
    std::vector<char*> argv = pointers(arguments);
    std::vector<char*> envp = pointers(environment);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], kScoutFd);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    const int spawned =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        std::filesystem::remove(profileCopy, ec);
        return nullptr;
    }
    fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
    SonarFeed* sonar = sources.Value().sonar;
    return std::unique_ptr<PlaceScout>(new PlaceScout(child, pipeFds[0], std::move(profileCopy),
                                                      std::move(sources.Value().feed), sonar));
}

PlaceScout::~PlaceScout() {
    Stop();
}

void PlaceScout::Stop() {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    if (child_ > 0) {
        kill(child_, SIGKILL);
        waitpid(child_, nullptr, 0);
        child_ = -1;
    }
    if (!profileCopy_.empty()) {
        std::error_code ec;
        std::filesystem::remove(profileCopy_, ec);
        profileCopy_.clear();
    }
}

bool PlaceScout::MarkAt(ReplayCheckpoint& place) {
    // The replay had read one snapshot more than it sailed: the next.
    const std::size_t wanted = place.cycles + 1;
    if (read_ > wanted) {
        return false;
    }
    bool more = true;
    while (read_ < wanted) {
        more = feed_->Next(last_);
        ++read_;
        if (!more && read_ < wanted) {
            return false;
        }
    }
    if (more != place.pending ||
        (more && (last_.time != place.next.time || !(last_.position == place.next.position)))) {
        return false;
    }
    // A recording's sweeps were handed to the sounder up to the cycle
    // sailed last: its second reader stands where that left it.
    if (sonar_ != nullptr) {
        ZXNorvaneRecordedSweep sweep{};
        while (sonar_->NextSweep(place.now.time, sweep)) {
        }
    }
    place.feed = feed_->Mark();
    return place.feed != nullptr;
}

bool PlaceScout::Take(std::vector<ScoutedPlace>& places) {
    if (fd_ < 0) {
        return false;
    }
    bool ended = false;
    std::uint8_t chunk[1 << 16];
    for (;;) {
        const ssize_t got = read(fd_, chunk, sizeof chunk);
        if (got > 0) {
            received_.insert(received_.end(), chunk, chunk + got);
            continue;
        }
        if (got == 0) {
            ended = true;
        } else if (errno == EINTR) {
            continue;
        } else if (errno != EAGAIN && errno != EWOULDBLOCK) {
            ended = true;
        }
        break;
    }
    std::size_t at = 0;
    while (received_.size() - at >= sizeof(std::uint32_t)) {
        std::uint32_t length = 0;
        std::memcpy(&length, received_.data() + at, sizeof length);
        if (received_.size() - at - sizeof length < length) {
            break;
        }
        const std::span<const std::uint8_t> message(received_.data() + at + sizeof length, length);
        at += sizeof length + length;
        std::optional<ScoutedPlace> place = DecodePlace(message);
        if (!place || !MarkAt(place->place)) {
            Stop();
            return false;
        }
        places.push_back(std::move(*place));
    }
    received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(at));
    if (ended) {
        Stop();
        return false;
    }
    return true;
}
