#include "client/send_text.h"

namespace vostrel {

void sendSelectedText() {}

}  // namespace vostrel
