#pragma once
// What went wrong, carried up to the one place that tells the user, with the
// exit code the program ends with: 2 when something the user gave cannot be
// used (an option, a file, the profile), 1 when the run itself failed.
#include <string>
#include <utility>
#include <variant>

class Error {
  public:
    static Error Refused(std::string message) { return Error(2, std::move(message)); }
    static Error Failed(std::string message) { return Error(1, std::move(message)); }

    int ExitCode() const { return exitCode_; }
    const std::string& Message() const { return message_; }
    // The same error told with what it was about first ("--nmea: ...").
    Error About(const std::string& subject) const {
        return Error(exitCode_, subject + ": " + message_);
    }

  private:
    Error(int exitCode, std::string message) : exitCode_(exitCode), message_(std::move(message)) {}
    int exitCode_;
    std::string message_;
};

// A value, or the error that kept it from being made.
template <class T>
class [[nodiscard]] ErrorOr {
  public:
    ErrorOr(T value) : state_(std::move(value)) {}
    ErrorOr(Error error) : state_(std::move(error)) {}

    bool HasValue() const { return state_.index() == 0; }
    explicit operator bool() const { return HasValue(); }
    T& Value() { return std::get<0>(state_); }
    const T& Value() const { return std::get<0>(state_); }
    T&& Release() { return std::get<0>(std::move(state_)); }
    const Error& GetError() const { return std::get<1>(state_); }

  private:
    std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] ErrorOr<void> {
  public:
    ErrorOr() = default;
    ErrorOr(Error error) : error_(std::move(error)), failed_(true) {}

    bool HasValue() const { return !failed_; }
    explicit operator bool() const { return HasValue(); }
    const Error& GetError() const { return error_; }

  private:
    Error error_ = Error::Failed("");
    bool failed_ = false;
};
