// The failures an import step can meet besides those of the automation
// calls, and Skip: run one step and carry on when it fails.
#pragma once

#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>

#include "automation/error.h"
#include "util/text.h"

namespace quillonet {

// A file could not be opened, read or written; the text names it and why.
// cause, when given, is the why alone in a few words ("Permission denied").
class FileError : public std::runtime_error {
 public:
  explicit FileError(std::u16string message, std::u16string cause = {})
      : std::runtime_error(text::ToUtf8(message)), message_(std::move(message)), cause_(std::move(cause)) {}
  // The text as made, paths in it without loss (what() is its UTF-8 form).
  const std::u16string& message() const { return message_; }
  const std::u16string& cause() const { return cause_; }

 private:
  std::u16string message_;
  std::u16string cause_;
};

// A listed path cannot be turned into a folder of the store.
class PathError : public std::runtime_error {
 public:
  explicit PathError(std::u16string message)
      : std::runtime_error(text::ToUtf8(message)), message_(std::move(message)) {}
  const std::u16string& message() const { return message_; }

 private:
  std::u16string message_;
};

// A listed file lies directly in a root folder, which has no folder in the store.
class RootFileError : public PathError {
 public:
  using PathError::PathError;
};

// What a caught failure says, for messages: the automation error's text and
// number, or the exception's text.
std::u16string DescribeFailure(const std::exception& failure);

// Runs one step of work. A failure of the kinds a step is expected to meet
// (an automation call, a file, a path) ends the step and is swallowed; the
// caller goes on with its next step. Programming errors still propagate.
// Returns whether the step ran to its end; why it did not goes to *why, and
// for a file the cause alone (a few words) to *cause.
template <class Step>
bool Skip(Step&& step, std::u16string* why = nullptr, std::u16string* cause = nullptr) {
  try {
    step();
    return true;
  } catch (const automation::AutomationError& e) {
    if (why) *why = DescribeFailure(e);
  } catch (const FileError& e) {
    if (why) *why = DescribeFailure(e);
    if (cause) *cause = e.cause();
  } catch (const PathError& e) {
    if (why) *why = DescribeFailure(e);
  } catch (const std::system_error& e) {
    if (why) *why = DescribeFailure(e);
    if (cause) *cause = text::FromUtf8(e.code().message());
  }
  return false;
}

}  // namespace quillonet
