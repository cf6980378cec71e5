// Why a serial device cannot be opened, in words a new Linux user can act on.
#pragma once

#include <string>

namespace bsms {

// The group that owns a device file ("dialout" on Debian), or "dialout" when it cannot be told.
std::string DeviceGroup(const std::string& device);
// The permission text with "%1" replaced by the device and "%2" by its group.
std::string PermissionHint(const std::string& text, const std::string& device);

}  // namespace bsms
