// Why a serial device cannot be opened, in words a new Linux user can act on.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/comm_port.h"

namespace bsms {

struct MessageTexts;

// The group that owns a device file ("dialout" on Debian), or "dialout" when it cannot be told.
std::string DeviceGroup(const std::string& device);
// True when this user may read and write the device.
bool MayReadWrite(const std::string& device);
// The processes but this one that have the device (links followed) open, as procRoot lists them;
// one whose descriptors or name cannot be read is left out.
std::vector<PortHolder> DeviceHolders(const std::string& device,
                                      const std::filesystem::path& procRoot = "/proc");
// The lines that follow the first of the box when the port could not be opened: why, and what
// to do. Empty when there is nothing to add.
std::string PortTrouble(const CommError& e, const MessageTexts& texts,
                        const std::filesystem::path& procRoot = "/proc");

}  // namespace bsms
