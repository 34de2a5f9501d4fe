// Resource ids of the palette's pictures, shared by art.rc and the code that loads them.
// Only #define lines: the resource compiler reads this file too.
#ifndef QUILLBAR_ART_IDS_H
#define QUILLBAR_ART_IDS_H

// Program icon: window icon of every layout and the icon Explorer shows for the exe
// (the lowest icon id in the file).
#define IDI_QUILLBAR 1

// Pictures, stored as 24-bit uncompressed BITMAP resources (FindResource(..., RT_BITMAP)).
#define IDB_ICON_IO 101     // 32 x 32, import/export button
#define IDB_ICON_MODEL 102  // 32 x 32, modelling button
#define IDB_ICON_DRAW 103   // 32 x 32, drawing button
#define IDB_ICON_HELP 104   // 32 x 32, help button
#define IDB_BANNER 105      // 128 x 75, title banner

#endif
