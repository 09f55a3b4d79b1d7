#pragma once

namespace vostrel {
// The hidden web view shows nothing; its only effect is one request for its
// page when it is created, made in the background so start-up never waits.
void requestPageInBackground(const char* url);
}
