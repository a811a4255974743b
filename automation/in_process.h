// The store session and the mail client as an in-process layer over the
// profile: stores are PST files of our own writer, contact items are filled
// by our vCard reader. Names match exactly and case-sensitively.
#pragma once

#include "automation/objects.h"
#include "automation/profile.h"

namespace quillonet::automation {

class InProcessComponents : public ComponentFactory {
 public:
  explicit InProcessComponents(Profile& profile = Profile::instance()) : profile_(profile) {}
  std::unique_ptr<Session> CreateRDOSession() override;
  std::unique_ptr<Application> CreateOutlookApplication() override;

 private:
  Profile& profile_;
};

}  // namespace quillonet::automation
