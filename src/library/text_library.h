#pragma once

namespace vostrel {

// The default library "morvath.txt" in the program's folder, loaded at start-up.
void loadDefaultTextLibrary();
// Menu item "读取场控文本库".
void loadTextLibrary();
// Menu item "保存场控文本库".
void saveTextLibrary();

}  // namespace vostrel
