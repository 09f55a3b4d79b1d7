#include "library/text_library.h"

namespace vostrel {

void loadDefaultTextLibrary() {}
void loadTextLibrary() {}
void saveTextLibrary() {}

}  // namespace vostrel
