// Late-bound automation of AutoCAD: the module variables acadApp and acadDoc,
// held from the attach to the end of the program.
#pragma once
#include <string>

// acadApp: the running object registered as "AutoCAD.Application". AutoCAD is
// never launched. Throws SystemError when it is not available.
void AttachApplication();

// acadDoc: acadApp's ActiveDocument. Throws when it cannot be read or is no object.
void ReadActiveDocument();

// Calls SendCommand on acadDoc with the text; returns when the call returns.
// Throws SystemError with AutoCAD's own error number and description.
void SendCommandToDrawing(const std::string& text);

// Lets go of acadDoc and acadApp (program end).
void ReleaseAutoCAD();
