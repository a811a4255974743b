// The rendering of the contact photo attachment (PidTagAttachRendering).
#pragma once
#include <cstdint>
#include <vector>

namespace vcard {

// A 40 x 40 picture icon as a Windows metafile in the form Outlook stores an
// attachment's rendering: an AND mask, then the colour image drawn over it
// with XOR. Outlook draws it where it shows the attachment as an icon.
const std::vector<std::uint8_t>& photoRendering();

}  // namespace vcard
