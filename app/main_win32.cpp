// The entry point of the Windows program: the application object does the rest.
#include "app/framework/win_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return AfxWinMain(); }
