#pragma once

// Identifiers of the window's resources, shared by WindowResources.rc and the
// code that loads them. The icon has the lowest number, so that it is also
// the icon the desktop shows for the program.
#define QUIBRANT_IDI_PROGRAM 1
#define QUIBRANT_IDB_PADLOCK_CLOSED 101
#define QUIBRANT_IDB_PADLOCK_OPEN 102
#define QUIBRANT_IDB_FOLDER_ARROWS 103
