#include "platform/posix/src/machine_access.h"

namespace tov::posix {

UINT MachineAnsiCodePage() { return 1252; }

}  // namespace tov::posix
