// <windows.h> for this backend's sources, without the A/W name macros that
// would rename the desktop services' methods of the same names. Include it
// after every header of ours: they declare constants that it defines as macros.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>

#undef MessageBox
#undef PlaySound
#undef ExpandEnvironmentStrings
#undef GetPrivateProfileString
#undef WritePrivateProfileString
#undef MapVirtualKey
