// The toolkit's exception classes: a base that holds the message text and the
// conversion error raised by text-to-number and assignment failures.
#pragma once

#include <exception>
#include <string>

namespace runtime {

// Base of every exception the component raises; holds the message text.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}

  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// A text that is no valid number, or an assignment between foreign classes.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace runtime
