#pragma once

namespace vostrel {

// Once at start-up: read the update page and open the update window if it asks.
void checkForUpdate();

}  // namespace vostrel
