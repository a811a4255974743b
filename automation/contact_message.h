// A contact item of the vCard reader as a message for the PST writer.
#pragma once

#include "pst/messaging/store.h"
#include "vcard/contact.h"

namespace quillonet::automation {

pst::Message ToMessage(const vcard::ContactItem& contact);

}  // namespace quillonet::automation
