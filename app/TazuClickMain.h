// The program's entry point, shared by every build: single-instance guard,
// application title, the toolbar window, the message loop. Expects the desktop
// services, the backend and the application object to be installed.
#pragma once

int TazuClickMain();
