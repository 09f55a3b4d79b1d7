#include "app/main_window.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return vostrel::runApplication(); }
