#pragma once

namespace vostrel {

// Double-click on the text list: send the selected body into the captured client's chat.
void sendSelectedText();

}  // namespace vostrel
