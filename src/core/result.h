#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace zep {

// The one way the core reports a failure. An operation that can fail hands back a
// `status` (nothing to return) or a `result<T>`; a failure carries one line saying why,
// fit to show the operator. Nothing is thrown across a module boundary.
class [[nodiscard]] status {
  public:
    status() = default;  // success
    static status failure(QString why) {
        status s;
        s.failed_ = true;
        s.error_ = std::move(why);
        return s;
    }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return error_; }

  private:
    bool failed_ = false;
    QString error_;
};

template <class T>
class [[nodiscard]] result {
  public:
    result(T value) : value_(std::move(value)) {}      // NOLINT: success converts implicitly
    result(status failed) : error_(failed.error()) {}  // NOLINT: so does a failure

    static result failure(QString why) { return result(status::failure(std::move(why))); }

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return error_; }

    T& value() { return *value_; }
    const T& value() const { return *value_; }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    T value_or(T fallback) const { return value_ ? *value_ : std::move(fallback); }

    // What went wrong, without the value.
    status as_status() const { return ok() ? status() : status::failure(error_); }

  private:
    std::optional<T> value_;
    QString error_;
};

}  // namespace zep
