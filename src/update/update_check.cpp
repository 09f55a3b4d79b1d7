#include "update/update_check.h"

namespace vostrel {

void checkForUpdate() {}

}  // namespace vostrel
