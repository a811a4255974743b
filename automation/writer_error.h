// Failures of the PST writer as automation errors. The writer's kind of
// failure decides the number, so an existing file, a full disk or a refused
// folder reach the caller as what they are, not all as a disk error.
#pragma once

#include <cstdint>
#include <string_view>

#include "automation/error.h"
#include "pst/error.h"

namespace quillonet::automation {

// Exists: kCollision; DiskFull: kNotEnoughDisk; NoAccess: kNoAccess;
// NotFound: kPathNotFound; Io: kDiskError; Corrupt: kCorruptData;
// BadRequest: kInvalidArgument; Closed: kCallFailed.
std::int32_t ErrorNumber(pst::ErrorKind kind);

// The error for a failed writer call: that number, and "what: the writer's
// message" as its text.
AutomationError WriterError(std::u16string_view what, const pst::Error& error);

}  // namespace quillonet::automation
