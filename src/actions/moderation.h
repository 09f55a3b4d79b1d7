// The seven moderation actions: each opens the pop-up menu of the member under the
// pointer in the client and walks it, with real key taps for the role changes and
// with clicks posted at fixed points for the others.
#pragma once

namespace vostrel {

void toggleGuest();       // F1
void toggleMember();      // F3
void toggleNoTyping();    // F4
void toggleNoPictures();  // F5
void banById();           // F6
void banByIp();           // F7
void setNameCard();       // F8

}  // namespace vostrel
