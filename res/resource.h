// Resource identifiers shared by the program's code and its resource script.
#pragma once

#define IDI_APP 101          // program icon, 16, 32 and 48 pixels
#define IDB_WINDOW_TREE 102  // images of the window tree
#define IDC_NOTE_CURSOR 904  // cursor over the screen watch's note window
