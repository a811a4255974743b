// The failures an import step can meet besides those of the automation
// calls, and Skip: run one step and carry on when it fails.
#pragma once

#include <QString>

#include <stdexcept>
#include <system_error>

#include "automation/error.h"

namespace quillonet {

// A file could not be opened, read or written; the text names it and why.
// cause, when given, is the why alone in a few words ("Permission denied").
class FileError : public std::runtime_error {
 public:
  explicit FileError(const QString& message, QString cause = QString())
      : std::runtime_error(message.toStdString()), cause_(std::move(cause)) {}
  const QString& cause() const { return cause_; }

 private:
  QString cause_;
};

// A listed path cannot be turned into a folder of the store.
class PathError : public std::runtime_error {
 public:
  explicit PathError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// A listed file lies directly in a root folder, which has no folder in the store.
class RootFileError : public PathError {
 public:
  using PathError::PathError;
};

// What a caught failure says, for messages: the automation error's text and
// number, or the exception's text.
QString DescribeFailure(const std::exception& failure);

// Runs one step of work. A failure of the kinds a step is expected to meet
// (an automation call, a file, a path) ends the step and is swallowed; the
// caller goes on with its next step. Programming errors still propagate.
// Returns whether the step ran to its end; why it did not goes to *why, and
// for a file the cause alone (a few words) to *cause.
template <class Step>
bool Skip(Step&& step, QString* why = nullptr, QString* cause = nullptr) {
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
    if (cause) *cause = QString::fromLocal8Bit(e.code().message().c_str());
  }
  return false;
}

}  // namespace quillonet
