#pragma once
// Qt's message boxes, file dialogs and desktop services behind the seams of
// DesktopSeams.h.

#include "app/DesktopSeams.h"

namespace app {

IMessageBox& QtMessageBoxes();
IFileChooser& QtFileChooser();
IUrlOpener& QtUrlOpener();

} // namespace app
