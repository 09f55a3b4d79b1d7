#include "client/capture.h"

namespace vostrel {

void beginCapture() {}
void captureClient() {}

}  // namespace vostrel
