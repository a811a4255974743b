// The number for each kind of writer failure.
#include "automation/writer_error.h"

namespace quillonet::automation {

std::int32_t ErrorNumber(pst::ErrorKind kind) {
  switch (kind) {
    case pst::ErrorKind::Exists:
      return errors::kCollision;
    case pst::ErrorKind::DiskFull:
      return errors::kNotEnoughDisk;
    case pst::ErrorKind::NoAccess:
      return errors::kNoAccess;
    case pst::ErrorKind::NotFound:
      return errors::kPathNotFound;
    case pst::ErrorKind::Io:
      return errors::kDiskError;
    case pst::ErrorKind::Corrupt:
      return errors::kCorruptData;
    case pst::ErrorKind::BadRequest:
      return errors::kInvalidArgument;
    case pst::ErrorKind::Closed:
      return errors::kCallFailed;
  }
  return errors::kCallFailed;
}

AutomationError WriterError(std::u16string_view what, const pst::Error& error) {
  return AutomationError(ErrorNumber(error.kind()), text::Format(u"%1: %2", {what, text::FromUtf8(error.what())}));
}

}  // namespace quillonet::automation
